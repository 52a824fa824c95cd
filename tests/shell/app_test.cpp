#include "shell/app.h"
#include "shell/main_frame.h"
#include "base/settings.h"
#include "base/win_handles.h"
#include "shell/window_placement.h"
#include "tests/common/test_support.h"
#include "tests/shell/frame_fixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// What the running program looked like just before the test closed it.
struct Observed {
    bool seen = false;
    bool visible = false;
    bool zoomed = false;
    bool iconic = false;
    RECT window = {};
    RECT normal = {};
};

Observed g_observed;
std::function<void(HWND)> g_beforeClose;

void CALLBACK ObserveAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND frame = FindWindowW(CMainFrame::GetWndClassName(), nullptr);
    if (!frame) {
        return; // not created yet; the next tick looks again
    }
    KillTimer(nullptr, timer);
    g_observed.seen = true;
    g_observed.visible = IsWindowVisible(frame);
    g_observed.zoomed = IsZoomed(frame);
    g_observed.iconic = IsIconic(frame);
    GetWindowRect(frame, &g_observed.window);
    WINDOWPLACEMENT placement = {sizeof placement};
    GetWindowPlacement(frame, &placement);
    g_observed.normal = placement.rcNormalPosition;
    if (g_beforeClose) {
        g_beforeClose(frame);
    }
    PostMessageW(frame, WM_CLOSE, 0, 0);
}

// Runs the program's loop in-process until the timer has looked at the window and closed it.
int RunAndClose(int show, std::function<void(HWND)> beforeClose = nullptr) {
    g_observed = {};
    g_beforeClose = std::move(beforeClose);
    SetTimer(nullptr, 0, 150, &ObserveAndClose);
    return ::Run(show);
}

void StorePlacement(UINT showCmd, const RECT& normal) {
    WINDOWPLACEMENT placement = {sizeof placement, 0, showCmd, {}, {}, normal};
    ASSERT_TRUE(WriteWindowPlacement(placement));
}

WINDOWPLACEMENT StoredPlacement() {
    WINDOWPLACEMENT placement = {};
    EXPECT_TRUE(ReadWindowPlacement(placement));
    return placement;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct RunTest : testing::Test {
    void SetUp() override {
        testsupport::ResetProgramKey();
        TakeQuitMessage();
    }
    void TearDown() override { testsupport::ResetProgramKey(); }
};

TEST_F(RunTest, FirstStartShowsACentredWindowAndExitsWithOneAfterClosing) {
    EXPECT_EQ(RunAndClose(SW_SHOWNORMAL), 1);
    ASSERT_TRUE(g_observed.seen);
    EXPECT_TRUE(g_observed.visible);
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((g_observed.window.left + g_observed.window.right) / 2, (work.left + work.right) / 2, 2);
    EXPECT_NEAR((g_observed.window.top + g_observed.window.bottom) / 2, (work.top + work.bottom) / 2, 2);
    // Closing stored where the window was.
    EXPECT_TRUE(SameRect(StoredPlacement().rcNormalPosition, g_observed.normal));
    EXPECT_EQ(StoredPlacement().showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_EQ(TakeQuitMessage(), -1) << "the loop took its own quit message";
}

TEST_F(RunTest, StoredNormalPlacementIsAppliedOnTheNextStart) {
    const RECT normal = {120, 90, 820, 590};
    StorePlacement(SW_SHOWNORMAL, normal);
    EXPECT_EQ(RunAndClose(SW_SHOWNORMAL), 1);
    EXPECT_TRUE(g_observed.visible);
    EXPECT_FALSE(g_observed.zoomed);
    EXPECT_TRUE(SameRect(g_observed.normal, normal));
    EXPECT_TRUE(SameRect(g_observed.window, normal));
}

TEST_F(RunTest, MaximisedStaysMaximisedAndIsStoredSo) {
    const RECT normal = {100, 100, 700, 500};
    StorePlacement(SW_SHOWMAXIMIZED, normal);
    EXPECT_EQ(RunAndClose(SW_SHOWNORMAL), 1);
    EXPECT_TRUE(g_observed.zoomed);
    EXPECT_TRUE(SameRect(g_observed.normal, normal));
    EXPECT_EQ(StoredPlacement().showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
}

TEST_F(RunTest, MinimisedComesBackRestored) {
    const RECT normal = {140, 110, 740, 510};
    // The run before ended minimised.
    EXPECT_EQ(RunAndClose(SW_SHOWNORMAL,
                          [&](HWND frame) {
                              SetWindowPos(frame, nullptr, normal.left, normal.top, normal.right - normal.left,
                                           normal.bottom - normal.top, SWP_NOZORDER);
                              ShowWindow(frame, SW_MINIMIZE);
                          }),
              1);
    EXPECT_EQ(StoredPlacement().showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));

    EXPECT_EQ(RunAndClose(SW_SHOWNORMAL), 1);
    EXPECT_TRUE(g_observed.visible);
    EXPECT_FALSE(g_observed.iconic);
    EXPECT_TRUE(SameRect(g_observed.window, normal));
}

TEST_F(RunTest, StartedMinimisedUsesTheStartUpCommandAfterThePlacement) {
    const RECT normal = {100, 100, 700, 500};
    StorePlacement(SW_SHOWNORMAL, normal);
    EXPECT_EQ(RunAndClose(SW_SHOWMINNOACTIVE), 1);
    EXPECT_TRUE(g_observed.iconic);
    EXPECT_TRUE(SameRect(g_observed.normal, normal));
}

LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        return FALSE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The frame's window class is taken by one that refuses every window, so creating the frame fails.
TEST_F(RunTest, ExitCodeIsZeroWhenTheMainWindowCannotBeCreated) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const wchar_t* name = CMainFrame::GetWndClassName();
    UnregisterClassW(name, instance);
    WNDCLASSEXW refusing = {sizeof refusing};
    refusing.lpfnWndProc = &RefuseCreation;
    refusing.hInstance = instance;
    refusing.lpszClassName = name;
    ASSERT_TRUE(RegisterClassExW(&refusing));
    EXPECT_EQ(::Run(SW_SHOWNORMAL), 0);
    EXPECT_EQ(TakeQuitMessage(), -1);
    EXPECT_FALSE(FindWindowW(name, nullptr));
    EXPECT_TRUE(UnregisterClassW(name, instance));
    WINDOWPLACEMENT unused = {};
    EXPECT_FALSE(ReadWindowPlacement(unused)) << "no window, no placement stored";
}

} // namespace
