// Keeps a dialog's controls in place as the dialog is resized: each control listed in a table moves and/or
// grows with the change of the dialog's client size since initialisation.
//
// T calls DlgResize_Init(table) in WM_INITDIALOG and hands messages that its own map did not handle to
// ProcessDialogResizeMessage.
#pragma once

#include "winlib/window.h"

#include <windows.h>

#include <span>
#include <vector>

enum : DWORD {
    DLSZ_SIZE_X = 0x01,
    DLSZ_SIZE_Y = 0x02,
    DLSZ_MOVE_X = 0x04,
    DLSZ_MOVE_Y = 0x08,
};

struct DlgResizeEntry {
    int id;
    DWORD flags;
};

// Where a control that sat at `initial` goes when its dialog has grown by dx, dy (negative: shrunk). Per
// axis a move takes precedence over a size change.
// Widths and heights never go below zero.
RECT ResizedControlRect(const RECT& initial, DWORD flags, int dx, int dy);

// The untyped part: the table with each control's rectangle at initialisation.
class CDialogResizeBase {
public:
    // Records the dialog's client size and each listed control's rectangle. Controls missing from the
    // dialog are skipped.
    void DlgResize_Init(HWND dialog, std::span<const DlgResizeEntry> table);
    // Lays out the controls for the dialog's current client size.
    void DlgResize_UpdateLayout(int clientWidth, int clientHeight);

protected:
    BOOL ProcessResizeMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

private:
    struct Control {
        HWND hWnd;
        DWORD flags;
        RECT initial;
    };
    HWND m_dialog = nullptr;
    SIZE m_initialSize = {};
    std::vector<Control> m_controls;
};

template <class T> class CDialogResize : public CDialogResizeBase {
public:
    void DlgResize_Init(std::span<const DlgResizeEntry> table) {
        CDialogResizeBase::DlgResize_Init(static_cast<T*>(this)->m_hWnd, table);
    }
    BOOL ProcessDialogResizeMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
        return ProcessResizeMessage(uMsg, wParam, lParam, lResult);
    }
};
