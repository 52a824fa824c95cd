#include "engine/key_paths.h"

#include <cwctype>

HKEY RootKeyFromName(const std::wstring& name) {
    for (const HiveName& hive : kHiveTable) {
        if (lstrcmpiW(name.c_str(), hive.fullName) == 0 || lstrcmpiW(name.c_str(), hive.abbreviation) == 0) {
            return hive.root;
        }
    }
    return nullptr;
}

std::wstring RootKeyName(HKEY root) {
    for (const HiveName& hive : kHiveTable) {
        if (hive.root == root) {
            return hive.fullName;
        }
    }
    return {};
}

int SplitKeyPath(const std::wstring& path, std::wstring& hivePart, std::wstring& subKeyPart) {
    size_t slash = path.find(L'\\');
    if (slash == std::wstring::npos) {
        if (!path.empty()) {
            hivePart = path;
        }
        subKeyPart.clear();
        return -1;
    }
    hivePart = path.substr(0, slash);
    subKeyPart = path.substr(slash + 1);
    return static_cast<int>(slash);
}

std::wstring TrimChars(const std::wstring& text, const wchar_t* chars) {
    size_t first = text.find_first_not_of(chars);
    if (first == std::wstring::npos) {
        return {};
    }
    size_t last = text.find_last_not_of(chars);
    return text.substr(first, last - first + 1);
}

std::wstring TrimWhiteSpace(const std::wstring& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && std::iswspace(text[first])) {
        ++first;
    }
    while (last > first && std::iswspace(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

bool ParseKeyList(const std::wstring& text, std::vector<KeyLocation>& list) {
    std::wstring trimmed = TrimWhiteSpace(text);
    if (trimmed.empty()) {
        return false;
    }
    list.clear();
    size_t start = 0;
    while (start < trimmed.size()) {
        size_t end = trimmed.find_first_of(L";|,", start);
        if (end == std::wstring::npos) {
            end = trimmed.size();
        }
        if (end > start) {
            std::wstring token = TrimChars(trimmed.substr(start, end - start), L" ;");
            KeyLocation entry;
            if (token.find(L'\\') != std::wstring::npos) {
                std::wstring hive;
                SplitKeyPath(token, hive, entry.subKeyText);
                token = hive;
                entry.subKey = entry.subKeyText;
            }
            // The hive part is not trimmed again: "HKLM \Software" names no hive.
            entry.root = RootKeyFromName(token);
            entry.subKey = TrimWhiteSpace(entry.subKey);
            entry.rootName = RootKeyName(entry.root);
            if (entry.root) {
                list.push_back(std::move(entry));
            }
        }
        start = end + 1;
    }
    return !list.empty();
}
