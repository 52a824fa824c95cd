#include "winlib/command_bar.h"

#include "base/win_handles.h"
#include "winlib/toolbar.h"

#include <vector>

namespace {

constexpr WORD kToolBarResourceType = 241;

std::wstring MenuItemText(HMENU menu, int index) {
    wchar_t text[256] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(index), text, 256, MF_BYPOSITION);
    return text;
}

// The character after a single "&" ("&&" is a literal ampersand); 0 when there is none.
wchar_t Mnemonic(const std::wstring& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == L'&') {
            if (text[i + 1] != L'&') {
                return text[i + 1];
            }
            ++i;
        }
    }
    return 0;
}

wchar_t Upper(wchar_t c) {
    return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(::CharUpperW(reinterpret_cast<LPWSTR>(c))));
}

} // namespace

CCommandBarCtrl::~CCommandBarCtrl() {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        ::DestroyWindow(m_hWnd);
    }
}

HWND CCommandBarCtrl::Create(HWND parent, HWND notifyWindow, UINT id) {
    HWND bar =
        ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | CCS_NODIVIDER | CCS_NORESIZE |
                              CCS_NOPARENTALIGN | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TRANSPARENT,
                          0, 0, 100, 20, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                          ::GetModuleHandleW(nullptr), nullptr);
    if (!bar) {
        return nullptr;
    }
    if (!SubclassWindow(bar)) {
        ::DestroyWindow(bar);
        return nullptr;
    }
    m_notify = notifyWindow;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    // Underlines show only while the keyboard works the bar.
    SendMessage(WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEACCEL), 0);
    return m_hWnd;
}

bool CCommandBarCtrl::AttachMenu(HMENU menu) {
    if (!m_hWnd || !menu || !::IsMenu(menu)) {
        return false;
    }
    while (SendMessage(TB_DELETEBUTTON, 0, 0)) {
    }
    m_menu = menu;
    const int count = ::GetMenuItemCount(menu);
    std::vector<std::wstring> texts;
    for (int i = 0; i < count; ++i) {
        texts.push_back(MenuItemText(menu, i));
    }
    std::vector<TBBUTTON> buttons(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        TBBUTTON& button = buttons[static_cast<size_t>(i)];
        button.iBitmap = I_IMAGENONE;
        button.idCommand = i + kFirstButtonId;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        button.iString = reinterpret_cast<INT_PTR>(texts[static_cast<size_t>(i)].c_str());
    }
    SendMessage(TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessage(TB_AUTOSIZE);
    AddImagesToMenu(m_menu);
    return true;
}

bool CCommandBarCtrl::LoadImages(UINT toolbarResourceId) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    HRSRC found =
        ::FindResourceW(instance, MAKEINTRESOURCEW(toolbarResourceId), MAKEINTRESOURCEW(kToolBarResourceType));
    HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    std::optional<ToolBarTemplate> layout = ParseToolBarResource(data, found ? ::SizeofResource(instance, found) : 0);
    if (!layout) {
        return false;
    }
    m_images.Reset(ImageList_LoadImageW(instance, MAKEINTRESOURCEW(toolbarResourceId), layout->width, 0, CLR_DEFAULT,
                                        IMAGE_BITMAP, LR_CREATEDIBSECTION));
    if (!m_images.Get()) {
        return false;
    }
    m_imageSize = {layout->width, layout->height};
    m_imageOfCommand.clear();
    int image = 0;
    for (UINT command : layout->commands) {
        if (command != 0) {
            m_imageOfCommand.emplace(command, image++);
        }
    }
    if (m_menu) {
        AddImagesToMenu(m_menu);
    }
    return true;
}

void CCommandBarCtrl::AddImagesToMenu(HMENU menu) {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (HMENU popup = ::GetSubMenu(menu, i)) {
            AddImagesToMenu(popup);
            continue;
        }
        const UINT id = ::GetMenuItemID(menu, i);
        if (!HasImage(id)) {
            continue;
        }
        // The owner draws the image when the menu asks for it; the item keeps its text and check.
        MENUITEMINFOW info = {sizeof info};
        info.fMask = MIIM_BITMAP;
        info.hbmpItem = HBMMENU_CALLBACK;
        ::SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    }
}

SIZE CCommandBarCtrl::IdealSize() const {
    SIZE size = {};
    const int count = ItemCount();
    if (count > 0) {
        RECT last = {};
        ::SendMessageW(m_hWnd, TB_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&last));
        size.cx = last.right;
        size.cy = last.bottom;
    }
    return size;
}

int CCommandBarCtrl::ItemCount() const {
    return m_hWnd ? static_cast<int>(::SendMessageW(m_hWnd, TB_BUTTONCOUNT, 0, 0)) : 0;
}

int CCommandBarCtrl::HotItem() const {
    return m_hWnd ? static_cast<int>(::SendMessageW(m_hWnd, TB_GETHOTITEM, 0, 0)) : -1;
}

int CCommandBarCtrl::MenuIndexOfMnemonic(wchar_t key) const {
    if (!m_menu || key == 0) {
        return -1;
    }
    const int count = ::GetMenuItemCount(m_menu);
    for (int i = 0; i < count; ++i) {
        const wchar_t mnemonic = Mnemonic(MenuItemText(m_menu, i));
        if (mnemonic && Upper(mnemonic) == Upper(key)) {
            return i;
        }
    }
    return -1;
}

// ---- the window

void CCommandBarCtrl::OnMeasureItem(MEASUREITEMSTRUCT* item) const {
    item->itemWidth = static_cast<UINT>(m_imageSize.cx);
    item->itemHeight = static_cast<UINT>(m_imageSize.cy);
}

void CCommandBarCtrl::OnDrawItem(const DRAWITEMSTRUCT* item) const {
    const auto found = m_imageOfCommand.find(item->itemID);
    if (found == m_imageOfCommand.end()) {
        return;
    }
    const RECT& area = item->rcItem;
    const int x = area.left + (area.right - area.left - m_imageSize.cx) / 2;
    const int y = area.top + (area.bottom - area.top - m_imageSize.cy) / 2;
    if (item->itemState & (ODS_GRAYED | ODS_DISABLED)) {
        if (IconHandle icon{ImageList_GetIcon(m_images.Get(), found->second, ILD_NORMAL)}) {
            ::DrawStateW(item->hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.Get()), 0, x, y, m_imageSize.cx,
                         m_imageSize.cy, DST_ICON | DSS_DISABLED);
        }
        return;
    }
    ImageList_Draw(m_images.Get(), found->second, item->hDC, x, y, ILD_TRANSPARENT);
}

BOOL CCommandBarCtrl::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) {
    switch (uMsg) {
    case WM_LBUTTONDOWN: {
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ::ClientToScreen(m_hWnd, &point);
        const int index = ButtonAt(point);
        if (index < 0) {
            return FALSE;
        }
        OpenMenu(index, false);
        lResult = 0;
        return TRUE;
    }
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item && item->CtlType == ODT_MENU && HasImage(item->itemID)) {
            OnMeasureItem(item);
            lResult = TRUE;
            return TRUE;
        }
        return FALSE;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item && item->CtlType == ODT_MENU && HasImage(item->itemID)) {
            OnDrawItem(item);
            lResult = TRUE;
            return TRUE;
        }
        return FALSE;
    }
    case WM_MENUSELECT:
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
    case WM_UNINITMENUPOPUP:
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_MENUCHAR:
        // The frame keeps the command states and the status prompts of the menus.
        lResult = ::SendMessageW(m_notify, uMsg, wParam, lParam);
        return TRUE;
    default:
        return FALSE;
    }
}
