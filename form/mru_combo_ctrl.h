// CMruComboCtrl: an editable combo box whose drop-down list holds the most recently used texts, newest
// first, kept in the registry (form/history_store.h). The list rules live in HistoryList; this class applies
// them to the control. Attach it to a combo of a dialog with SubclassWindow. Main thread only.
#pragma once

#include "form/history_list.h"
#include "winlib/window_impl.h"

#include <string>
#include <vector>

class CMruComboCtrl : public CWindowImplRoot {
public:
    // Adds the edit field's text (see HistoryList::Add) and refills the list; false when nothing was added.
    bool AddToHistory();
    // Loads the entries and capacity stored under subKey and refills the list; false (nothing changed)
    // when there is no stored history.
    bool ReadHistory(const wchar_t* subKey);
    // Stores the capacity and the list items in the order the control shows them (alphabetical for a
    // sorted combo); false when the key cannot be written.
    bool WriteHistory(const wchar_t* subKey) const;
    // Rebuilds the drop-down list from the entries, newest first, and selects the first item.
    void RefillCombo();

    DWORD GetCapacity() const { return history_.Capacity(); }
    void SetCapacity(DWORD capacity) { history_.SetCapacity(capacity); }
    const HistoryList& History() const { return history_; }

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;

private:
    // The texts of the first `count` list items; "" for an item that cannot be read.
    std::vector<std::wstring> ListItems(size_t count) const;

    HistoryList history_;
};
