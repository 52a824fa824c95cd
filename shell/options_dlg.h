// The Preferences dialog: the general settings, the ribbon choice and the results list font. It opens with
// the stored settings, stores them on OK and nothing on Cancel; a font chosen with "Font..." is stored at
// once, even if the dialog is then cancelled.
//
// Threads: main thread only.
#pragma once

#include "resources/dialog_ids.h"
#include "winlib/dialog_impl.h"

#include <commdlg.h>

// The font common dialog; tests replace it so that no modal dialog blocks them.
using ChooseFontFunction = BOOL(WINAPI*)(CHOOSEFONTW*);
ChooseFontFunction& ChooseFontCall();

// Screen and printer fonts, hook, start from the record, the font must exist, TrueType only, no vertical
// fonts.
inline constexpr DWORD kListFontDialogFlags = CF_SCREENFONTS | CF_PRINTERFONTS | CF_ENABLEHOOK |
                                              CF_INITTOLOGFONTSTRUCT | CF_FORCEFONTEXIST | CF_TTONLY | CF_NOVERTFONTS;

class COptionsDlg : public CDialogImpl<COptionsDlg> {
public:
    enum { IDD = IDD_PREFERENCES };

    // ribbonShown: the ribbon shows now; ribbonAvailable: the ribbon framework works on this system;
    // listFont: the results list's current font, where "Font..." starts.
    COptionsDlg(bool ribbonShown, bool ribbonAvailable, const LOGFONTW& listFont);

    // After OK: whether the user wants the ribbon.
    bool RibbonChoice() const { return m_ribbonChoice; }
    // Whether "Font..." stored a new font during this opening (also after Cancel).
    bool FontChanged() const { return m_fontChanged; }

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;

private:
    void OnInitDialog();
    void OnStopOnLimitClicked();
    void OnChooseFont();
    void OnOK();
    bool IsChecked(int id) const { return IsDlgButtonChecked(id) == BST_CHECKED; }

    bool m_ribbonShown;
    bool m_ribbonAvailable;
    LOGFONTW m_listFont;
    bool m_ribbonChoice = false;
    bool m_fontChanged = false;
};
