#include "results/key_filter.h"

#include "engine/key_paths.h"

#include <cwchar>

namespace {

std::wstring WithTrailingBackslash(std::wstring path) {
    if (path.empty() || path.back() != L'\\') {
        path += L'\\';
    }
    return path;
}

} // namespace

ParsedKeyFilter ParseKeyFilter(const std::wstring& filter) {
    std::wstring rootName;
    std::wstring path;
    SplitKeyPath(filter, rootName, path);
    ParsedKeyFilter parsed;
    parsed.root = rootName.empty() ? nullptr : RootKeyFromName(rootName);
    parsed.pathPrefix = WithTrailingBackslash(path);
    return parsed;
}

bool KeyFilterAdmits(const ParsedKeyFilter& filter, const SearchResult& record) {
    if (record.removed) {
        return false;
    }
    if (filter.root && filter.root != record.root) {
        return false;
    }
    if (filter.pathPrefix.size() <= 1) {
        return true;
    }
    const std::wstring keyPath = WithTrailingBackslash(record.KeyPath());
    return keyPath.size() >= filter.pathPrefix.size() &&
           _wcsnicmp(keyPath.c_str(), filter.pathPrefix.c_str(), filter.pathPrefix.size()) == 0;
}
