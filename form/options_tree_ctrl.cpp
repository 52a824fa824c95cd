#include "form/options_tree_ctrl.h"

#include <memory>
#include <utility>

namespace OptionsTree {

namespace {

// Sets a flag for a scope and puts the previous value back, also when a handler throws.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), previous_(std::exchange(flag, true)) {}
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;
    ~FlagScope() { flag_ = previous_; }

private:
    bool& flag_;
    bool previous_;
};

bool IsEditControl(HWND hWnd) {
    wchar_t name[16] = {};
    ::GetClassNameW(hWnd, name, 16);
    return ::lstrcmpiW(name, WC_EDITW) == 0;
}

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
        } catch (...) {
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

// ---- items

HTREEITEM CPropertyTreeCtrl::InsertItem(IProperty* property, int image, int selectedImage, HTREEITEM parent) {
    if (!property) {
        return nullptr;
    }
    std::unique_ptr<IProperty> owned(property);
    if (!parent) {
        parent = TVI_ROOT;
    }
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(property->GetName());
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.lParam = reinterpret_cast<LPARAM>(property);
    auto item = reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item) {
        return nullptr;
    }
    owned.release();
    property->SetOwner(m_hWnd, item);
    if (parent != TVI_ROOT) {
        Expand(parent);
    }
    clicked_ = false;
    return item;
}

IProperty* CPropertyTreeCtrl::GetProperty(HTREEITEM item) const {
    if (!item) {
        return nullptr;
    }
    TVITEMW data = {};
    data.mask = TVIF_HANDLE | TVIF_PARAM;
    data.hItem = item;
    if (!SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) {
        return nullptr;
    }
    return reinterpret_cast<IProperty*>(data.lParam);
}

bool CPropertyTreeCtrl::GetCheckState(HTREEITEM item) const {
    IProperty* property = GetProperty(item);
    if (!property || property->GetKind() != PROPKIND_CHECK) {
        return false;
    }
    ScopedVariant value;
    return property->GetValue(value.Receive()) && value.Get().vt == VT_BOOL && value.Get().boolVal != 0;
}

bool CPropertyTreeCtrl::SetCheckState(HTREEITEM item, bool check) {
    IProperty* property = GetProperty(item);
    if (!property || property->GetKind() != PROPKIND_CHECK) {
        return false;
    }
    ScopedVariant value(check);
    const bool changed = property->SetValue(value.Get());
    InvalidateItem(item);
    return changed;
}

void CPropertyTreeCtrl::SetItemEnabled(HTREEITEM item, bool enabled) {
    IProperty* property = GetProperty(item);
    if (!property) {
        return;
    }
    property->SetEnabled(enabled);
    if (property->GetKind() == PROPKIND_CHECK) {
        // Setting the same value again picks the enabled or disabled image.
        ScopedVariant value;
        if (property->GetValue(value.Receive())) {
            property->SetValue(value.Get());
        }
    }
    InvalidateItem(item);
}

bool CPropertyTreeCtrl::IsItemEnabled(HTREEITEM item) const {
    IProperty* property = GetProperty(item);
    return property && property->IsEnabled();
}

HTREEITEM CPropertyTreeCtrl::FindItem(const IProperty* property) const {
    if (!property) {
        return nullptr;
    }
    std::vector<HTREEITEM> items;
    CollectItems(GetRootItem(), items);
    for (HTREEITEM item : items) {
        if (GetProperty(item) == property) {
            return item;
        }
    }
    return nullptr;
}

void CPropertyTreeCtrl::CollectItems(HTREEITEM first, std::vector<HTREEITEM>& items) const {
    for (HTREEITEM item = first; item; item = GetNextSiblingItem(item)) {
        items.push_back(item);
        CollectItems(GetChildItem(item), items);
    }
}

void CPropertyTreeCtrl::DeleteAllProperties() {
    std::vector<HTREEITEM> items;
    CollectItems(GetRootItem(), items);
    std::vector<std::unique_ptr<IProperty>> properties;
    properties.reserve(items.size());
    for (HTREEITEM item : items) {
        IProperty* property = GetProperty(item);
        if (!property) {
            continue;
        }
        TVITEMW data = {};
        data.mask = TVIF_HANDLE | TVIF_PARAM;
        data.hItem = item;
        data.lParam = 0;
        SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
        properties.emplace_back(property);
    }
}

// ---- thin wrappers

BOOL CPropertyTreeCtrl::Expand(HTREEITEM item, UINT code) const {
    return static_cast<BOOL>(SendMessage(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)));
}

BOOL CPropertyTreeCtrl::SelectItem(HTREEITEM item) const {
    return static_cast<BOOL>(SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)));
}

BOOL CPropertyTreeCtrl::DeleteItem(HTREEITEM item) const {
    return static_cast<BOOL>(SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM CPropertyTreeCtrl::GetNextItem(HTREEITEM item, UINT code) const {
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

UINT CPropertyTreeCtrl::GetItemState(HTREEITEM item, UINT mask) const {
    return static_cast<UINT>(SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask));
}

BOOL CPropertyTreeCtrl::SetItemState(HTREEITEM item, UINT state, UINT mask) const {
    TVITEMW data = {};
    data.mask = TVIF_HANDLE | TVIF_STATE;
    data.hItem = item;
    data.state = state;
    data.stateMask = mask;
    return static_cast<BOOL>(SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data)));
}

