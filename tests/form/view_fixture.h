// The real search view in a stand-in frame: a hidden top-level window that records WM_SCANSTATUS, with the
// frame's status bar (panes 0, 129, 212, 211) and the result-delivery queue. Pumping messages also runs the
// frame's idle drain, one queued result per idle pass.
#pragma once

#include "engine/msg_queue.h"
#include "form/keldra_view.h"
#include "tests/common/test_support.h"
#include "winlib/status_bar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace viewtest {

class FrameStub : public CWindowImpl<FrameStub> {
public:
    std::vector<WPARAM> scans;
    std::vector<std::wstring> defaultPaneAtScan;
    CMultiPaneStatusBarCtrl* statusBar = nullptr;
    // Commands sent to the frame (the view sends some back there), handed on like the frame does.
    std::function<void(WPARAM, LPARAM)> onCommand;

    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) override {
        if (uMsg == WM_COMMAND && onCommand) {
            onCommand(wParam, lParam);
            lResult = 0;
            return TRUE;
        }
        if (uMsg != WM_SCANSTATUS) {
            return FALSE;
        }
        scans.push_back(wParam);
        defaultPaneAtScan.push_back(statusBar ? statusBar->GetPaneText(0) : L"");
        lResult = 0;
        return TRUE;
    }
};

inline const std::wstring kTestKey = L"Software\\QuillonViewTest";

// A copy of the stored record at index (an empty record when there is none).
inline SearchResult StoredRecord(const ResultsStore& store, size_t index) {
    SearchResult record;
    EXPECT_TRUE(store.Copy(index, record)) << "no record " << index;
    return record;
}

