// The benchmark tree shared by the benchmarks: a registry tree of fan-out 10 below HKCU, eight values of four
// types in every key, "needle" in one key of a thousand; and the bare walk that every search is timed against.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace benchtree {

inline constexpr wchar_t kTreePath[] = L"Software\\QuillonBench";
inline constexpr int kFanOut = 10;
inline constexpr int kDepth = 4;
inline constexpr int kValuesPerKey = 8;
inline constexpr BYTE kHexMarker[] = {0xDE, 0xAD, 0xBE, 0xEF};

inline double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The values of key number n (in creation order): one key in a thousand holds "needle".
inline std::wstring PathText(int n, int j) {
    wchar_t text[64];
    const bool needle = n % 1000 == 0 && j == 0;
    std::swprintf(text, 64, L"C:\\Program Files\\Orvanta\\%ls%05d\\lib%d.dll", needle ? L"needle" : L"Module", n, j);
    return text;
}

inline std::vector<BYTE> BlobData(int n, int j) {
    std::vector<BYTE> blob(48);
    unsigned state = static_cast<unsigned>(n * 8 + j) * 2654435761u + 1;
    for (BYTE& b : blob) {
        state = state * 1103515245u + 12345u;
        b = static_cast<BYTE>(state >> 16);
    }
    if (n % 1000 == 0 && j == 0) {
        std::memcpy(blob.data() + 20, kHexMarker, sizeof kHexMarker);
    }
    return blob;
}

inline std::wstring MultiText(int n) {
    wchar_t text[64];
    int length = std::swprintf(text, 64, L"first%05d|second|third||", n);
    std::wstring multi(text, static_cast<size_t>(length));
    for (wchar_t& c : multi) {
        if (c == L'|') {
            c = L'\0';
        }
    }
    return multi;
}

inline void FillKey(HKEY key, int n) {
    for (int v = 0; v < kValuesPerKey; ++v) {
        const int j = v / 4;
        wchar_t name[32];
        switch (v % 4) {
        case 0: {
            std::swprintf(name, 32, L"Path%d", j);
            std::wstring text = PathText(n, j);
            RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
            break;
        }
        case 1: {
            std::swprintf(name, 32, L"Count%d", j);
            DWORD value = static_cast<DWORD>(n * 8 + v);
            RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
            break;
        }
        case 2: {
            std::swprintf(name, 32, L"Blob%d", j);
            std::vector<BYTE> blob = BlobData(n, j);
            RegSetValueExW(key, name, 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()));
            break;
        }
        default: {
            std::swprintf(name, 32, L"List%d", j);
            std::wstring multi = MultiText(n);
            RegSetValueExW(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi.data()),
                           static_cast<DWORD>(multi.size() * sizeof(wchar_t)));
            break;
        }
        }
    }
}

inline void BuildLevel(HKEY key, int depth, int maxDepth, int& counter) {
    FillKey(key, counter++);
    if (depth == maxDepth) {
        return;
    }
    for (int i = 0; i < kFanOut; ++i) {
        wchar_t name[16];
        std::swprintf(name, 16, L"Key%d", i);
        HKEY child = nullptr;
        if (RegCreateKeyExW(key, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr) == ERROR_SUCCESS) {
            BuildLevel(child, depth + 1, maxDepth, counter);
            RegCloseKey(child);
        }
    }
}

// Builds the tree below HKCU\path with the given depth (4: 11,111 keys; 3: 1,111 keys), unless a complete one
// of that depth is there from an earlier run.
inline void BuildTree(HKEY top, const wchar_t* path, int depth) {
    HKEY root = nullptr;
    if (RegOpenKeyExW(top, path, 0, KEY_READ, &root) == ERROR_SUCCESS) {
        DWORD done = 0;
        DWORD size = sizeof done;
        bool complete = RegQueryValueExW(root, L"BuildComplete", nullptr, nullptr, reinterpret_cast<BYTE*>(&done),
                                         &size) == ERROR_SUCCESS &&
                        done == static_cast<DWORD>(depth);
        RegCloseKey(root);
        if (complete) {
            std::printf("tree: reusing %ls\n", path);
            return;
        }
    }
    RegDeleteTreeW(top, path);
    double start = Now();
    RegCreateKeyExW(top, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr);
    int counter = 0;
    BuildLevel(root, 0, depth, counter);
    const DWORD complete = static_cast<DWORD>(depth);
    RegSetValueExW(root, L"BuildComplete", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&complete), sizeof complete);
    RegCloseKey(root);
    std::printf("tree: built %d keys, %d values in %.1f s\n", counter, counter * kValuesPerKey, Now() - start);
}

// The baseline: every key opened, queried and enumerated, every value read with its data; nothing matched.
struct BareCounts {
    unsigned long keys = 0;
    unsigned long values = 0;
    unsigned long bytes = 0;
};

inline void BareWalk(HKEY parent, const wchar_t* name, BareCounts& counts) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    ++counts.keys;
    DWORD longest = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr,
                         nullptr) == ERROR_SUCCESS) {
        BYTE* data = static_cast<BYTE*>(std::malloc(longest + 2));
        wchar_t valueName[260];
        for (DWORD i = 0; data; ++i) {
            DWORD nameLength = 260;
            DWORD type = 0;
            DWORD size = longest;
            LONG error = RegEnumValueW(key, i, valueName, &nameLength, nullptr, &type, data, &size);
            if (error == ERROR_NO_MORE_ITEMS) {
                break;
            }
            if (error == ERROR_SUCCESS) {
                ++counts.values;
                counts.bytes += size;
            }
        }
        std::free(data);
    }
    wchar_t child[260];
    for (DWORD i = 0;; ++i) {
        DWORD length = 260;
        FILETIME written;
        LONG error = RegEnumKeyExW(key, i, child, &length, nullptr, nullptr, nullptr, &written);
        if (error == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (error == ERROR_SUCCESS) {
            BareWalk(key, child, counts);
        }
    }
    RegCloseKey(key);
}

} // namespace benchtree
