// A menu bar that lives in a rebar band: a toolbar with one text button per item of a menu. A click or a key
// drops the item's popup below its button; the popups show images for the commands of a toolbar resource;
// Alt, F10, Alt+letter and the arrow keys give keyboard access as a window's own menu bar does.
//
// Commands chosen from the popups, and the menu notices a frame relies on (WM_INITMENUPOPUP, WM_MENUSELECT),
// go to the notify window given at creation.
//
// Where the code lives: command_bar.cpp (buttons, images, window messages), command_bar_track.cpp (the
// dropped popups), command_bar_keys.cpp (keyboard access).
//
// Threads: main thread only; one popup is tracked at a time per thread.
#pragma once

#include "winlib/image_list.h"
#include "winlib/window_impl.h"

#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

class CCommandBarCtrl : public CWindowImplRoot {
public:
    CCommandBarCtrl() = default;
    ~CCommandBarCtrl() override;

    // Creates the bar as a child of parent. Null on failure.
    HWND Create(HWND parent, HWND notifyWindow, UINT id);
    // One button per top-level item of menu; the menu stays the caller's.
    bool AttachMenu(HMENU menu);
    HMENU GetMenu() const { return m_menu; }
    // Images for the popups' items from toolbar resource id (its bitmap has the same id): each command of
    // the resource shows its button image. False when the resource is missing.
    bool LoadImages(UINT toolbarResourceId);
    // Whether a command's item shows an image.
    bool HasImage(UINT command) const { return m_imageOfCommand.count(command) != 0; }
    // Width and height of all buttons together, for the rebar band.
    SIZE IdealSize() const;

    // Keyboard access through the loop's message filter. TRUE when the message was consumed.
    BOOL PreTranslateMessage(MSG* pMsg);
    // A menu key that reached the frame as SC_KEYMENU: 0 for Alt or F10, else the mnemonic typed with Alt.
    // False when no top-level item has that mnemonic.
    bool OnKeyMenu(wchar_t key);

    // Drops the popup of top-level item index and returns when the menus are closed (selectFirst: the first
    // item is highlighted, as when opened from the keyboard).
    void OpenMenu(int index, bool selectFirst);

    int ItemCount() const;
    // The top-level item whose mnemonic is key (any case); -1 for none.
    int MenuIndexOfMnemonic(wchar_t key) const;
    bool IsKeyboardMode() const { return m_keyboardMode; }
    // Ends the keyboard's hold on the bar (its window lost the activation, for example).
    void LeaveKeyboardMode();
    int HotItem() const;
    // The top-level item whose popup is dropped now; -1 when none is.
    int OpenIndex() const { return m_openIndex; }

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;

private:
    static constexpr int kFirstButtonId = 1; // button ids are index + 1: 0 is no id to a toolbar

    static LRESULT CALLBACK MenuFilterHook(int code, WPARAM wParam, LPARAM lParam);
    bool OnMenuFilter(const MSG& msg);
    void SwitchMenu(int index, bool selectFirst);
    int ButtonAt(POINT screenPoint) const;
    void EnterKeyboardMode();
    void SetHotItem(int index);
    bool OnKeyboardModeKey(MSG* pMsg);
    bool OwnsMessage(const MSG& msg) const;
    void AddImagesToMenu(HMENU menu);
    void OnMeasureItem(MEASUREITEMSTRUCT* item) const;
    void OnDrawItem(const DRAWITEMSTRUCT* item) const;

    HWND m_notify = nullptr;
    HMENU m_menu = nullptr;
    ImageListHandle m_images;
    SIZE m_imageSize = {};
    std::map<UINT, int> m_imageOfCommand;

    bool m_keyboardMode = false;
    bool m_altPending = false;
    int m_openIndex = -1;
    int m_nextIndex = -1;
    bool m_nextSelectFirst = false;
    bool m_ending = false;         // the popup is closing for a switch or a click on its button
    std::vector<MSG> m_typedAhead; // keys the closing popup's loop offered; they go to the next popup
    POINT m_lastMouse = {-1, -1};
    HHOOK m_hook = nullptr;
};
