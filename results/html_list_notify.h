// What the results list tells its parent (WM_NOTIFY, wParam = control id) and its style bits. Included by
// the search view.
#pragma once

#include <windows.h>

#include <commctrl.h>

inline constexpr UINT HLN_CREATED = 0;      // header only
inline constexpr UINT HLN_SELCHANGED = 1;   // NMHTMLLIST, row = new selection or -1
inline constexpr UINT HLN_BUTTONDOWN = 2;   // NMHTMLLIST, row -1, before hit-testing
inline constexpr UINT HLN_DBLCLK = 4;       // NMHTMLLIST, all fields 0
inline constexpr UINT HLN_CHECKCHANGED = 5; // NMHTMLLIST of the toggled row
inline constexpr UINT HLN_KEYDOWN = 6;      // NMHTMLLISTKEY; answer 1 to stop the control acting on the key

inline constexpr BYTE HLS_CHECKBOXES = 1;
inline constexpr BYTE HLS_IMAGES = 4;

// GetItemData of a position with no row.
inline constexpr DWORD_PTR HTML_LIST_NO_DATA = 0xFFFFFFFF;

struct NMHTMLLIST {
    NMHDR hdr;
    int row;        // 0-based position, -1 = none
    DWORD_PTR data; // the row's user data
    BOOL checked;
};

struct NMHTMLLISTKEY {
    NMHDR hdr;
    WORD vkey;
    UINT flags; // always 0
};
