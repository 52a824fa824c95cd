// The real search view with results of a real search over a key tree the test builds under
// HKCU\Software\QuillonActionsTest, and the means to act on them as the user does: clicks, keys, commands.
#pragma once

#include "resources/command_ids.h"
#include "results/result_deletes.h"
#include "output/result_texts.h"
#include "tests/form/view_fixture.h"

#include <string>
#include <vector>

namespace actionstest {

inline const std::wstring kBase = L"Software\\QuillonActionsTest";

inline HKEY Open(const std::wstring& relative) {
    HKEY key = nullptr;
    const std::wstring path = relative.empty() ? kBase : kBase + L"\\" + relative;
    RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

inline void Set(const std::wstring& relative, const std::wstring& name, DWORD type, const void* data, size_t size) {
    HKEY key = Open(relative);
    RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
    RegCloseKey(key);
}

inline void SetString(const std::wstring& relative, const std::wstring& name, const std::wstring& text,
                      DWORD type = REG_SZ) {
    Set(relative, name, type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

inline bool KeyExists(const std::wstring& relative) {
    HKEY key = nullptr;
    const std::wstring path = relative.empty() ? kBase : kBase + L"\\" + relative;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

inline bool ValueExists(const std::wstring& relative, const std::wstring& name) {
    const std::wstring path = kBase + L"\\" + relative;
    return RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

inline void DeleteValue(const std::wstring& relative, const std::wstring& name) {
    HKEY key = Open(relative);
    RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
}

class ActionsTest : public viewtest::ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        testsupport::DeleteKey(kBase);
        frame.onCommand = [this](WPARAM wParam, LPARAM lParam) {
            frameCommands.push_back(LOWORD(wParam));
            view->SendMessage(WM_COMMAND, wParam, lParam);
        };
    }
    void TearDown() override {
        ViewTest::TearDown();
        testsupport::DeleteKey(kBase);
    }

    // A\ with s1 (string) and d1 (number), A\Sub\ with s2, B\ with gone, and the sibling AB\ with x.
    void BuildTree() {
        SetString(L"A", L"s1", L"one");
        const DWORD one = 1;
        Set(L"A", L"d1", REG_DWORD, &one, sizeof one);
        SetString(L"A\\Sub", L"s2", L"two");
        SetString(L"B", L"gone", L"soon");
        SetString(L"AB", L"x", L"sibling");
    }

    // Every key and value below the test key.
    void SearchAll(const std::wstring& computer = {}) {
        if (!computer.empty()) {
            SetOption(L"Remote Computer", true);
            ViewTest::SetText(L"Computer", computer.c_str());
        }
        // Any character, in key names, value names and data: every key and value, with its data as text.
        ChooseMode(SM_REGEX);
        OnlyLookAt(true, true, true);
        Type(IDC_LOOKIN, L"HKCU\\" + kBase);
        Type(IDC_SEARCH_TEXT, L".");
        PressSearch();
        ASSERT_TRUE(WaitForSearchEnd());
        ASSERT_GT(Rows(), 0);
    }

    CHTMLListCtrl& List() { return view->ResultsList(); }
    int Rows() { return List().GetItemCount(); }

    SearchResult RecordAt(int position) {
        SearchResult record;
        view->Results().Copy(List().GetItemData(position), record);
        return record;
    }
    // The row of the key result (value empty and key true) or value result below the test key; -1 if none.
    int RowOf(const std::wstring& relative, const std::wstring& value = {}, bool key = false) {
        const std::wstring path = relative.empty() ? kBase : kBase + L"\\" + relative;
        for (int position = 0; position < Rows(); ++position) {
            const SearchResult record = RecordAt(position);
            if (_wcsicmp(record.KeyPath().c_str(), path.c_str()) == 0 && record.IsKey() == key &&
                (key || record.valueName == value)) {
                return position;
            }
        }
        return -1;
    }
    int KeyRow(const std::wstring& relative) { return RowOf(relative, {}, true); }

    // A click in the middle of the row, away from its check box.
    void Click(int position) {
        const RECT row = List().GetItemRect(position);
        const LPARAM at = MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2);
        List().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        List().SendMessage(WM_LBUTTONUP, 0, at);
        ASSERT_EQ(List().GetSelectedIndex(), position);
    }
    void Command(WORD id) { view->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    // A key press in the list with the given modifier keys held.
    void Press(WORD key, bool control = false, bool shift = false) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        BYTE held[256];
        std::copy(std::begin(keys), std::end(keys), std::begin(held));
        held[VK_CONTROL] = control ? 0x80 : 0;
        held[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(held);
        List().SetFocus();
        List().SendMessage(WM_KEYDOWN, key, 0);
        SetKeyboardState(keys);
    }
    // The state the context menu gives the command for the current selection.
    bool ContextMenuStatesFor(UINT id) {
        for (const CommandEnabled& state : ContextMenuStates(view->CommandInputs())) {
            if (state.id == id) {
                return state.enabled;
            }
        }
        ADD_FAILURE() << "no state for " << id;
        return false;
    }
    bool Removed(size_t index) {
        SearchResult record;
        return view->Results().Copy(index, record) && record.removed;
    }

    std::vector<WORD> frameCommands;
};

} // namespace actionstest
