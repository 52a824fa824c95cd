// The two file commands' save dialogs: what they ask for and how they behave.
#include "results/save_dialog.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

TEST(SaveDialog, SaveDialogOffersTheThreeLayouts) {
    SaveDialogSettings dialog = ListSaveDialogSettings(nullptr);
    static const wchar_t kFilter[] = L"Text File (*.txt)\0*.txt\0"
                                     L"Comma Seperated File (*.csv)\0*.csv\0"
                                     L"Tab Seperated File (*.tsv)\0*.tsv\0";
    // The pairs and the empty string that ends the list.
    const std::wstring filter(kFilter, std::size(kFilter));
    EXPECT_EQ(std::wstring(dialog.ofn.lpstrFilter, filter.size()), filter);
    EXPECT_STREQ(dialog.ofn.lpstrDefExt, L"txt");
    EXPECT_EQ(dialog.ofn.nMaxFile, 260u);
    EXPECT_EQ(dialog.ofn.lpstrFile[0], L'\0');
}

TEST(SaveDialog, SaveDialogAsksForRegistrationFiles) {
    SaveDialogSettings dialog = RegExportDialogSettings(nullptr);
    EXPECT_EQ(dialog.ofn.lStructSize, sizeof(OPENFILENAMEW));
    // The pair and the empty string that ends the list.
    static const wchar_t kFilter[] = L"Registration Files (*.reg)\0*.reg\0";
    EXPECT_EQ(std::wstring(dialog.ofn.lpstrFilter, std::size(kFilter)), std::wstring(kFilter, std::size(kFilter)));
    EXPECT_STREQ(dialog.ofn.lpstrDefExt, L"reg");
    EXPECT_EQ(dialog.ofn.nMaxFile, 260u);
    EXPECT_EQ(dialog.ofn.Flags, static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                                                   OFN_EXPLORER | OFN_ENABLESIZING));
    EXPECT_EQ(dialog.FileName(), L"");
}
