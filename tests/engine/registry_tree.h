// Scratch registry trees for the walker tests, built under HKCU\Software\QuillonTest... and deleted again.
#pragma once

#include "engine/keldra_thread.h"
#include "base/log_file.h"
#include "tests/common/test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace walktest {

// A key deleted (with its sub-tree) when the object goes; the constructor starts it afresh.
class ScratchKey {
public:
    explicit ScratchKey(std::wstring path) : path_(std::move(path)), key_(testsupport::FreshKey(path_)) {}
    ~ScratchKey() {
        if (key_) {
            RegCloseKey(key_);
        }
        testsupport::DeleteKey(path_);
    }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    HKEY Get() const { return key_; }
    const std::wstring& Path() const { return path_; }
    std::wstring LookIn() const { return L"HKCU\\" + path_; }

private:
    std::wstring path_;
    HKEY key_;
};

// Creates (or opens) path below parent; the handle is closed at once.
inline void CreateKey(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (key) {
        RegCloseKey(key);
    }
}

inline void SetValue(HKEY parent, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
                     size_t size) {
    HKEY key = nullptr;
    RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
    RegCloseKey(key);
}

inline void SetString(HKEY parent, const std::wstring& path, const std::wstring& name, const std::wstring& text,
                      DWORD type = REG_SZ) {
    SetValue(parent, path, name, type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

inline void SetDword(HKEY parent, const std::wstring& path, const std::wstring& name, DWORD value) {
    SetValue(parent, path, name, REG_DWORD, &value, sizeof value);
}

inline std::string SearchLog() {
    return testsupport::ReadFileBytes(LogFolderPath() + L"\\" + kSearchLogName);
}

// Lines of the search log after its registry-view line, without their CR LF: the problems it noted.
inline std::vector<std::string> SearchLogLines() {
    std::vector<std::string> lines;
    std::string text = SearchLog();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (!lines.empty() && lines.front().rfind("Registry view", 0) == 0) {
        lines.erase(lines.begin());
    }
    return lines;
}

inline std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// A request for a search of lookIn with the search text and mode (and options before the text, as the form
// sets them). Members set before it stay.
inline void Prepare(SearchRequest& request, const std::wstring& lookIn, const std::wstring& text, DWORD mode,
                    DWORD options = SO_KEYS | SO_VALUES | SO_DATA) {
    request.options = options;
    request.mode = mode;
    ParseKeyList(lookIn, request.lookIn);
    request.excludeKeys.clear();
    ASSERT_TRUE(SetRequestPattern(request, text));
}

// Runs the request on the engine's worker to its end.
inline void RunSearch(CKeldraThread& engine, const SearchRequest& request) {
    ASSERT_TRUE(engine.Start(request));
    WaitForSingleObject(engine.GetHandle(), INFINITE);
    engine.Stop();
}

// Copies of the records the last search found.
inline std::vector<SearchResult> Records(const CKeldraThread& engine) {
    std::vector<SearchResult> records;
    engine.Results().ReadFrom(0, [&](size_t, const SearchResult& record) { records.push_back(record); });
    return records;
}

// The results' key paths (value results as "path:name").
inline std::vector<std::wstring> Found(const CKeldraThread& engine) {
    std::vector<std::wstring> found;
    for (const SearchResult& r : Records(engine)) {
        found.push_back(r.IsKey() ? r.KeyPath() : r.KeyPath() + L":" + r.valueName);
    }
    return found;
}

} // namespace walktest
