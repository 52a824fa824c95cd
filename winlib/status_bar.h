// A status bar whose panes are addressed by id rather than position. The default pane (id 0) takes the
// width the other panes leave; each other pane starts as wide as the string resource with its id.
#pragma once

#include "winlib/window_impl.h"

#include <commctrl.h>

#include <span>
#include <string>
#include <vector>

inline constexpr int ID_DEFAULT_PANE = 0;

// Right edges of the panes for SB_SETPARTS: panes after the first are right-aligned with the given widths,
// the last one also covering the size grip; the first takes what is left. The last edge is -1 (to the end).
std::vector<int> StatusPaneEdges(int clientWidth, int gripWidth, std::span<const int> widths);

class CMultiPaneStatusBarCtrl : public CWindowImpl<CMultiPaneStatusBarCtrl> {
public:
    // Creates the status control (with a size grip unless the style says otherwise) and attaches to it.
    HWND Create(HWND parent, const wchar_t* text,
                DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | SBARS_SIZEGRIP,
                UINT id = 0xE801);

    // Sets the panes in display order. A pane's initial width is that of its string resource (same id) in
    // the bar's font plus the pane margins; the default pane takes the rest.
    BOOL SetPanes(std::span<const int> ids);
    int GetPaneCount() const { return static_cast<int>(m_ids.size()); }
    int GetPaneIndexFromID(int id) const;

    BOOL SetPaneText(int id, const wchar_t* text);
    std::wstring GetPaneText(int id) const;
    BOOL SetPaneWidth(int id, int width);
    // The width given to a pane; for the default pane the width it has now.
    int GetPaneWidth(int id) const;

    // The width a pane needs to show text in the bar's font (text width plus the pane margins).
    int PaneWidthForText(const wchar_t* text) const;

    // Menu prompts: a single text over the whole bar while a menu is open; the panes come back after.
    void SetSimpleText(const wchar_t* text);
    void EndSimpleText();

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;

private:
    void UpdatePanesLayout();

    std::vector<int> m_ids;
    std::vector<int> m_widths;
};
