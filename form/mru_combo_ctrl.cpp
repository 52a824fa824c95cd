#include "form/mru_combo_ctrl.h"

#include "form/history_store.h"

bool CMruComboCtrl::AddToHistory() {
    // Longer texts are refused before reading, so a cut-off text never enters the list.
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length < 0 || static_cast<size_t>(length) > HistoryList::kMaxTextChars) {
        return false;
    }
    if (!history_.Add(GetWindowText(static_cast<int>(HistoryList::kMaxTextChars)))) {
        return false;
    }
    RefillCombo();
    return true;
}

bool CMruComboCtrl::ReadHistory(const wchar_t* subKey) {
    if (!LoadHistory(subKey, history_)) {
        return false;
    }
    RefillCombo();
    return true;
}

bool CMruComboCtrl::WriteHistory(const wchar_t* subKey) const {
    return StoreHistory(subKey, history_.Capacity(), ListItems(history_.Count()));
}

void CMruComboCtrl::RefillCombo() {
    // Items are deleted one by one rather than reset, so that the edit field keeps its text when the list
    // stays empty.
    while (SendMessage(CB_GETCOUNT) > 0) {
        if (SendMessage(CB_DELETESTRING, 0) == CB_ERR) {
            break;
        }
    }
    for (const std::wstring& text : history_.NewestFirst()) {
        SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    if (history_.Count() > 0) {
        SendMessage(CB_SETCURSEL, 0);
    }
}

std::vector<std::wstring> CMruComboCtrl::ListItems(size_t count) const {
    std::vector<std::wstring> items(count);
    for (size_t i = 0; i < count; ++i) {
        const LRESULT length = SendMessage(CB_GETLBTEXTLEN, i);
        if (length == CB_ERR || length < 0) {
            continue;
        }
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        const LRESULT got = SendMessage(CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        if (got != CB_ERR && got >= 0) {
            text.resize(static_cast<size_t>(got));
            items[i] = std::move(text);
        }
    }
    return items;
}

BOOL CMruComboCtrl::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&, DWORD) {
    // Every message keeps the combo box's own behaviour; the class only adds the history operations.
    return FALSE;
}
