// In-place editing in the options tree, and the value rules of the item classes behind it.
#include "tests/form/options_tree_fixture.h"

namespace optionstest {
namespace {

class OptionsTreeEdit : public OptionsTreeTest {
protected:
    void SetUp() override {
        OptionsTreeTest::SetUp();
        HTREEITEM group = tree.InsertItem(new CountedHeading(L"Other"), PTI_HEADING, PTI_HEADING);
        ScopedVariant host(L"HOST");
        text = tree.InsertItem(new CountedEdit(L"Computer", host.Get()), PTI_EDIT, PTI_EDIT, group);
        ScopedVariant number(LONG{42});
        from = tree.InsertItem(new CountedEdit(L"From", number.Get()), PTI_EDIT, PTI_EDIT, group);
        check = tree.InsertItem(new CountedCheck(L"Case Sensitive", false), 0, 0, group);
        tree.SetFocus();
        parent.Clear();
    }

    // Selects the item and presses F2, which puts the caret into its editor with the text selected.
    HWND OpenEditor(HTREEITEM item) {
        tree.SelectItem(item);
        Key(tree, VK_F2);
        parent.Clear();
        return tree.GetEditor();
    }
    static void Type(HWND editor, const std::wstring& chars) {
        for (wchar_t c : chars) {
            SendMessageW(editor, WM_CHAR, c, 1);
        }
    }
    static std::wstring Text(HWND hWnd) { return CWindow(hWnd).GetWindowText(); }
    IProperty* Property(HTREEITEM item) const { return tree.GetProperty(item); }

