#include "results/regedit_keys.h"

#include "engine/key_paths.h"

namespace {

constexpr int kCollapsePresses = 30;

wchar_t UpperCase(wchar_t c) {
    wchar_t text[1] = {c};
    ::CharUpperBuffW(text, 1);
    return text[0];
}

void AppendTyped(std::vector<KeyStroke>& strokes, const std::wstring& text) {
    for (wchar_t c : text) {
        strokes.push_back({WM_CHAR, UpperCase(c), 0});
    }
}

} // namespace

std::wstring LastKeyTopItem(const std::optional<std::wstring>& oldLastKey) {
    if (!oldLastKey) {
        return kRegEditDefaultTopItem;
    }
    std::wstring top = oldLastKey->substr(0, oldLastKey->find(L'\\'));
    // A value read from the registry may carry its terminator inside the counted length.
    top = top.substr(0, top.find(L'\0'));
    if (top.empty()) {
        return kRegEditDefaultTopItem;
    }
    // Keeping a hive name as the top item would name the hive twice: "HKEY_USERS\HKEY_CURRENT_USER\...".
    return RootKeyFromName(top) ? std::wstring() : top;
}

std::wstring MakeLastKey(const std::wstring& topItem, const std::wstring& rootName, const std::wstring& keyPath) {
    std::wstring lastKey = topItem.empty() ? rootName : topItem + L"\\" + rootName;
    if (!keyPath.empty()) {
        lastKey += L"\\" + keyPath;
    }
    return lastKey;
}

std::wstring RegEditTreePath(const std::wstring& rootName, const std::wstring& keyPath) {
    std::wstring path = L"\\" + rootName + L"\\" + keyPath;
    if (path.size() > kRegEditTextLimit) {
        path.resize(kRegEditTextLimit);
    }
    return path;
}

std::vector<KeyStroke> TreeKeystrokes(const std::wstring& treePath, bool withPauses) {
    std::vector<KeyStroke> strokes(kCollapsePresses, KeyStroke{WM_KEYDOWN, VK_LEFT, 0});
    strokes.back().pauseMs = withPauses ? kRegEditTreePauseMs : 0;
    for (wchar_t c : treePath) {
        if (c == L'\\') {
            strokes.push_back({WM_KEYDOWN, VK_RIGHT, kRegEditNamePauseMs});
        } else {
            AppendTyped(strokes, std::wstring(1, c));
        }
    }
    return strokes;
}

std::vector<KeyStroke> ValueListKeystrokes(const std::wstring& valueName) {
    std::vector<KeyStroke> strokes = {{WM_KEYDOWN, VK_HOME, 0}};
    AppendTyped(strokes, valueName.substr(0, kRegEditTextLimit));
    return strokes;
}