BOOL CPropertyTreeCtrl::GetItemRect(HTREEITEM item, RECT& rect, bool textOnly) const {
    // The message takes the item handle in the rectangle it fills.
    *reinterpret_cast<HTREEITEM*>(&rect) = item;
    return static_cast<BOOL>(SendMessage(TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&rect)));
}

void CPropertyTreeCtrl::InvalidateItem(HTREEITEM item) const {
    RECT rect;
    if (item && GetItemRect(item, rect, false)) {
        InvalidateRect(&rect, TRUE);
    }
}

bool CPropertyTreeCtrl::GetValueRect(HTREEITEM item, RECT& rect) const {
    RECT label, row;
    if (!item || !GetItemRect(item, label, true) || !GetItemRect(item, row, false)) {
        return false;
    }
    rect = row;
    rect.left = label.right + 4;
    if (valueColumn_ > rect.left) {
        rect.left = valueColumn_;
    }
    return rect.left < rect.right;
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

// ---- in-place editing

void CPropertyTreeCtrl::CreateEditor(HTREEITEM item) {
    if (closingEditor_) {
        return;
    }
    CloseEditor();
    if (!item || item != GetSelectedItem()) {
        return;
    }
    IProperty* property = GetProperty(item);
    RECT rect;
    if (!property || !property->IsEnabled() || !GetValueRect(item, rect)) {
        return;
    }
    ::InflateRect(&rect, 0, -1);
    if (HWND editor = property->CreateInplaceControl(m_hWnd, rect)) {
        editor_ = editor;
        editedItem_ = item;
    }
}

void CPropertyTreeCtrl::CloseEditor() {
    if (!editor_ || closingEditor_) {
        return;
    }
    HWND editor = nullptr;
    {
        FlagScope closing(closingEditor_);
        // Taking the focus away lets the editor report first: a changed text is committed, not lost.
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(m_hWnd, focus)) {
            ::SetFocus(m_hWnd);
        }
        editor = std::exchange(editor_, nullptr);
        editedItem_ = nullptr;
    }
    if (!::IsWindow(editor)) {
        return;
    }
    if (IsEditControl(editor)) {
        ::DestroyWindow(editor);
    } else {
        ::SendMessageW(editor, WM_CLOSE, 0, 0);
    }
}

void CPropertyTreeCtrl::OnAcceptEdit(HWND editor) {
    if (!editor || editor != editor_) {
        return;
    }
    HTREEITEM item = editedItem_;
    IProperty* property = GetProperty(item);
    if (!property) {
        CloseEditor();
        return;
    }
    // A refused or failed change leaves the value as it was; the editor then shows that value again
    // instead of a text that was never taken.
    if (NotifyParent(PTN_ITEMCHANGING, property)) {
        OnCancelEdit(editor);
        return;
    }
    if (!property->SetValue(editor)) {
        ::MessageBeep(0xFFFFFFFF);
        OnCancelEdit(editor);
        return;
    }
    NotifyParent(PTN_ITEMCHANGED, property);
    InvalidateItem(item);
    CloseEditor();
}

void CPropertyTreeCtrl::OnCancelEdit(HWND editor) {
    if (!editor || editor != editor_) {
        return;
    }
    HTREEITEM item = editedItem_;
    CloseEditor();
    InvalidateItem(item);
    if (item == GetSelectedItem()) {
        CreateEditor(item);
    }
}

// ---- painting

LRESULT CPropertyTreeCtrl::OnCustomDraw(NMTVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT:
        break;
    default:
        return CDRF_DODEFAULT;
    }
    auto item = reinterpret_cast<HTREEITEM>(draw.nmcd.dwItemSpec);
    IProperty* property = GetProperty(item);
    RECT area;
    if (!property || !GetValueRect(item, area)) {
        return CDRF_DODEFAULT;
    }
    HDC dc = draw.nmcd.hdc;
    {
        BrushHandle back(::CreateSolidBrush(IsWindowEnabled() ? drawInfo_.backColor : ::GetSysColor(COLOR_BTNFACE)));
        ::FillRect(dc, &area, back);
    }
    const bool selected = item == GetSelectedItem();
    const BYTE kind = property->GetKind();
    if (selected && kind != PROPKIND_ITEM && kind != PROPKIND_CHECK) {
        SelectObjectScope pen(dc, pen_);
        SelectObjectScope brush(dc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(dc, area.left, area.top, area.right, area.bottom);
    }
    PROPERTYDRAWINFO di = drawInfo_;
    di.dc = dc;
    di.rect = area;
    di.state = (selected ? PDS_SELECTED : 0) | (property->IsEnabled() ? 0 : PDS_DISABLED) |
               (item == editedItem_ ? PDS_EDITING : 0);
    property->DrawValue(di);
    return CDRF_DODEFAULT;
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
