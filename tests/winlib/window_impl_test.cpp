#include "base/log_file.h"
#include "winlib/dialog_impl.h"
#include "winlib/window_impl.h"
#include "tests/common/test_support.h"
#include "tests/winlib/test_resources.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <stdexcept>
#include <vector>

namespace {

class RecordingWindow : public CWindowImpl<RecordingWindow> {
public:
    std::vector<UINT> seen;
    int finalMessages = 0;
    HWND finalHandle = nullptr;
    bool throwOnSetText = false;
    UINT reflectedCommands = 0;

    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) override {
        seen.push_back(uMsg);
        switch (uMsg) {
        case WM_APP + 1:
            lResult = 42;
            return TRUE;
        case WM_SETTEXT:
            if (throwOnSetText) {
                throw std::runtime_error("handler failed");
            }
            return FALSE;
        case WM_COMMAND:
            return ReflectNotifications(uMsg, wParam, lParam, lResult);
        default:
            return FALSE;
        }
    }
    void OnFinalMessage(HWND hWnd) override {
        ++finalMessages;
        finalHandle = hWnd;
        EXPECT_EQ(m_hWnd, nullptr) << "the object is detached before its final message";
    }
};

// Takes letters away from an edit control; everything else reaches the control.
class NoLettersEdit : public CWindowImpl<NoLettersEdit> {
public:
    UINT reflected = 0;
    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM, LRESULT& lResult, DWORD) override {
        if (uMsg == WM_CHAR && iswalpha(static_cast<wint_t>(wParam))) {
            lResult = 0;
            return TRUE;
        }
        if (uMsg == OCM_COMMAND) {
            reflected = HIWORD(wParam);
            lResult = 0;
            return TRUE;
        }
        return FALSE;
    }
};

HWND CreateEdit(HWND parent) {
    return CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent, reinterpret_cast<HMENU>(77),
                           GetModuleHandleW(nullptr), nullptr);
}

TEST(WindowImpl, OwnWindowDispatchesAndFallsBackToDefault) {
    RecordingWindow window;
    ASSERT_TRUE(window.Create(nullptr, nullptr, L"first", WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(window.SendMessage(WM_APP + 1), 42);
    // Unhandled messages get the default window procedure: the caption is stored.
    window.SetWindowText(L"second");
    EXPECT_EQ(window.GetWindowText(), L"second");
    EXPECT_EQ(window.GetWindowText(3), L"sec");
    EXPECT_FALSE(window.seen.empty());

    HWND hWnd = window.m_hWnd;
    ::DestroyWindow(hWnd);
    EXPECT_EQ(window.finalMessages, 1);
    EXPECT_EQ(window.finalHandle, hWnd);
    EXPECT_EQ(window.m_hWnd, nullptr);
}

TEST(WindowImpl, ExceptionInHandlerNeverLeavesTheWindowProcedure) {
    RecordingWindow window;
    ASSERT_TRUE(window.Create(nullptr, nullptr, L"before", WS_OVERLAPPEDWINDOW));
    const std::wstring logPath = LogFolderPath() + L"\\" + kProgramLogName;
    DeleteFileW(logPath.c_str());
    window.throwOnSetText = true;
    window.SetWindowText(L"after");
    EXPECT_EQ(window.GetWindowText(), L"after") << "the failed handler's message still got default handling";
    window.DestroyWindow();

    // The failure is not lost: the program log names the message and the exception's text.
    const std::string log = testsupport::ReadFileBytes(logPath);
    EXPECT_NE(log.find("message 0x000c"), std::string::npos) << log;
    EXPECT_NE(log.find("handler failed"), std::string::npos) << log;
}

TEST(WindowImpl, SubclassedControlKeepsItsOwnBehaviour) {
    RecordingWindow parent;
    ASSERT_TRUE(parent.Create(nullptr, nullptr, L"parent", WS_OVERLAPPEDWINDOW));
    NoLettersEdit edit;
    HWND hEdit = CreateEdit(parent);
    ASSERT_TRUE(edit.SubclassWindow(hEdit));
    EXPECT_FALSE(edit.SubclassWindow(hEdit)) << "one object attaches to one window";

    for (wchar_t c : std::wstring(L"a1b2")) {
        edit.SendMessage(WM_CHAR, c, 0);
    }
    EXPECT_EQ(edit.GetWindowText(), L"12");

    // The parent reflects the control's notifications back to it.
    ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(77, EN_CHANGE), reinterpret_cast<LPARAM>(hEdit));
    EXPECT_EQ(edit.reflected, static_cast<UINT>(EN_CHANGE));

    EXPECT_EQ(edit.UnsubclassWindow(), hEdit);
    ::SendMessageW(hEdit, WM_CHAR, L'z', 0);
    EXPECT_EQ(CWindow(hEdit).GetWindowText(), L"12z");
    parent.DestroyWindow();
}

TEST(WindowImpl, ObjectGoneBeforeItsControlLeavesNoDanglingHook) {
    RecordingWindow parent;
    ASSERT_TRUE(parent.Create(nullptr, nullptr, L"parent", WS_OVERLAPPEDWINDOW));
    HWND hEdit = CreateEdit(parent);
    {
        NoLettersEdit edit;
        ASSERT_TRUE(edit.SubclassWindow(hEdit));
    }
    ::SendMessageW(hEdit, WM_CHAR, L'q', 0);
    EXPECT_EQ(CWindow(hEdit).GetWindowText(), L"q");
    parent.DestroyWindow();
}

class TestDialog : public CDialogImpl<TestDialog> {
public:
    enum { IDD = IDD_TEST_DIALOG };
    std::wstring typed;
    LPARAM initParam = 0;

    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) override {
        switch (uMsg) {
        case WM_INITDIALOG:
            initParam = lParam;
            SetDlgItemText(IDC_TEST_EDIT, L"typed");
            PostMessage(WM_COMMAND, IDOK);
            lResult = TRUE;
            return TRUE;
        case WM_GETDLGCODE:
            lResult = DLGC_WANTALLKEYS;
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                typed = CWindow(GetDlgItem(IDC_TEST_EDIT)).GetWindowText();
                EndDialog(LOWORD(wParam) == IDOK ? 7 : 0);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
        }
    }
};

TEST(DialogImpl, ModalDialogRunsItsMapAndReturnsTheEndCode) {
    TestDialog dialog;
    EXPECT_EQ(dialog.DoModal(nullptr, 1234), 7);
    EXPECT_EQ(dialog.initParam, 1234);
    EXPECT_EQ(dialog.typed, L"typed");
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST(DialogImpl, ModelessDialogReportsHandledResultsThroughMsgResult) {
    TestDialog dialog;
    HWND hWnd = dialog.Create(nullptr, 5);
    ASSERT_TRUE(hWnd);
    EXPECT_EQ(dialog.initParam, 5);
    EXPECT_EQ(::SendMessageW(hWnd, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);
    dialog.DestroyWindow();
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    testsupport::PumpUntil([] { return false; }, 20);
}

} // namespace
