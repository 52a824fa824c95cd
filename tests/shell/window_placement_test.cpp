#include "base/settings.h"
#include "base/win_handles.h"
#include "shell/window_placement.h"
#include "tests/common/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<BYTE> StoredValue(DWORD* type = nullptr) {
    KeyHandle key;
    std::vector<BYTE> bytes(256);
    DWORD size = static_cast<DWORD>(bytes.size());
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kProgramKeyPath, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS ||
        RegQueryValueExW(key.Get(), kWindowPlacementValue, nullptr, type, bytes.data(), &size) != ERROR_SUCCESS) {
        return {};
    }
    bytes.resize(size);
    return bytes;
}

void StoreRaw(const void* data, DWORD size, DWORD type = REG_BINARY) {
    KeyHandle key;
    RegCreateKeyExW(HKEY_CURRENT_USER, kProgramKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr);
    RegSetValueExW(key.Get(), kWindowPlacementValue, 0, type, static_cast<const BYTE*>(data), size);
}

LONG Field(const std::vector<BYTE>& bytes, size_t offset) {
    LONG value = 0;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

TEST(WindowPlacement, StoredAsTheWhole44ByteRecordInTheProgramKey) {
    testsupport::ResetProgramKey();
    WINDOWPLACEMENT placement = {sizeof placement, 0, SW_SHOWMAXIMIZED, {-1, -2}, {3, 4}, {10, 20, 610, 420}};
    ASSERT_TRUE(WriteWindowPlacement(placement));
    DWORD type = 0;
    std::vector<BYTE> bytes = StoredValue(&type);
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(Field(bytes, 0), 44);
    EXPECT_EQ(Field(bytes, 8), SW_SHOWMAXIMIZED);
    EXPECT_EQ(Field(bytes, 12), -1);
    EXPECT_EQ(Field(bytes, 16), -2);
    EXPECT_EQ(Field(bytes, 20), 3);
    EXPECT_EQ(Field(bytes, 28), 10);
    EXPECT_EQ(Field(bytes, 40), 420);

    WINDOWPLACEMENT read = {};
    ASSERT_TRUE(ReadWindowPlacement(read));
    EXPECT_EQ(std::memcmp(&read, &placement, sizeof read), 0);
}

TEST(WindowPlacement, ReadFillsDefaultsAndReportsWhetherAnythingWasStored) {
    testsupport::ResetProgramKey();
    WINDOWPLACEMENT read = {};
    EXPECT_FALSE(ReadWindowPlacement(read));
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const WINDOWPLACEMENT defaults = DefaultWindowPlacement(work);
    EXPECT_EQ(std::memcmp(&read, &defaults, sizeof read), 0);
    EXPECT_EQ(defaults.length, 44u);
    EXPECT_EQ(defaults.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_EQ(defaults.rcNormalPosition.left, work.left + 100);
    EXPECT_EQ(defaults.rcNormalPosition.bottom, work.bottom - 100);

    // A short value overwrites only its own bytes, whatever its registry type.
    const DWORD head[3] = {44, 0, SW_SHOWMINIMIZED};
    StoreRaw(head, sizeof head, REG_DWORD);
    ASSERT_TRUE(ReadWindowPlacement(read));
    EXPECT_EQ(read.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
    EXPECT_EQ(read.rcNormalPosition.right, defaults.rcNormalPosition.right);

    // More than 44 bytes is not a placement.
    std::vector<BYTE> tooLong(60, 0);
    StoreRaw(tooLong.data(), static_cast<DWORD>(tooLong.size()));
    EXPECT_FALSE(ReadWindowPlacement(read));
    testsupport::ResetProgramKey();
}

TEST(WindowPlacement, ShowCommandAfterRestoringFollowsTheStartUpCommand) {
    EXPECT_EQ(ShowCommandAfterPlacement(SW_SHOWNORMAL, SW_SHOWMINIMIZED), SW_SHOWNORMAL);
    EXPECT_EQ(ShowCommandAfterPlacement(SW_SHOWNORMAL, SW_MINIMIZE), SW_SHOWNORMAL);
    EXPECT_EQ(ShowCommandAfterPlacement(SW_SHOWNORMAL, SW_SHOWMAXIMIZED), 0);
    EXPECT_EQ(ShowCommandAfterPlacement(SW_SHOWNORMAL, SW_SHOWNORMAL), 0);
    EXPECT_EQ(ShowCommandAfterPlacement(SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED), SW_SHOWMINNOACTIVE);
    EXPECT_EQ(ShowCommandAfterPlacement(SW_SHOWMAXIMIZED, SW_SHOWNORMAL), SW_SHOWMAXIMIZED);
}

// Fault guarded: a damaged record (wrong length) or one stored hidden must not leave the program running
// without a visible window.
TEST(WindowPlacement, DamagedOrHiddenRecordStillShowsTheWindow) {
    testsupport::ResetProgramKey();
    for (UINT length : {44u, 0u}) {
        WINDOWPLACEMENT stored = {length, 0,  length ? static_cast<UINT>(SW_HIDE) : SW_SHOWNORMAL,
                                  {},     {}, {50, 50, 450, 350}};
        StoreRaw(&stored, sizeof stored);
        HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 300, 200,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        RestoreWindowPlacement(window, SW_SHOWNORMAL);
        EXPECT_TRUE(IsWindowVisible(window)) << "length " << length;
        DestroyWindow(window);
    }
    testsupport::ResetProgramKey();
}

} // namespace