    HTREEITEM text, from, check;
};

TEST_F(OptionsTreeEdit, SelectingAnEnabledEditItemShowsItsEditorOverTheValueArea) {
    tree.SelectItem(from);
    HWND editor = tree.GetEditor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(tree.GetEditedItem(), from);
    EXPECT_EQ(Text(editor), L"42");
    EXPECT_TRUE(GetWindowLongPtrW(editor, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongPtrW(editor, GWL_STYLE) & ES_NUMBER);
    EXPECT_EQ(GetFocus(), tree.m_hWnd) << "without style 4 the caret stays in the tree";
    RECT area, placed;
    ASSERT_TRUE(tree.GetValueRect(from, area));
    GetWindowRect(editor, &placed);
    MapWindowPoints(nullptr, tree, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, area.left);
    EXPECT_EQ(placed.right, area.right);
    EXPECT_EQ(placed.top, area.top + 1);
    EXPECT_EQ(placed.bottom, area.bottom - 1);
    EXPECT_EQ(parent.codes, std::vector<int>{PTN_SELCHANGED});

    tree.SelectItem(text);
    EXPECT_FALSE(IsWindow(editor)) << "a change of selection closes the editor";
    EXPECT_FALSE(GetWindowLongPtrW(tree.GetEditor(), GWL_STYLE) & ES_NUMBER) << "text items take letters";
    tree.SelectItem(check);
    EXPECT_EQ(tree.GetEditor(), nullptr);

    tree.SetItemEnabled(from, false);
    tree.SelectItem(from);
    EXPECT_EQ(tree.GetEditor(), nullptr) << "a disabled item gets no editor";
}

TEST_F(OptionsTreeEdit, StyleFourAndTabPutTheCaretIntoTheEditor) {
    tree.SetExtendedStyle(PTS_EX_EDITONSELECT);
    tree.SelectItem(text);
    EXPECT_EQ(GetFocus(), tree.GetEditor());

    tree.SetExtendedStyle(0);
    tree.SetFocus();
    tree.SelectItem(from);
    EXPECT_EQ(GetFocus(), tree.m_hWnd);
    Key(tree, VK_TAB);
    HWND editor = tree.GetEditor();
    EXPECT_EQ(GetFocus(), editor);
    DWORD start = 0, end = 0;
    SendMessageW(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 2u) << "the whole text is selected";
}

TEST_F(OptionsTreeEdit, IntegerEditorRefusesLettersAndCommitsZeroWhenEmpty) {
    HWND editor = OpenEditor(from);
    ASSERT_EQ(GetFocus(), editor);
    Type(editor, L"x");
    EXPECT_EQ(Text(editor), L"42");
    Type(editor, L"\b");
    EXPECT_EQ(Text(editor), L"");
    Key(editor, VK_RETURN);
    EXPECT_EQ(parent.codes, (std::vector<int>{PTN_ITEMCHANGING, PTN_ITEMCHANGED}));
    EXPECT_EQ(IntValue(Property(from)), 0);
    EXPECT_EQ(GetFocus(), tree.m_hWnd);
    ASSERT_TRUE(tree.GetEditor());
    EXPECT_EQ(Text(tree.GetEditor()), L"0") << "the tree shows the committed value";
}

TEST_F(OptionsTreeEdit, EscKeepsTheValueAndEnterOnUnchangedTextSendsNothing) {
    HWND editor = OpenEditor(from);
    Type(editor, L"99");
    Key(editor, VK_ESCAPE);
    EXPECT_TRUE(parent.codes.empty());
    EXPECT_EQ(IntValue(Property(from)), 42);
    ASSERT_TRUE(tree.GetEditor());
    EXPECT_EQ(Text(tree.GetEditor()), L"42");

    editor = OpenEditor(from);
    Key(editor, VK_RETURN);
    EXPECT_TRUE(parent.codes.empty()) << parent.Codes();
    EXPECT_EQ(IntValue(Property(from)), 42);
    // The characters of Enter and Esc are the editor's own business.
    EXPECT_EQ(SendMessageW(tree.GetEditor(), WM_CHAR, VK_ESCAPE, 1), 0);
}

// Fault guarded against: a refused text staying in the editor as if it were the value.
TEST_F(OptionsTreeEdit, TextIsCommittedUnlessTheParentRefuses) {
    HWND editor = OpenEditor(text);
    Type(editor, L"pc1");
    Key(editor, VK_RETURN);
    EXPECT_EQ(TextValue(Property(text)), L"pc1");
    EXPECT_EQ(parent.properties.back(), Property(text));

    parent.answers[PTN_ITEMCHANGING] = 1;
    editor = OpenEditor(text);
    Type(editor, L"zz");
    Key(editor, VK_RETURN);
    EXPECT_EQ(parent.codes, std::vector<int>{PTN_ITEMCHANGING});
    EXPECT_EQ(TextValue(Property(text)), L"pc1");
    EXPECT_EQ(Text(tree.GetEditor()), L"pc1");
}

TEST_F(OptionsTreeEdit, ArrowsMoveTheSelectionAndCommit) {
    HWND editor = OpenEditor(from);
    Type(editor, L"7");
    Key(editor, VK_DOWN);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return tree.GetSelectedItem() == check; }, 2000));
    EXPECT_EQ(IntValue(Property(from)), 7);
    EXPECT_FALSE(IsWindow(editor));

    editor = OpenEditor(from);
    SendMessageW(editor, EM_SETSEL, 1, 1);
    Key(editor, VK_LEFT);
    Key(editor, VK_LEFT);
    Key(editor, VK_UP);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return tree.GetSelectedItem() == text; }, 2000));
    Pump();
    EXPECT_TRUE(parent.codes.size() == 1 && parent.codes[0] == PTN_SELCHANGED)
        << "an unchanged text is not committed, and Left at the start only navigates: " << parent.Codes();
}

