#include "form/options_tree_ctrl.h"

#include "base/log_file.h"
#include "form/options_tree_flag_scope.h"

#include <exception>
#include <utility>

namespace OptionsTree {

namespace {

LPARAM CursorPosition(POINT* screen = nullptr) {
    POINT point = {};
    ::GetCursorPos(&point);
    if (screen) {
        *screen = point;
    }
    return MAKELPARAM(point.x, point.y);
}

} // namespace

CPropertyTreeCtrl::~CPropertyTreeCtrl() {
    // Gone before its window: nothing would delete the properties later, and the items must not keep
    // pointers to them.
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        try {
            CloseEditor();
            DeleteAllProperties();
        } catch (const std::exception& error) {
            LogStoppedException(L"the options tree's destruction", error.what());
        } catch (...) {
            LogStoppedException(L"the options tree's destruction", nullptr);
        }
    }
}

// ---- set-up

BOOL CPropertyTreeCtrl::SubclassWindow(HWND hWnd) {
    if (!CWindowImplRoot::SubclassWindow(hWnd)) {
        return FALSE;
    }
    Setup();
    return TRUE;
}

HWND CPropertyTreeCtrl::Create(HWND parent, const RECT& rect, UINT id, DWORD style) {
    HWND hWnd = ::CreateWindowExW(0, WC_TREEVIEWW, L"", style, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (!hWnd) {
        return nullptr;
    }
    if (!SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return nullptr;
    }
    return hWnd;
}

void CPropertyTreeCtrl::Setup() {
    // The tree draws its own check boxes as item images and its own value areas beside the labels.
    ModifyStyle(TVS_CHECKBOXES | TVS_FULLROWSELECT, TVS_SHOWSELALWAYS);
    OnSettingChange();
}

void CPropertyTreeCtrl::OnSettingChange() {
    drawInfo_.textColor = ::GetSysColor(COLOR_WINDOWTEXT);
    drawInfo_.backColor = ::GetSysColor(COLOR_BTNFACE);
    drawInfo_.selTextColor = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    drawInfo_.selBackColor = ::GetSysColor(COLOR_HIGHLIGHT);
    drawInfo_.disabledColor = ::GetSysColor(COLOR_GRAYTEXT);
    drawInfo_.borderColor = ::GetSysColor(COLOR_BTNFACE);
    pen_.Reset(::CreatePen(PS_SOLID, 1, drawInfo_.borderColor));

    HWND parent = GetParent();
    HFONT font = parent ? reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
    if (!font) {
        font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }
    labelFont_ = font;
    LOGFONTW description = {};
    valueFont_.Reset(::GetObjectW(font, sizeof description, &description) ? ::CreateFontIndirectW(&description)
                                                                          : nullptr);
    SetFont(font, FALSE);
    {
        WindowDC dc(m_hWnd);
        SelectObjectScope select(dc, font);
        ::GetTextMetricsW(dc, &drawInfo_.textMetric);
    }
    drawInfo_.font = labelFont_;
    drawInfo_.valueFont = valueFont_;
    drawInfo_.pen = pen_;
    Invalidate();
}

DWORD CPropertyTreeCtrl::SetExtendedStyle(DWORD style) {
    return std::exchange(extendedStyle_, style);
}

// ---- message map

BOOL CPropertyTreeCtrl::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) {
    lResult = 0;
    switch (uMsg) {
    case OCM_NOTIFY: {
        BOOL handled = TRUE;
        lResult = OnReflectedNotify(reinterpret_cast<NMHDR*>(lParam), handled);
        return handled;
    }
    case WM_WININICHANGE:
        OnSettingChange();
        return FALSE;
    case WM_SETFOCUS:
        lResult = DefWindowProc();
        OnSetFocus();
        return TRUE;
    case WM_KEYDOWN:
        return OnKeyDown(wParam);
    case WM_CHAR:
        // Space activates on key down; its character would start an incremental search.
        return wParam == VK_SPACE;
    case WM_SIZE:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
        CloseEditor();
        return FALSE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    case TVM_EXPAND:
        lResult = OnExpandMessage(wParam, lParam);
        return TRUE;
    case PTM_SETVALUE:
        lResult = OnSetValue(reinterpret_cast<const VARIANT*>(wParam), reinterpret_cast<IProperty*>(lParam));
        return TRUE;
    case PTM_SETCHECK:
        lResult = OnSetCheck(reinterpret_cast<HTREEITEM>(wParam), lParam == 1);
        return TRUE;
    case PTM_ACCEPTEDIT:
        OnAcceptEdit(reinterpret_cast<HWND>(lParam));
        return TRUE;
    case PTM_CANCELEDIT:
        OnCancelEdit(reinterpret_cast<HWND>(lParam));
        return TRUE;
    case PTM_NAVIGATE:
        OnNavigate(wParam);
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT CPropertyTreeCtrl::OnReflectedNotify(NMHDR* header, BOOL& handled) {
    // A parent that reflects everything also sends our own PTN_* notifications back; they are not ours to
    // answer.
    if (!header || header->hwndFrom != m_hWnd || IsPropertyNotification(static_cast<int>(header->code))) {
        handled = FALSE;
        return 0;
    }
    auto* info = reinterpret_cast<NMTREEVIEWW*>(header);
    switch (header->code) {
    case NM_CLICK:
        return OnClick();
    case NM_DBLCLK:
        return OnDoubleClick();
    case TVN_ITEMEXPANDINGW:
    case TVN_ITEMEXPANDINGA:
        return OnItemExpanding(*info);
    case TVN_SELCHANGEDW:
    case TVN_SELCHANGEDA:
        OnSelChanged(*info);
        return 0;
    case TVN_DELETEITEMW:
    case TVN_DELETEITEMA:
        OnDeleteItem(*info);
        return 0;
    case NM_CUSTOMDRAW:
        return OnCustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(header));
    default:
        handled = FALSE;
        return 0;
    }
}

LRESULT CPropertyTreeCtrl::NotifyParent(int code, IProperty* property) const {
    HWND parent = GetParent();
    if (!parent) {
        return 0;
    }
    NMPROPERTYITEM record = {};
    record.hdr.hwndFrom = m_hWnd;
    record.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    record.hdr.code = static_cast<UINT>(code);
    record.prop = property;
    return ::SendMessageW(parent, WM_NOTIFY, record.hdr.idFrom, reinterpret_cast<LPARAM>(&record));
}

void CPropertyTreeCtrl::ActivateItem(HTREEITEM item, UINT action, LPARAM position) {
    if (IProperty* property = GetProperty(item)) {
        property->Activate(action, position);
    }
}

// ---- mouse

LRESULT CPropertyTreeCtrl::OnClick() {
    clicked_ = true;
    POINT screen;
    const LPARAM position = CursorPosition(&screen);
    TVHITTESTINFO hit = {};
    hit.pt = screen;
    ::ScreenToClient(m_hWnd, &hit.pt);
    SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (!hit.hItem || !(hit.flags & (TVHT_ONITEM | TVHT_ONITEMRIGHT))) {
        return 0;
    }
    IProperty* property = GetProperty(hit.hItem);
    if (!property) {
        return 0;
    }
    const bool rightOfLabel = (hit.flags & TVHT_ONITEMRIGHT) != 0;
    switch (property->GetKind()) {
    case PROPKIND_ITEM:
        if (rightOfLabel || !property->IsEnabled()) {
            return 0;
        }
        break;
    case PROPKIND_CHECK: {
        const bool counts = !(extendedStyle_ & PTS_EX_ICONCLICK) || (hit.flags & TVHT_ONITEMICON);
        if (rightOfLabel || !counts) {
            return 0;
        }
        break;
    }
    default:
        // The value area lies right of the label, where the tree view itself does not select.
        if (GetSelectedItem() != hit.hItem) {
            SelectItem(hit.hItem);
            property = GetProperty(hit.hItem);
            if (!property) {
                return 0;
            }
        }
        if (!rightOfLabel && !property->IsEnabled()) {
            return 0;
        }
        break;
    }
    if (NotifyParent(PTN_CLICK, property)) {
        return 0;
    }
    property->Activate(PACT_CLICK, position);
    return 0;
}

LRESULT CPropertyTreeCtrl::OnDoubleClick() {
    HTREEITEM item = GetSelectedItem();
    if (NotifyParent(PTN_DBLCLICK, GetProperty(item))) {
        return 0;
    }
    ActivateItem(item, PACT_DBLCLICK, CursorPosition());
    return 0;
}

LRESULT CPropertyTreeCtrl::OnItemExpanding(const NMTREEVIEWW& info) {
    if (ownerExpanding_) {
        return 0;
    }
    if ((extendedStyle_ & PTS_EX_NOEXPANDCLICK) && clicked_) {
        return TRUE;
    }
    const bool collapse = (info.action & (TVE_COLLAPSE | TVE_EXPAND)) == TVE_COLLAPSE;
    return NotifyParent(collapse ? PTN_ITEMCOLLAPSING : PTN_ITEMEXPANDING, GetProperty(info.itemNew.hItem)) ? TRUE : 0;
}

LRESULT CPropertyTreeCtrl::OnExpandMessage(WPARAM wParam, LPARAM lParam) {
    // The tree view asks about the first expansion of an item even when its owner expands it; the owner's
    // own requests are never refused.
    FlagScope owner(ownerExpanding_);
    return DefWindowProc(TVM_EXPAND, wParam, lParam);
}

// ---- selection, keyboard, focus

void CPropertyTreeCtrl::OnSelChanged(const NMTREEVIEWW& info) {
    CloseEditor();
    HTREEITEM item = info.itemNew.hItem;
    IProperty* property = GetProperty(item);
    if (property && property->IsEnabled()) {
        CreateEditor(item);
        const LPARAM position = static_cast<LPARAM>(::GetMessagePos());
        property->Activate(PACT_SELECT, position);
        if ((extendedStyle_ & PTS_EX_EDITONSELECT) && property->GetKind() == PROPKIND_EDIT) {
            property->Activate(PACT_DBLCLICK, position);
        }
    }
    NotifyParent(PTN_SELCHANGED, GetProperty(item));
}

BOOL CPropertyTreeCtrl::OnKeyDown(WPARAM key) {
    HTREEITEM item = GetSelectedItem();
    if (!item) {
        return FALSE;
    }
    const LPARAM position = static_cast<LPARAM>(::GetMessagePos());
    switch (key) {
    case VK_TAB:
        ActivateItem(item, PACT_TAB, position);
        return TRUE;
    case VK_SPACE:
    case VK_RIGHT:
    case VK_F2:
        CreateEditor(item);
        ActivateItem(item, PACT_SPACE, position);
        return TRUE;
    default:
        return FALSE;
    }
}

void CPropertyTreeCtrl::OnSetFocus() {
    // While an editor is being closed the focus comes back here on the way; whoever closes it decides
    // what follows.
    if (closingEditor_) {
        return;
    }
    HTREEITEM item = GetSelectedItem();
    IProperty* property = GetProperty(item);
    if (!property) {
        return;
    }
    property->Activate(PACT_SELECT, static_cast<LPARAM>(::GetMessagePos()));
    if (property->IsEnabled()) {
        CreateEditor(item);
    }
}

void CPropertyTreeCtrl::OnNavigate(WPARAM key) {
    const UINT code = key == VK_UP ? TVGN_PREVIOUSVISIBLE : key == VK_DOWN ? TVGN_NEXTVISIBLE : 0;
    HTREEITEM current = GetSelectedItem();
    if (!code || !current) {
        return;
    }
    if (HTREEITEM next = GetNextItem(current, code)) {
        SelectItem(next);
    }
}

// ---- values

LRESULT CPropertyTreeCtrl::OnSetValue(const VARIANT* value, IProperty* property) {
    // Only properties of this tree are touched; the pointer comes from a message.
    if (!value || !FindItem(property)) {
        return 0;
    }
    if (NotifyParent(PTN_ITEMCHANGING, property)) {
        return 0;
    }
    if (!property->SetValue(*value)) {
        ::MessageBeep(0xFFFFFFFF);
    }
    NotifyParent(PTN_ITEMCHANGED, property);
    // The parent may have deleted the item meanwhile.
    if (HTREEITEM item = FindItem(property)) {
        InvalidateItem(item);
        if (item == editedItem_) {
            CreateEditor(item);
        }
    }
    return 1;
}

LRESULT CPropertyTreeCtrl::OnSetCheck(HTREEITEM item, bool check) {
    IProperty* property = GetProperty(item);
    if (!property || property->GetKind() != PROPKIND_CHECK) {
        return 0;
    }
    ScopedVariant value(check);
    if (!property->SetValue(value.Get())) {
        return 0;
    }
    InvalidateItem(item);
    return 1;
}

// ---- end

void CPropertyTreeCtrl::OnDeleteItem(const NMTREEVIEWW& info) {
    CloseEditor();
    delete reinterpret_cast<IProperty*>(info.itemOld.lParam);
}

void CPropertyTreeCtrl::OnDestroy() {
    CloseEditor();
    // The tree view deletes its items after this; their properties go now, so that they are deleted even
    // when the parent no longer reflects the deletions.
    DeleteAllProperties();
}

} // namespace OptionsTree
