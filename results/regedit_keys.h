// What is handed to the system registry editor to show a key and value: the key it remembers ("LastKey")
// and the keystrokes that walk its tree and value list when it is already running. Pure functions; the
// launch itself is regedit_launch.h.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// Longest tree path and value name that are typed into the editor.
inline constexpr size_t kRegEditTextLimit = 520;
// The editor's top tree item when its remembered key names none.
inline constexpr const wchar_t* kRegEditDefaultTopItem = L"Computer";
// Pause after collapsing the tree, on displays with more than 8-bit colour, so that the tree has drawn
// before the walk starts.
inline constexpr DWORD kRegEditTreePauseMs = 200;
// Pause after each expansion, on every display. The tree searches for the whole text typed since its last
// pause of about half a second (under a second on every system we know); without this pause the next name
// would be appended to the one before it and match nothing, leaving the tree where it was.
inline constexpr DWORD kRegEditNamePauseMs = 1000;

// The top tree item's name as the editor last remembered it: the text before the first backslash of the
// old "LastKey", or all of it when it holds no backslash. The name is localised, so it is kept rather than
// assumed. Missing or empty: "Computer". Empty when the old value starts with a hive name: that editor
// remembers its keys from the hive on, without a top item.
std::wstring LastKeyTopItem(const std::optional<std::wstring>& oldLastKey);

// The new "LastKey": top item (when there is one), root name and key path joined by backslashes (no
// trailing backslash for an empty key path).
std::wstring MakeLastKey(const std::wstring& topItem, const std::wstring& rootName, const std::wstring& keyPath);

// "\" + root name + "\" + key path, cut to kRegEditTextLimit characters.
std::wstring RegEditTreePath(const std::wstring& rootName, const std::wstring& keyPath);

// One message sent to one of the editor's controls, then an optional pause.
struct KeyStroke {
    UINT message; // WM_KEYDOWN or WM_CHAR
    WPARAM key;   // virtual key or character
    DWORD pauseMs;

    bool operator==(const KeyStroke&) const = default;
};

// Collapses the tree to its top (30 Left presses), then walks the tree path: a backslash expands the
// selected item (Right) and pauses, any other character is typed in upper case so that the tree jumps to
// the first item below that starts with the typed text. withPauses: the display has more than 8-bit
// colour.
std::vector<KeyStroke> TreeKeystrokes(const std::wstring& treePath, bool withPauses);

// Home (which alone selects the default value), then the value name typed in upper case, cut to
// kRegEditTextLimit characters.
std::vector<KeyStroke> ValueListKeystrokes(const std::wstring& valueName);
