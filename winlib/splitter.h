// A vertical splitter: a left and a right pane side by side with a draggable bar between them. The bar's
// position is kept as a share of the width, so both panes grow in proportion when the splitter is resized.
// Either pane can be shown alone (single-pane mode). WM_COMMAND and WM_NOTIFY from the panes go on to the
// splitter's parent, so that the panes' owners see their notifications.
#pragma once

#include "winlib/window_impl.h"

inline constexpr int kShareWhole = 1000000;

enum : int {
    SPLIT_PANE_LEFT = 0,
    SPLIT_PANE_RIGHT = 1,
    SPLIT_PANE_NONE = -1,
};

struct SplitterLayout {
    RECT left;  // empty when the left pane is hidden
    RECT bar;   // empty in single-pane mode
    RECT right; // empty when the right pane is hidden
};

// The bar's left edge for a client width: `share` is the left pane's part, in millionths, of the width left
// beside the bar; both panes keep at least minPane pixels while the width allows it.
int SplitterBarPosition(int width, int barWidth, int minPane, int share);
// The pane and bar rectangles for a client size, bar position and single-pane mode.
SplitterLayout ComputeSplitterLayout(int width, int height, int barPos, int barWidth, int singlePane);

class CSplitterWindowT : public CWindowImpl<CSplitterWindowT> {
public:
    static HBRUSH GetWndBackground() { return reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1); }

    void SetSplitterPanes(HWND left, HWND right);
    HWND GetSplitterPane(int pane) const { return pane == SPLIT_PANE_LEFT ? m_left : m_right; }

    void SetBarWidth(int width) { m_barWidth = width; }
    void SetMinPaneSize(int size) { m_minPane = size; }
    // Sets the left pane's share of the width in percent and lays the panes out.
    void SetSplitterPosPct(int percent);
    // Moves the bar to x (client pixels), within the minimum pane sizes, and keeps the new share.
    void SetSplitterPos(int x);
    int GetSplitterPos() const { return m_barPos; }

    // SPLIT_PANE_LEFT or SPLIT_PANE_RIGHT shows that pane alone; SPLIT_PANE_NONE shows both.
    void SetSinglePaneMode(int pane);
    int GetSinglePaneMode() const { return m_singlePane; }

    // Places the panes for the current client size.
    void UpdateSplitterLayout();

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;

private:
    bool IsOverBar(POINT point) const;
    void OnMouseMove(POINT point);

    HWND m_left = nullptr;
    HWND m_right = nullptr;
    int m_barWidth = 4;
    int m_minPane = 0;
    int m_share = kShareWhole / 2; // millionths of the width beside the bar
    int m_barPos = 0;
    int m_singlePane = SPLIT_PANE_NONE;
    int m_dragOffset = -1; // cursor offset inside the bar while dragging; -1 when not dragging
};
