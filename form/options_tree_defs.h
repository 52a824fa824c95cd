// Numbers shared by the options tree, its item classes and its parent: notification codes, private messages,
// item kinds, activation codes and the record handed to the item classes for painting.
#pragma once

#include <windows.h>

namespace OptionsTree {

class IProperty;

// Notifications to the tree's parent (WM_NOTIFY, record NMPROPERTYITEM, id = the tree's control id).
inline constexpr int PTN_FIRST = -3000;
inline constexpr int PTN_SELCHANGED = PTN_FIRST - 1;     // the selection changed
inline constexpr int PTN_ITEMCHANGING = PTN_FIRST - 2;   // a value is about to change; non-zero cancels
inline constexpr int PTN_ITEMCHANGED = PTN_FIRST - 3;    // a value changed
inline constexpr int PTN_ITEMCOLLAPSING = PTN_FIRST - 4; // the user collapses an item; non-zero prevents it
inline constexpr int PTN_ITEMEXPANDING = PTN_FIRST - 5;  // the user expands an item; non-zero prevents it
inline constexpr int PTN_CLICK = PTN_FIRST - 7;          // an item was clicked; non-zero suppresses activation
inline constexpr int PTN_DBLCLICK = PTN_FIRST - 8;       // double click; non-zero suppresses activation

// True for the codes above; a parent that reflects notifications must not send these back to the tree.
inline constexpr bool IsPropertyNotification(int code) {
    return code <= PTN_SELCHANGED && code >= PTN_DBLCLICK;
}

struct NMPROPERTYITEM {
    NMHDR hdr;
    IProperty* prop;
};

// Private messages of the tree.
inline constexpr UINT PTM_ACCEPTEDIT = WM_USER + 430; // lParam = editor: commit its text
inline constexpr UINT PTM_CANCELEDIT = WM_USER + 431; // lParam = editor: drop it, keep the value
inline constexpr UINT PTM_SETVALUE = WM_USER + 432;   // wParam = VARIANT*, lParam = IProperty*: with notifications
inline constexpr UINT PTM_NAVIGATE = WM_USER + 435;   // wParam = VK_UP / VK_DOWN: move the selection
inline constexpr UINT PTM_SETCHECK = WM_USER + 436;   // wParam = HTREEITEM, lParam = 0/1: quietly set a check

// Item kinds (IProperty::GetKind).
inline constexpr BYTE PROPKIND_ITEM = 2;  // group heading or read-only value
inline constexpr BYTE PROPKIND_EDIT = 3;  // value edited in place
inline constexpr BYTE PROPKIND_CHECK = 6; // check box or radio option

// Activation codes (IProperty::Activate).
inline constexpr UINT PACT_SELECT = 1;   // the item became selected or the tree got the focus
inline constexpr UINT PACT_CLICK = 3;    // mouse click
inline constexpr UINT PACT_DBLCLICK = 4; // double click
inline constexpr UINT PACT_TAB = 6;      // Tab
inline constexpr UINT PACT_SPACE = 7;    // Space, Right arrow or F2

// Extended-style bits of the tree (CPropertyTreeCtrl::SetExtendedStyle).
inline constexpr DWORD PTS_EX_ICONCLICK = 0x01;     // check and option items toggle only on their icon
inline constexpr DWORD PTS_EX_NOEXPANDCLICK = 0x02; // no user expand/collapse once the tree was clicked
inline constexpr DWORD PTS_EX_EDITONSELECT = 0x04;  // selecting an edit item puts the caret into its editor

// State bits of PROPERTYDRAWINFO.
inline constexpr UINT PDS_SELECTED = 0x01;
inline constexpr UINT PDS_DISABLED = 0x02;
inline constexpr UINT PDS_EDITING = 0x04;

// What an item needs to paint its name or value: the device context, the area, the state and the tree's
// current fonts, pen and colours. The tree owns every handle in it.
struct PROPERTYDRAWINFO {
    HDC dc = nullptr;
    RECT rect = {};
    UINT state = 0;
    HFONT font = nullptr;      // the label font
    HFONT valueFont = nullptr; // a copy of it for the value text
    HPEN pen = nullptr;        // one pixel, in the frame colour
    COLORREF textColor = 0;
    COLORREF backColor = 0;
    COLORREF selTextColor = 0;
    COLORREF selBackColor = 0;
    COLORREF disabledColor = 0;
    COLORREF borderColor = 0;
    TEXTMETRICW textMetric = {};
};

} // namespace OptionsTree