class ViewTest : public testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetProgramKey();
        PrepareSettings();
        MsgQueueCreate();
        RECT area = {0, 0, 1000, 700};
        // Hidden: under Wine without a window manager, hiding a shown top-level window waits two seconds.
        ASSERT_TRUE(frame.Create(nullptr, &area, L"frame", WS_POPUP | WS_CLIPCHILDREN));
        ASSERT_TRUE(statusBar.Create(frame, L"Ready"));
        const std::array<int, 4> panes = {0, kPaneModified, kPaneMatches, kPaneTotals};
        statusBar.SetPanes(panes);
        frame.statusBar = &statusBar;
        OpenView();
    }
    void TearDown() override {
        CloseView();
        if (frame.IsWindow()) {
            frame.DestroyWindow();
        }
        MsgQueueClose();
        testsupport::DeleteKey(kTestKey);
        testsupport::ResetProgramKey();
    }

    // Settings written before the view opens (the saved form state, histories).
    virtual void PrepareSettings() {}

    void OpenView() {
        view = std::make_unique<CKeldraWTLView>();
        view->SetFrame(frame, &statusBar, &keyBrowserTree);
        ASSERT_TRUE(view->Create(frame));
        view->SetWindowPos(nullptr, 0, 0, 1000, 650, SWP_NOZORDER | SWP_NOACTIVATE);
        // The start-up timer (100 ms) puts the first look-in text in place and carries it into the tree.
        Pump([] { return false; }, 250);
        ASSERT_FALSE(Text(IDC_LOOKIN).empty());
    }
    void CloseView() {
        if (view && view->IsWindow()) {
            if (view->IsSearchRunning()) {
                view->StopSearch();
            }
            view->DestroyWindow();
        }
        view.reset();
    }

    // Dispatches messages, with the frame's idle drain between them, until done() or the timeout.
    bool Pump(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
        const DWORD start = GetTickCount();
        for (;;) {
            if (done()) {
                return true;
            }
            if (GetTickCount() - start > timeoutMs) {
                return done();
            }
            MSG msg;
            bool any = false;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                any = true;
                if (!view || !view->PreTranslateMessage(&msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
                MsgQueueForwardOne(view ? view->SearchThreadHandle() : nullptr);
            }
            if (!any && !MsgQueueForwardOne(view ? view->SearchThreadHandle() : nullptr)) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            }
        }
    }
    void Settle() {
        Pump([] { return false; }, 30);
    }
    // Waits for the view to report the end of the search started by the last PressSearch: the event, not a
    // state, since a worker that finishes first leaves the button reading "Search" before the view even
    // handled the start.
    bool WaitForSearchEnd() {
        return Pump([&] { return EndsReported() > endsBeforePress_ && Text(IDC_SEARCH_BUTTON) == L"Search"; }, 60000);
    }
    size_t EndsReported() const {
        return static_cast<size_t>(std::count(frame.scans.begin(), frame.scans.end(), SCAN_ENDED));
    }

    HWND Item(int id) const { return GetDlgItem(*view, id); }
    std::wstring Text(int id) const { return CWindow(Item(id)).GetWindowText(); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    // The control's own visibility; the stand-in frame itself stays hidden.
    bool Shown(int id) const { return (GetWindowLongPtrW(Item(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    std::wstring Pane(int id) const { return statusBar.GetPaneText(id); }

    // What typing does: the text, then the combo's edit-change notification.
    void Type(int comboId, const std::wstring& text) {
        SetWindowTextW(Item(comboId), text.c_str());
        view->SendMessage(WM_COMMAND, MAKEWPARAM(comboId, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(Item(comboId)));
        Settle();
    }
    // What picking from the mode list does.
    void ChooseMode(DWORD mode) {
        HWND modes = Item(IDC_SEARCH_MODE);
        const int count = static_cast<int>(SendMessageW(modes, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            if (static_cast<DWORD>(SendMessageW(modes, CB_GETITEMDATA, i, 0)) == mode) {
                SendMessageW(modes, CB_SETCURSEL, i, 0);
            }
        }
        view->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SEARCH_MODE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(modes));
        Settle();
    }
    void Check(int id, bool on) {
        CheckDlgButton(*view, id, on ? BST_CHECKED : BST_UNCHECKED);
        view->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
    }
    void PressSearch() {
        endsBeforePress_ = EndsReported();
        view->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SEARCH_BUTTON, BN_CLICKED),
                          reinterpret_cast<LPARAM>(Item(IDC_SEARCH_BUTTON)));
    }

    // ---- the options tree, found by item text

    OptionsTree::CPropertyTreeCtrl& Tree() { return view->OptionsTreeCtrl(); }
    HTREEITEM Find(const std::wstring& name, HTREEITEM from = TVI_ROOT) {
        for (HTREEITEM item = Tree().GetChildItem(from == TVI_ROOT ? nullptr : from); item;
             item = Tree().GetNextSiblingItem(item)) {
            if (Tree().GetProperty(item) && name == Tree().GetProperty(item)->GetName()) {
                return item;
            }
            if (HTREEITEM below = Find(name, item)) {
                return below;
            }
        }
        return nullptr;
    }
    bool On(const std::wstring& name) { return Tree().GetCheckState(Find(name)); }
    bool Offered(const std::wstring& name) { return Tree().IsItemEnabled(Find(name)); }
    bool Bold(const std::wstring& name) { return (Tree().GetItemState(Find(name), TVIS_BOLD) & TVIS_BOLD) != 0; }
    bool Expanded(const std::wstring& name) {
        return (Tree().GetItemState(Find(name), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    }
    // A change as the user makes it: through the tree, with its notifications to the view.
    void SetOption(const std::wstring& name, bool on) {
        OptionsTree::ScopedVariant value(on);
        Tree().SendMessage(OptionsTree::PTM_SETVALUE, reinterpret_cast<WPARAM>(&value.Get()),
                           reinterpret_cast<LPARAM>(Tree().GetProperty(Find(name))));
        Settle();
    }
    void SetText(const std::wstring& name, const wchar_t* text) {
        OptionsTree::ScopedVariant value(text);
        Tree().SendMessage(OptionsTree::PTM_SETVALUE, reinterpret_cast<WPARAM>(&value.Get()),
                           reinterpret_cast<LPARAM>(Tree().GetProperty(Find(name))));
    }
    void SetNumber(const std::wstring& name, LONG number) {
        OptionsTree::ScopedVariant value(number);
        Tree().SendMessage(OptionsTree::PTM_SETVALUE, reinterpret_cast<WPARAM>(&value.Get()),
                           reinterpret_cast<LPARAM>(Tree().GetProperty(Find(name))));
    }
    void OnlyLookAt(bool keys, bool values, bool data) {
        Tree().SetCheckState(Find(L"Keys"), keys);
        Tree().SetCheckState(Find(L"Values"), values);
        Tree().SetCheckState(Find(L"Data"), data);
    }

    FrameStub frame;
    CMultiPaneStatusBarCtrl statusBar;
    HWND keyBrowserTree = nullptr;
    std::unique_ptr<CKeldraWTLView> view;

private:
    size_t endsBeforePress_ = 0;
};

inline std::wstring ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(name, &size);
    return name;
}

} // namespace viewtest
