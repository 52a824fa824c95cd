// The view's side of the key browser: it hands the component the finished search, turns the component's
// filter requests into rebuilds of the results list, and carries out "Goto this key in Key Browser".
#include "form/keldra_view.h"

#include "results/html_list_notify.h"
#include "results/key_tree.h"

#include <utility>

CKeyBrowser& CKeldraWTLView::KeyBrowser() {
    // The frame creates the tree after the view may have been told where its handle lives.
    m_keyBrowser.Attach(KeyBrowserTree());
    return m_keyBrowser;
}

void CKeldraWTLView::EmptyKeyBrowser() {
    KeyBrowser().Empty();
    SetKeyFilter(L"");
}

void CKeldraWTLView::FillKeyBrowser() {
    SetKeyFilter(L"");
    KeyTreeData data;
    // The worker has ended: its key map and look-in list no longer change. The browser takes the map over
    // rather than a copy; a whole registry's map holds hundreds of thousands of paths.
    data.keys = m_search.Results().TakeKeyTree();
    const ResultsOrigin origin = m_search.Results().Origin();
    for (const KeyLocation& location : origin.lookIn) {
        data.branches.push_back(LookInBranchPath(location));
    }
    data.remoteComputer = origin.computer;
    data.fromFile = origin.IsFromFile();
    CKeyBrowser& browser = KeyBrowser();
    browser.SetFilterHandler([this](const std::wstring& path) { OnKeyBrowserFilter(path); });
    browser.Fill(std::move(data));
}

LRESULT CKeldraWTLView::OnKeyBrowserNotify(NMHDR* header) {
    return KeyBrowser().OnNotify(header);
}

void CKeldraWTLView::OnKeyBrowserFilter(const std::wstring& path) {
    RebuildList(path);
    // The rebuilt list has no selection: the selection's status pane is emptied as for a cleared selection.
    NMHTMLLIST info = {};
    info.hdr.hwndFrom = m_list.m_hWnd;
    info.hdr.idFrom = IDC_RESULTS_LIST;
    info.hdr.code = HLN_SELCHANGED;
    info.row = -1;
    info.data = HTML_LIST_NO_DATA;
    SendMessage(WM_NOTIFY, IDC_RESULTS_LIST, reinterpret_cast<LPARAM>(&info));
}

void CKeldraWTLView::OnGotoKeyBrowser() {
    SearchResult record;
    if (CopySelectedResult(record)) {
        KeyBrowser().GoToKey(ResultKeyName(record.root, record.KeyPath()));
    }
}

std::wstring CKeldraWTLView::KeyBrowserSelectedPath() {
    return KeyBrowser().SelectedPath();
}
