#include "results/list_font.h"

#include "base/settings.h"
#include "base/win_handles.h"
#include "winlib/gdi.h"

#include <algorithm>
#include <cwchar>
#include <string>

namespace {

// A stored height far beyond any screen would make every glyph a huge bitmap; keep it within reason.
constexpr LONG kMaxFontPixels = 1000;

bool ReadStoredFont(LOGFONTW& font) {
    const std::wstring path = std::wstring(kProgramKeyPath) + L"\\" + kSettingsSubKey;
    KeyHandle key;
    // Opened for reading only: looking at the font never creates the settings key.
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
        return false;
    }
    LOGFONTW stored = {};
    DWORD type = 0;
    DWORD size = sizeof stored;
    if (RegQueryValueExW(key.Get(), kFont, nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size) != ERROR_SUCCESS ||
        type != REG_BINARY) {
        return false;
    }
    font = stored;
    return true;
}

bool IsAfterVersion5() {
    OSVERSIONINFOW version = {sizeof version};
    return ::GetVersionExW(&version) && version.dwMajorVersion > 5;
}

LOGFONTW DefaultFont() {
    LOGFONTW font = {};
    if (IsAfterVersion5()) {
        font.lfHeight = -14;
        wcscpy_s(font.lfFaceName, L"Consolas");
    } else {
        const WindowDC screen(nullptr);
        const int dpi = screen.Get() ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
        font.lfHeight = -(8 * dpi / 72);
        wcscpy_s(font.lfFaceName, L"Tahoma");
    }
    return font;
}

} // namespace

LOGFONTW ListFontSettings() {
    LOGFONTW font = {};
    if (!ReadStoredFont(font)) {
        font = DefaultFont();
    }
    // The stored record is untrusted: its face name need not be terminated and its size need not be sane.
    font.lfFaceName[LF_FACESIZE - 1] = L'\0';
    font.lfHeight = std::clamp(font.lfHeight, -kMaxFontPixels, kMaxFontPixels);
    font.lfWidth = std::clamp(font.lfWidth, -kMaxFontPixels, kMaxFontPixels);
    font.lfWeight = FW_NORMAL;
    font.lfQuality = CLEARTYPE_QUALITY;
    font.lfClipPrecision = 0;
    font.lfOutPrecision = 0;
    font.lfPitchAndFamily = 0;
    return font;
}
