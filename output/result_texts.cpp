#include "output/result_texts.h"

#include "base/system_message.h"

#include "engine/key_paths.h"

#include <cwchar>

namespace {

std::wstring Printf(const wchar_t* format, unsigned long number) {
    wchar_t text[64] = {};
    std::swprintf(text, sizeof text / sizeof text[0], format, number);
    return text;
}

bool IsWordChar(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_';
}

// The white space of the regular-expression grammar's \s.
bool IsSpace(wchar_t c) {
    switch (c) {
    case L'\t':
    case L'\n':
    case L'\v':
    case L'\f':
    case L'\r':
    case L' ':
    case 0x00A0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
    case 0xFEFF:
        return true;
    default:
        return c >= 0x2000 && c <= 0x200A;
    }
}

bool IsPathChar(wchar_t c) {
    if (IsWordChar(c) || IsSpace(c)) {
        return true;
    }
    return c != 0 && std::wcschr(L"-.()~!@#$%^&=+';,{}[]", c) != nullptr;
}

// The length of the path that starts at `start`, or 0. After the drive, each part is a backslash and at
// least one path character; the parts cannot hold a backslash, so the longest run is the greedy match.
size_t PathLengthAt(std::wstring_view text, size_t start) {
    if (start + 2 >= text.size() || !IsWordChar(text[start]) || text[start + 1] != L':') {
        return 0;
    }
    size_t end = start + 2;
    size_t matched = 0;
    while (end < text.size() && text[end] == L'\\') {
        size_t next = end + 1;
        while (next < text.size() && IsPathChar(text[next])) {
            ++next;
        }
        if (next == end + 1) {
            break;
        }
        end = next;
        matched = end - start;
    }
    return matched;
}

} // namespace

std::wstring FullKeyName(const SearchResult& record) {
    std::wstring name = RootKeyName(record.root);
    if (!record.KeyPath().empty()) {
        name += L"\\" + record.KeyPath();
    }
    return name;
}

std::wstring CopyItemText(const SearchResult& record) {
    return FullKeyName(record) + L", " + record.valueName + L", " + record.dataText;
}

std::wstring DeleteValueQuestion(const SearchResult& record) {
    return L"Are you sure you want to delete the selected value?\n\n" + RootKeyName(record.root) + L"\n" +
           record.KeyPath() + L"\n" + record.valueName;
}

std::wstring DeleteKeyQuestion(const SearchResult& record) {
    return L"Are you sure you want to delete the key and its subkeys?\n\n" + RootKeyName(record.root) + L"\n" +
           record.KeyPath();
}

std::wstring DeleteCheckedQuestion(size_t count) {
    return Printf(L"Are you sure you want to delete the %lu check marked items(s)?\n\n",
                  static_cast<unsigned long>(count));
}

std::wstring DeleteErrorText(bool key, DWORD error) {
    return Printf(key ? L"Error deleting key. Error=%08lx" : L"Error deleting value. Error=%08lx", error);
}

std::wstring SystemErrorText(DWORD error) {
    const std::wstring text = SystemMessage(error);
    return text.empty() ? Printf(L"HRESULT 0x%8.8lx", error) : text;
}

std::wstring DeleteLogLine(const SearchResult& record, const std::wstring& errorText) {
    return std::wstring(record.IsKey() ? L"Key" : L"Value") + L" Delete Error: " + errorText + L", " +
           RootKeyName(record.root) + L"\\" + record.KeyPath() + L"\\" + record.valueName;
}

std::wstring FindFilePath(std::wstring_view text) {
    for (size_t start = 0; start < text.size(); ++start) {
        if (const size_t length = PathLengthAt(text, start)) {
            return std::wstring(text.substr(start, length));
        }
    }
    return {};
}

std::wstring FileLocationOf(const SearchResult& record) {
    if (record.IsKey() || (record.type != REG_SZ && record.type != REG_EXPAND_SZ)) {
        return {};
    }
    std::wstring found = FindFilePath(record.valueName);
    if (!found.empty()) {
        return found;
    }
    std::wstring data = record.dataText;
    if (record.type == REG_EXPAND_SZ) {
        wchar_t expanded[MAX_PATH] = {};
        const DWORD needed = ::ExpandEnvironmentStringsW(data.c_str(), expanded, MAX_PATH);
        if (needed != 0 && needed <= MAX_PATH) {
            data = expanded;
        }
    }
    return FindFilePath(data);
}

std::wstring FolderOfLocation(const std::wstring& location) {
    const size_t last = location.rfind(L'\\');
    return last == std::wstring::npos ? std::wstring() : location.substr(0, last);
}
