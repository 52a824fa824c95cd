// The in-place editor of the options tree: a borderless edit control over an item's value area. It reports
// the end of an edit to the tree (PTM_ACCEPTEDIT or PTM_CANCELEDIT) when it loses the focus, and passes
// navigation keys to the tree (PTM_NAVIGATE). Main thread only.
#pragma once

#include "winlib/window_impl.h"

#include <string>

namespace OptionsTree {

class CPropertyEditWindow : public CWindowImplRoot {
public:
    // Creates a visible editor child of `tree` over `rect`, in the tree's font, showing `text`; digitsOnly
    // gives ES_NUMBER. The object belongs to its window and is deleted when the window is destroyed.
    static HWND Create(HWND tree, const RECT& rect, const std::wstring& text, bool digitsOnly);

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;
    void OnFinalMessage(HWND) override { delete this; }

private:
    CPropertyEditWindow() = default;
    ~CPropertyEditWindow() override = default;

    BOOL OnKeyDown(WPARAM key);
    void OnKillFocus(HWND hWnd);
    void Navigate(WPARAM key) const;

    bool cancelled_ = false;
    bool reported_ = false;
};

} // namespace OptionsTree
