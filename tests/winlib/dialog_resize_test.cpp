#include "winlib/dialog_impl.h"
#include "winlib/dialog_resize.h"
#include "tests/winlib/test_resources.h"

#include <gtest/gtest.h>

#include <array>

namespace {

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(DialogResize, ControlRectFollowsTheFlagsOnEachAxis) {
    const RECT initial = {10, 20, 110, 70};
    EXPECT_TRUE(ResizedControlRect(initial, 0, 30, 40) == initial);
    EXPECT_TRUE((ResizedControlRect(initial, DLSZ_MOVE_X, 30, 40) == RECT{40, 20, 140, 70}));
    EXPECT_TRUE((ResizedControlRect(initial, DLSZ_SIZE_X, 30, 40) == RECT{10, 20, 140, 70}));
    EXPECT_TRUE((ResizedControlRect(initial, DLSZ_SIZE_X | DLSZ_SIZE_Y, 30, 40) == RECT{10, 20, 140, 110}));
    EXPECT_TRUE((ResizedControlRect(initial, DLSZ_MOVE_X | DLSZ_SIZE_Y, 30, 40) == RECT{40, 20, 140, 110}));
    EXPECT_TRUE((ResizedControlRect(initial, DLSZ_MOVE_Y, 30, 40) == RECT{10, 60, 110, 110}));
}

TEST(DialogResize, ShrinkingNeverGivesNegativeSizes) {
    const RECT initial = {10, 20, 110, 70};
    RECT shrunk = ResizedControlRect(initial, DLSZ_SIZE_X | DLSZ_SIZE_Y, -500, -500);
    EXPECT_EQ(shrunk.right, shrunk.left);
    EXPECT_EQ(shrunk.bottom, shrunk.top);
    EXPECT_TRUE((ResizedControlRect(initial, DLSZ_SIZE_X, -40, 0) == RECT{10, 20, 70, 70}));
}

class ResizingDialog : public CDialogImpl<ResizingDialog>, public CDialogResize<ResizingDialog> {
public:
    enum { IDD = IDD_TEST_RESIZE };
    static constexpr std::array<DlgResizeEntry, 5> kTable = {{
        {IDC_RESIZE_MOVE_X, DLSZ_MOVE_X},
        {IDC_RESIZE_SIZE_X, DLSZ_SIZE_X},
        {IDC_RESIZE_SIZE_XY, DLSZ_SIZE_X | DLSZ_SIZE_Y},
        {IDC_RESIZE_MOVE_X_SIZE_Y, DLSZ_MOVE_X | DLSZ_SIZE_Y},
        {4711, DLSZ_MOVE_X}, // not in the template: skipped
    }};
    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) override {
        if (uMsg == WM_INITDIALOG) {
            DlgResize_Init(kTable);
            lResult = TRUE;
            return TRUE;
        }
        return ProcessDialogResizeMessage(uMsg, wParam, lParam, lResult);
    }
};

RECT ControlRect(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST(DialogResize, ChildDialogLaysOutItsControlsOnEverySize) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ResizingDialog dialog;
    ASSERT_TRUE(dialog.Create(parent));
    RECT client = {};
    dialog.GetClientRect(&client);
    const RECT fixed = ControlRect(dialog, IDC_RESIZE_FIXED);
    const RECT moving = ControlRect(dialog, IDC_RESIZE_MOVE_X);
    const RECT growing = ControlRect(dialog, IDC_RESIZE_SIZE_XY);
    const RECT side = ControlRect(dialog, IDC_RESIZE_MOVE_X_SIZE_Y);

    dialog.SetWindowPos(nullptr, 0, 0, client.right + 50, client.bottom + 30, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_TRUE(ControlRect(dialog, IDC_RESIZE_FIXED) == fixed);
    EXPECT_TRUE((ControlRect(dialog, IDC_RESIZE_MOVE_X) ==
                 RECT{moving.left + 50, moving.top, moving.right + 50, moving.bottom}));
    EXPECT_TRUE((ControlRect(dialog, IDC_RESIZE_SIZE_XY) ==
                 RECT{growing.left, growing.top, growing.right + 50, growing.bottom + 30}));
    EXPECT_TRUE((ControlRect(dialog, IDC_RESIZE_MOVE_X_SIZE_Y) ==
                 RECT{side.left + 50, side.top, side.right + 50, side.bottom + 30}));

    // Back to the first size: every control is where it started (no drift from repeated layouts).
    dialog.SetWindowPos(nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_TRUE(ControlRect(dialog, IDC_RESIZE_MOVE_X) == moving);
    EXPECT_TRUE(ControlRect(dialog, IDC_RESIZE_SIZE_XY) == growing);
    DestroyWindow(parent);
}

} // namespace
