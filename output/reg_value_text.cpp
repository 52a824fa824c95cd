#include "output/reg_value_text.h"

#include <cstring>

namespace {

constexpr wchar_t kHexDigits[] = L"0123456789abcdef";

void AppendLowerHex(std::wstring& out, DWORD number, int minDigits) {
    wchar_t digits[8];
    int count = 0;
    do {
        digits[count++] = kHexDigits[number & 0xF];
        number >>= 4;
    } while (number != 0);
    for (int pad = count; pad < minDigits; ++pad) {
        out += L'0';
    }
    while (count > 0) {
        out += digits[--count];
    }
}

// A quoted string is imported as its characters and one terminating NUL. So it restores the bytes exactly
// only when they are whole characters ending in the one NUL, with no other NUL and no line break (which
// would end the quoted string's line).
bool QuotedStringRestores(const BYTE* data, size_t size) {
    if (size < sizeof(wchar_t) || size % sizeof(wchar_t) != 0) {
        return false;
    }
    const size_t chars = size / sizeof(wchar_t);
    for (size_t i = 0; i < chars; ++i) {
        wchar_t c;
        std::memcpy(&c, data + i * sizeof(wchar_t), sizeof c);
        const bool last = i + 1 == chars;
        if ((c == L'\0') != last || c == L'\r' || c == L'\n') {
            return false;
        }
    }
    return true;
}

void AppendEscapedChar(std::wstring& out, wchar_t c) {
    if (c == L'\\' || c == L'"') {
        out += L'\\';
    }
    out += c;
}

void AppendHexBytes(std::wstring& out, size_t itemStart, const BYTE* data, size_t size) {
    size_t column = out.size() - itemStart;
    for (size_t i = 0; i < size; ++i) {
        out += kHexDigits[data[i] >> 4];
        out += kHexDigits[data[i] & 0xF];
        const bool more = i + 1 < size;
        column += 2;
        if (more) {
            out += L',';
            ++column;
        }
        if (column > kRegHexWrapColumn && more) {
            out += L"\\\n  ";
            column = 2;
        }
    }
}

} // namespace

bool RegValueNameWritable(const std::wstring& name) {
    return name.find_first_of(std::wstring_view(L"\0\r\n", 3)) == std::wstring::npos;
}

bool AppendRegValueItem(std::wstring& out, const std::wstring& name, DWORD type, const BYTE* data, size_t size) {
    if (!RegValueNameWritable(name)) {
        return false;
    }
    const size_t itemStart = out.size();
    // Names are escaped like string data: an unescaped quote or backslash ends or corrupts the name when the
    // script is imported.
    if (name.empty()) {
        out += L"@=";
    } else {
        out += L'"';
        for (wchar_t c : name) {
            AppendEscapedChar(out, c);
        }
        out += L"\"=";
    }
    if (type == REG_SZ && QuotedStringRestores(data, size)) {
        out += L'"';
        // The data need not be aligned for wchar_t: each character is copied out of it.
        for (size_t offset = 0; offset + sizeof(wchar_t) < size; offset += sizeof(wchar_t)) {
            wchar_t c;
            std::memcpy(&c, data + offset, sizeof c);
            AppendEscapedChar(out, c);
        }
        out += L"\"\n";
        return true;
    }
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, data, sizeof number);
        out += L"dword:";
        AppendLowerHex(out, number, 8);
        out += L'\n';
        return true;
    }
    // Every other value is written as its type and bytes, which an import restores as they are: strings that
    // a quoted string would change, REG_DWORDs of another size, and all other types.
    if (type == REG_BINARY) {
        out += L"hex:";
    } else {
        out += L"hex(";
        AppendLowerHex(out, type, 1);
        out += L"):";
    }
    AppendHexBytes(out, itemStart, data, size);
    out += L'\n';
    return true;
}

std::wstring RegValueItem(const std::wstring& name, DWORD type, const BYTE* data, size_t size) {
    std::wstring item;
    AppendRegValueItem(item, name, type, data, size);
    return item;
}

std::wstring RegKeyLine(const std::wstring& rootName, const std::wstring& path) {
    return path.empty() ? L"[" + rootName + L"]\n" : L"[" + rootName + L"\\" + path + L"]\n";
}
