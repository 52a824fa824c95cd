#include "form/history_store.h"

#include "base/settings.h"
#include "base/win_handles.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace {

constexpr wchar_t kDocumentPrefix[] = L"Document";
constexpr size_t kDocumentPrefixChars = 8;
// Longest value name the registry allows, plus its terminator.
constexpr DWORD kValueNameChars = 16384;

// Every "Document<n>" value of the key, as (n, name).
std::vector<std::pair<unsigned, std::wstring>> DocumentValues(HKEY key) {
    std::vector<std::pair<unsigned, std::wstring>> found;
    std::wstring name(kValueNameChars, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD chars = kValueNameChars;
        const LONG status = RegEnumValueW(key, index, name.data(), &chars, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) {
            continue;
        }
        if (status != ERROR_SUCCESS) {
            break;
        }
        if (const unsigned n = DocumentNumber(name.c_str())) {
            found.emplace_back(n, std::wstring(name.c_str(), chars));
        }
    }
    return found;
}

// A string value's text up to its first NUL; nothing for a missing value or one that is not a string.
// The data need not be terminated nor have an even size.
std::optional<std::wstring> ReadStringValue(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    std::wstring text;
    LONG status = ERROR_MORE_DATA;
    // The value may grow between the two calls; ask again with the size the registry reports.
    for (int attempt = 0; attempt < 3 && status == ERROR_MORE_DATA; ++attempt) {
        text.assign(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
    }
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    text.resize(size / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

std::wstring HistoryKeyPath(const wchar_t* subKey) {
    return std::wstring(kProgramKeyPath) + L"\\" + subKey;
}

} // namespace

unsigned DocumentNumber(const wchar_t* valueName) {
    if (CompareStringOrdinal(valueName, static_cast<int>(std::min(wcslen(valueName), kDocumentPrefixChars)),
                             kDocumentPrefix, static_cast<int>(kDocumentPrefixChars), TRUE) != CSTR_EQUAL) {
        return 0;
    }
    const wchar_t* digits = valueName + kDocumentPrefixChars;
    const size_t count = wcslen(digits);
    // Nine digits hold every number a history can use without overflowing.
    if (count == 0 || count > 9 || digits[0] == L'0' ||
        !std::all_of(digits, digits + count, [](wchar_t c) { return c >= L'0' && c <= L'9'; })) {
        return 0;
    }
    unsigned n = 0;
    for (size_t i = 0; i < count; ++i) {
        n = n * 10 + static_cast<unsigned>(digits[i] - L'0');
    }
    return n;
}

bool LoadHistory(const wchar_t* subKey, HistoryList& list) {
    KeyHandle key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, HistoryKeyPath(subKey).c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
        return false;
    }
    DWORD count = 0;
    DWORD type = 0;
    DWORD size = sizeof count;
    if (RegQueryValueExW(key.Get(), kDocumentCountValue, nullptr, &type, reinterpret_cast<BYTE*>(&count), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof count) {
        return false;
    }
    list.Reset(count);
    // Enumerating the values that exist keeps the load bounded whatever count the key claims.
    auto documents = DocumentValues(key.Get());
    std::erase_if(documents, [&](const auto& document) { return document.first > list.Capacity(); });
    std::sort(documents.begin(), documents.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [n, name] : documents) {
        if (auto text = ReadStringValue(key.Get(), name.c_str())) {
            list.AppendLoaded(*text);
        }
    }
    return true;
}

bool StoreHistory(const wchar_t* subKey, DWORD capacity, const std::vector<std::wstring>& newestFirst) {
    KeyHandle key = OpenProgramSubKey(subKey);
    if (!key) {
        return false;
    }
    bool written = RegSetValueExW(key.Get(), kDocumentCountValue, 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&capacity), sizeof capacity) == ERROR_SUCCESS;
    auto deleteValue = [&key](const std::wstring& name) {
        const LONG status = RegDeleteValueW(key.Get(), name.c_str());
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    };
    for (size_t n = newestFirst.size(); n >= 1; --n) {
        const std::wstring name = kDocumentPrefix + std::to_wstring(n);
        const std::wstring& text = newestFirst[n - 1];
        if (text.empty()) {
            written &= deleteValue(name);
            continue;
        }
        written &= RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    // Every older value beyond the list goes, however many an earlier, larger capacity left behind.
    for (const auto& [n, name] : DocumentValues(key.Get())) {
        if (n > newestFirst.size()) {
            written &= deleteValue(name);
        }
    }
    return written;
}

bool DeleteHistory(const wchar_t* subKey) {
    KeyHandle program = OpenProgramSubKey(L"");
    if (!program) {
        return false;
    }
    const LONG status = RegDeleteTreeW(program.Get(), subKey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}
