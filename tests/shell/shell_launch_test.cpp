#include "shell/help.h"
#include "shell/shell_launch.h"

#include <gtest/gtest.h>

#include <htmlhelp.h>

namespace {

TEST(HelpPath, TopicFollowsTheProgramFolder) {
    EXPECT_EQ(HelpTopicPath(L"C:\\Program Files\\Quillon\\Quillon.exe"),
              L"C:\\Program Files\\Quillon\\tamsel.chm::/2_Utilities/1_quillon.htm");
    EXPECT_EQ(HelpTopicPath(L"C:\\Quillon.exe"), L"C:\\tamsel.chm::/2_Utilities/1_quillon.htm");
}

TEST(HelpPath, CutAtTheBufferSize) {
    const std::wstring folder = L"C:\\" + std::wstring(240, L'x');
    const std::wstring path = HelpTopicPath(folder + L"\\Quillon.exe");
    EXPECT_EQ(path.size(), 259u);
    EXPECT_EQ(path, (folder + L"\\tamsel.chm::/2_Utilities/1_quillon.htm").substr(0, 259));
}

TEST(HelpLibrary, FoundThroughItsRegisteredControlOrByName) {
    const std::wstring library = HtmlHelpLibraryPath();
    EXPECT_NE(library.find(L"hhctrl.ocx"), std::wstring::npos) << std::string(library.begin(), library.end());
    EXPECT_NE(LoadHtmlHelp(), nullptr);
}

struct HelpCall {
    HWND owner;
    std::wstring file;
    UINT command;
};
HelpCall g_helpCall;

HWND WINAPI RecordHelp(HWND owner, LPCWSTR file, UINT command, DWORD_PTR) {
    g_helpCall = {owner, file ? file : L"", command};
    return nullptr;
}

TEST(Help, OpensTheTopicBesideThisProgram) {
    HtmlHelpOverride() = &RecordHelp;
    HWND owner = reinterpret_cast<HWND>(0x1234);
    ShowHelp(owner);
    HtmlHelpOverride() = nullptr;
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(g_helpCall.owner, owner);
    EXPECT_EQ(g_helpCall.command, static_cast<UINT>(HH_DISPLAY_TOPIC));
    EXPECT_EQ(g_helpCall.file, HelpTopicPath(exe));
}

TEST(ShellLaunch, EmptyFileIsRefusedAtOnceAndAMissingOneFailsQuietly) {
    EXPECT_FALSE(ShellLaunch(nullptr, L"", L"open", L""));
    EXPECT_FALSE(ShellLaunch(nullptr, L"C:\\no\\such\\file.quillon-test", L"open", L""));
}

TEST(Elevation, AgreesWithTheProcessToken) {
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size));
    CloseHandle(token);
    EXPECT_EQ(IsProcessElevated(), elevation.TokenIsElevated != 0);
}

struct LaunchCall {
    std::wstring verb;
    std::wstring file;
    bool parameters = true;
    int show = 0;
    int calls = 0;
};
LaunchCall g_launch;

HINSTANCE WINAPI RecordLaunch(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT show) {
    g_launch.verb = verb ? verb : L"";
    g_launch.file = file ? file : L"";
    g_launch.parameters = parameters != nullptr;
    g_launch.show = show;
    ++g_launch.calls;
    return reinterpret_cast<HINSTANCE>(5); // a refused prompt: nothing may follow
}

TEST(Elevation, RelaunchStartsThisProgramWithTheRunasVerb) {
    ShellExecuteFunction saved = ShellExecuteForRelaunch();
    ShellExecuteForRelaunch() = &RecordLaunch;
    RelaunchAsAdministrator();
    ShellExecuteForRelaunch() = saved;
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(g_launch.calls, 1);
    EXPECT_EQ(g_launch.verb, L"runas");
    EXPECT_EQ(g_launch.file, exe);
    EXPECT_FALSE(g_launch.parameters);
    EXPECT_EQ(g_launch.show, SW_SHOWNORMAL);
}

} // namespace
