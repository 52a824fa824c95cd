#include "output/reg_value_text.h"

#include <cstring>

namespace {

constexpr wchar_t kHexDigits[] = L"0123456789abcdef";

std::wstring LowerHex(DWORD number, int minDigits) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), kHexDigits[number & 0xF]);
        number >>= 4;
    } while (number != 0);
    if (static_cast<int>(digits.size()) < minDigits) {
        digits.insert(0, minDigits - digits.size(), L'0');
    }
    return digits;
}

// The string's characters up to its first NUL; an odd last byte and anything past `size` are never read.
std::wstring StringData(const BYTE* data, size_t size) {
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (!text.empty()) {
        std::memcpy(text.data(), data, text.size() * sizeof(wchar_t));
    }
    return text.substr(0, text.find(L'\0'));
}

std::wstring Escaped(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (wchar_t c : text) {
        if (c == L'\\' || c == L'"') {
            escaped += L'\\';
        }
        escaped += c;
    }
    return escaped;
}

void AppendHexBytes(std::wstring& item, const BYTE* data, size_t size) {
    size_t column = item.size();
    for (size_t i = 0; i < size; ++i) {
        const size_t before = item.size();
        item += kHexDigits[data[i] >> 4];
        item += kHexDigits[data[i] & 0xF];
        const bool more = i + 1 < size;
        if (more) {
            item += L',';
        }
        column += item.size() - before;
        if (column > kRegHexWrapColumn && more) {
            item += L"\\\n  ";
            column = 2;
        }
    }
}

} // namespace

std::wstring RegValueItem(const std::wstring& name, DWORD type, const BYTE* data, size_t size) {
    // Names are escaped like string data: an unescaped quote or backslash ends or corrupts the name when the
    // script is imported.
    std::wstring item = name.empty() ? L"@=" : L"\"" + Escaped(name) + L"\"=";
    if (type == REG_SZ) {
        item += L"\"" + Escaped(StringData(data, size)) + L"\"\n";
        return item;
    }
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, data, sizeof number);
        item += L"dword:" + LowerHex(number, 8) + L"\n";
        return item;
    }
    // Any other type, and a REG_DWORD of another size, is written as its bytes so that nothing is lost.
    item += type == REG_BINARY ? L"hex:" : L"hex(" + LowerHex(type, 1) + L"):";
    AppendHexBytes(item, data, size);
    item += L"\n";
    return item;
}

std::wstring RegKeyLine(const std::wstring& rootName, const std::wstring& path) {
    return path.empty() ? L"[" + rootName + L"]\n" : L"[" + rootName + L"\\" + path + L"]\n";
}
