// The tree and the engine-alone timing that the benchmarks through the real frame share: keys of string
// values that all hold "needle", searched in the data.
#pragma once

#include "engine/keldra_thread.h"

#include <windows.h>

#include <string>

namespace needletree {

inline double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// HKCU\path with `keys` sub-keys of `values` string values each, made anew.
inline void BuildTree(const wchar_t* path, int keys, int values) {
    RegDeleteTreeW(HKEY_CURRENT_USER, path);
    HKEY root = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr);
    for (int k = 0; k < keys; ++k) {
        HKEY key = nullptr;
        RegCreateKeyExW(root, (L"Key" + std::to_wstring(k)).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        for (int v = 0; v < values; ++v) {
            const std::wstring data = L"C:\\Program Files\\needle\\module" + std::to_wstring(v) + L".dll";
            RegSetValueExW(key, (L"v" + std::to_wstring(v)).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(data.c_str()),
                           static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        }
        RegCloseKey(key);
    }
    RegCloseKey(root);
}

// Seconds the engine alone takes to search the tree for "needle" in the data; results gets the count.
inline double EngineAlone(const wchar_t* path, size_t& results) {
    CKeldraThread search;
    SearchFormValues values;
    values.lookIn = std::wstring(L"HKCU\\") + path;
    values.options = SO_DATA;
    values.searchText = L"needle";
    RequestOutcome outcome = BuildSearchRequest(values);
    const double start = Now();
    search.Start(std::move(*outcome.request));
    WaitForSingleObject(search.GetHandle(), INFINITE);
    const double seconds = Now() - start;
    results = search.Results().Count();
    return seconds;
}

} // namespace needletree