TEST_F(OptionsTreeEdit, FocusLossCommitsChangesAndKeepsUnchangedEditors) {
    HWND other = CreateWindowExW(0, WC_BUTTONW, L"Search", WS_CHILD, 0, 0, 10, 10, parent, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    HWND editor = OpenEditor(from);
    SetFocus(other);
    EXPECT_TRUE(parent.codes.empty()) << parent.Codes();
    EXPECT_TRUE(tree.GetEditor()) << "a cancelled editor of the selected item comes back";

    editor = OpenEditor(from);
    Type(editor, L"5");
    SetFocus(other);
    EXPECT_EQ(parent.codes, (std::vector<int>{PTN_ITEMCHANGING, PTN_ITEMCHANGED}));
    EXPECT_EQ(IntValue(Property(from)), 5);
    EXPECT_FALSE(IsWindow(editor));
    tree.SetFocus();
    ASSERT_TRUE(tree.GetEditor()) << "regaining the focus brings the editor back";
    EXPECT_EQ(Text(tree.GetEditor()), L"5");
}

TEST_F(OptionsTreeEdit, ScrollSizeWheelAndDeletionCloseTheEditor) {
    for (UINT message : {WM_VSCROLL, WM_HSCROLL, WM_SIZE, WM_MOUSEWHEEL}) {
        tree.SelectItem(check);
        tree.SelectItem(from);
        HWND editor = tree.GetEditor();
        ASSERT_TRUE(editor);
        SendMessageW(tree, message, 0, 0);
        EXPECT_FALSE(IsWindow(editor)) << "message " << message;
        EXPECT_EQ(tree.GetEditor(), nullptr);
    }
    HWND editor = OpenEditor(from);
    Type(editor, L"8");
    tree.DeleteItem(from);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(DeletedProperties().size(), 1u);
    // Destroyed while the caret is in a changed editor: the edit ends before any property goes.
    editor = OpenEditor(text);
    Type(editor, L"late");
    parent.DestroyWindow();
    EXPECT_EQ(DeletedProperties().size(), 4u);
    std::set<int> distinct(DeletedProperties().begin(), DeletedProperties().end());
    EXPECT_EQ(distinct.size(), 4u);
}

TEST_F(OptionsTreeEdit, SettingTheEditedValueRefreshesTheEditor) {
    tree.SelectItem(from);
    parent.Clear();
    ScopedVariant seven(LONG{7});
    EXPECT_EQ(SendMessageW(tree, PTM_SETVALUE, reinterpret_cast<WPARAM>(&seven.Get()),
                           reinterpret_cast<LPARAM>(Property(from))),
              1);
    ASSERT_TRUE(tree.GetEditor());
    EXPECT_EQ(Text(tree.GetEditor()), L"7");
    EXPECT_EQ(parent.codes, (std::vector<int>{PTN_ITEMCHANGING, PTN_ITEMCHANGED}));
}

// ---- item values without a tree

TEST(OptionsTreeValues, EditItemsKeepTheirType) {
    ScopedVariant number(LONG{3});
    CPropertyEditItem item(L"To", number.Get());
    EXPECT_TRUE(item.IsNumeric());
    EXPECT_TRUE(item.SetValue(ScopedVariant(L"12").Get()));
    EXPECT_EQ(IntValue(&item), 12);
    EXPECT_FALSE(item.SetValue(ScopedVariant(L"twelve").Get()));
    EXPECT_EQ(IntValue(&item), 12);

    ScopedVariant empty;
    CPropertyEditItem untyped(L"Computer", empty.Get());
    EXPECT_FALSE(untyped.IsNumeric());
    EXPECT_TRUE(untyped.SetValue(ScopedVariant(LONG{9}).Get()));
    EXPECT_TRUE(untyped.SetValue(ScopedVariant(L"10").Get()));
    EXPECT_EQ(IntValue(&untyped), 10) << "the first value fixed the type";
}

TEST(OptionsTreeValues, DisplayTextIsCutToTheBufferAndEmptyWhenUnconvertible) {
    CPropertyEditItem item(L"Computer", ScopedVariant(L"Local Computer").Get());
    wchar_t buffer[6] = L"xxxxx";
    EXPECT_TRUE(item.GetDisplayValue(buffer, 6));
    EXPECT_EQ(std::wstring(buffer), L"Local");
    EXPECT_EQ(item.GetDisplayValueLength(), 14u);
    EXPECT_FALSE(item.GetDisplayValue(buffer, 0));

    VARIANT error;
    VariantInit(&error);
    error.vt = VT_ERROR;
    error.scode = DISP_E_PARAMNOTFOUND;
    CPropertyItem odd(L"odd");
    ASSERT_TRUE(odd.SetValue(error));
    EXPECT_FALSE(odd.GetDisplayValue(buffer, 6));
    EXPECT_EQ(std::wstring(buffer), L"");
    EXPECT_EQ(odd.GetDisplayValueLength(), 0u);

    CPropertyReadOnlyItem heading(L"Look at");
    EXPECT_TRUE(heading.GetDisplayValue(buffer, 6));
    EXPECT_EQ(std::wstring(buffer), L"");
}

} // namespace
} // namespace optionstest
