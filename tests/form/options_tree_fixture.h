// A real top-level parent that reflects the tree's notifications and records the PTN_* codes it receives, a
// real tree view attached to CPropertyTreeCtrl, and item classes that count their deletions.
#pragma once

#include "form/options_tree_ctrl.h"
#include "tests/common/test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace optionstest {

using namespace OptionsTree;

// Every counted property adds its serial number here when deleted; a second entry for one number would be a
// double delete.
inline std::multiset<int>& DeletedProperties() {
    static std::multiset<int> deleted;
    return deleted;
}
inline int NextSerial() {
    static int serial = 0;
    return ++serial;
}

template <class Base> class Counted : public Base {
public:
    template <class... Args> explicit Counted(Args&&... args) : Base(std::forward<Args>(args)...) {}
    ~Counted() override { DeletedProperties().insert(serial_); }

private:
    int serial_ = NextSerial();
};
using CountedCheck = Counted<CPropertyCheckmarkItem>;
using CountedOption = Counted<CPropertyOptionItem>;
using CountedHeading = Counted<CPropertyReadOnlyItem>;
using CountedEdit = Counted<CPropertyEditItem>;

// Records what the tree hands to DrawValue.
class RecordingEdit : public CPropertyEditItem {
public:
    using CPropertyEditItem::CPropertyEditItem;
    void DrawValue(PROPERTYDRAWINFO& di) override {
        drawn.push_back(di);
        CPropertyEditItem::DrawValue(di);
    }
    std::vector<PROPERTYDRAWINFO> drawn;
};

class TestParent : public CWindowImpl<TestParent> {
public:
    std::vector<int> codes;
    std::vector<IProperty*> properties;
    std::map<int, LRESULT> answers; // non-zero answers veto
    bool reflect = true;

    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) override {
        if (uMsg != WM_NOTIFY) {
            return FALSE;
        }
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        const int code = static_cast<int>(header->code);
        if (IsPropertyNotification(code)) {
            codes.push_back(code);
            properties.push_back(reinterpret_cast<NMPROPERTYITEM*>(lParam)->prop);
            lResult = answers.count(code) ? answers[code] : 0;
            return TRUE;
        }
        return reflect && ReflectNotifications(uMsg, wParam, lParam, lResult);
    }
    void Clear() {
        codes.clear();
        properties.clear();
    }
    std::string Codes() const {
        std::string text;
        for (int code : codes) {
            text += std::to_string(code) + " ";
        }
        return text;
    }
    bool Got(int code) const { return std::find(codes.begin(), codes.end(), code) != codes.end(); }
};

inline constexpr UINT kTreeId = 1009;

enum class Spot { Icon, Label, RightOfLabel };

class OptionsTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&init);
        DeletedProperties().clear();
        RECT frame = {10, 10, 430, 530};
        // Hidden: under Wine without a window manager, hiding a shown top-level window waits two seconds.
        ASSERT_TRUE(parent.Create(nullptr, &frame, L"options", WS_POPUP));
        ASSERT_TRUE(tree.Create(parent, RECT{0, 0, 400, 500}, kTreeId));
        images = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 14, 4);
        HBITMAP bitmap = CreateBitmap(16 * 14, 16, 1, 32, nullptr);
        ImageList_Add(images, bitmap, nullptr);
        DeleteObject(bitmap);
        TreeView_SetImageList(tree, images, TVSIL_NORMAL);
        SetFocus(tree);
    }
    void TearDown() override {
        if (parent.IsWindow()) {
            parent.DestroyWindow();
        }
        ImageList_Destroy(images);
        Pump();
    }

    static void Pump() {
        testsupport::PumpUntil([] { return false; }, 30);
    }

    int Image(HTREEITEM item) const {
        TVITEMW data = {TVIF_HANDLE | TVIF_IMAGE};
        data.hItem = item;
        TreeView_GetItem(tree, &data);
        return data.iImage;
    }
    bool Expanded(HTREEITEM item) const { return (tree.GetItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0; }

    // A click as the tree sees it: the cursor over the item (the tree hit-tests the cursor position) and
    // NM_CLICK through the parent, which reflects it. This reaches every spot of an item exactly and does not
    // depend on the tree view's own button handling; one test drives the real button messages as well.
    POINT PointAt(HTREEITEM item, Spot spot) {
        RECT label = {};
        tree.GetItemRect(item, label, true);
        POINT point = {(label.left + label.right) / 2, (label.top + label.bottom) / 2};
        if (spot == Spot::Icon) {
            point.x = label.left - 10;
        } else if (spot == Spot::RightOfLabel) {
            point.x = label.right + 20;
        }
        return point;
    }
    void Click(HTREEITEM item, Spot spot) {
        POINT point = PointAt(item, spot);
        const UINT expected = spot == Spot::Icon    ? TVHT_ONITEMICON
                              : spot == Spot::Label ? TVHT_ONITEMLABEL
                                                    : TVHT_ONITEMRIGHT;
        TVHITTESTINFO hit = {point};
        TreeView_HitTest(tree, &hit);
        ASSERT_EQ(hit.hItem, item);
        ASSERT_TRUE(hit.flags & expected) << "hit flags " << hit.flags;
        ClientToScreen(tree, &point);
        ASSERT_TRUE(SetCursorPos(point.x, point.y));
        NMHDR header = {tree, kTreeId, static_cast<UINT>(NM_CLICK)};
        SendMessageW(parent, WM_NOTIFY, kTreeId, reinterpret_cast<LPARAM>(&header));
    }
    void DoubleClick() {
        NMHDR header = {tree, kTreeId, static_cast<UINT>(NM_DBLCLK)};
        SendMessageW(parent, WM_NOTIFY, kTreeId, reinterpret_cast<LPARAM>(&header));
    }
    // Paints the tree into a memory bitmap, running its custom drawing as a screen paint would.
    void Paint() {
        WindowDC screen(nullptr);
        MemoryDC dc(screen);
        BitmapHandle bitmap(CreateCompatibleBitmap(screen, 400, 500));
        SelectObjectScope select(dc, bitmap);
        SendMessageW(tree, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT | PRF_ERASEBKGND);
    }
    // The question the tree view asks before the user expands or collapses an item; non-zero refuses.
    LRESULT AskExpansion(HTREEITEM item, UINT action) {
        NMTREEVIEWW info = {};
        info.hdr = {tree, kTreeId, static_cast<UINT>(TVN_ITEMEXPANDINGW)};
        info.action = action;
        info.itemNew.mask = TVIF_HANDLE | TVIF_PARAM;
        info.itemNew.hItem = item;
        info.itemNew.lParam = reinterpret_cast<LPARAM>(tree.GetProperty(item));
        return SendMessageW(parent, WM_NOTIFY, kTreeId, reinterpret_cast<LPARAM>(&info));
    }
    void Key(HWND target, UINT key) {
        SendMessageW(target, WM_KEYDOWN, key, 1);
        SendMessageW(target, WM_KEYUP, key, 0xC0000001);
    }

    TestParent parent;
    CPropertyTreeCtrl tree;
    HIMAGELIST images = nullptr;
};

inline LONG IntValue(IProperty* property) {
    ScopedVariant value;
    if (!property->GetValue(value.Receive()) || value.Get().vt != VT_I4) {
        return -1;
    }
    return value.Get().lVal;
}

inline std::wstring TextValue(IProperty* property) {
    wchar_t buffer[256];
    property->GetDisplayValue(buffer, 256);
    return buffer;
}

} // namespace optionstest
