// Times a search of every mode against a bare walk of the same registry tree, side by side in one run,
// then the matchers alone over in-memory candidates. Not a test: it prints figures.
//
// The mode lines time the engine's search alone (no notify window). The delivery line repeats the
// all-items search with a window and the program's idle drain: under Wine every queued and forwarded
// result costs several server round trips, each as dear as a registry call.
//
//   search_bench.exe [--keep]
//     --keep     leave HKCU\Software\QuillonBench in place for the next run (it takes seconds to build)
#include "engine/keldra_thread.h"
#include "engine/matchers.h"
#include "engine/msg_queue.h"
#include "base/settings.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kTreePath[] = L"Software\\QuillonBench";
constexpr int kFanOut = 10;
constexpr int kDepth = 4;
constexpr int kValuesPerKey = 8;
const BYTE kHexMarker[] = {0xDE, 0xAD, 0xBE, 0xEF};

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The values of key number n (in creation order): one key in a thousand holds "needle".
std::wstring PathText(int n, int j) {
    wchar_t text[64];
    const bool needle = n % 1000 == 0 && j == 0;
    std::swprintf(text, 64, L"C:\\Program Files\\Orvanta\\%ls%05d\\lib%d.dll", needle ? L"needle" : L"Module", n, j);
    return text;
}

std::vector<BYTE> BlobData(int n, int j) {
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

std::wstring MultiText(int n) {
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

void FillKey(HKEY key, int n) {
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

void BuildLevel(HKEY key, int depth, int& counter) {
    FillKey(key, counter++);
    if (depth == kDepth) {
        return;
    }
    for (int i = 0; i < kFanOut; ++i) {
        wchar_t name[16];
        std::swprintf(name, 16, L"Key%d", i);
        HKEY child = nullptr;
        if (RegCreateKeyExW(key, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr) == ERROR_SUCCESS) {
            BuildLevel(child, depth + 1, counter);
            RegCloseKey(child);
        }
    }
}

void BuildTree() {
    HKEY root = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kTreePath, 0, KEY_READ, &root) == ERROR_SUCCESS) {
        DWORD done = 0;
        DWORD size = sizeof done;
        bool complete = RegQueryValueExW(root, L"BuildComplete", nullptr, nullptr, reinterpret_cast<BYTE*>(&done),
                                         &size) == ERROR_SUCCESS;
        RegCloseKey(root);
        if (complete) {
            std::printf("tree: reusing HKCU\\Software\\QuillonBench\n");
            return;
        }
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kTreePath);
    double start = Now();
    RegCreateKeyExW(HKEY_CURRENT_USER, kTreePath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr);
    int counter = 0;
    BuildLevel(root, 0, counter);
    DWORD one = 1;
    RegSetValueExW(root, L"BuildComplete", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(root);
    std::printf("tree: built %d keys, %d values in %.1f s\n", counter, counter * kValuesPerKey, Now() - start);
}

// The baseline: every key opened, queried and enumerated, every value read with its data; nothing matched.
struct BareCounts {
    unsigned long keys = 0;
    unsigned long values = 0;
    unsigned long bytes = 0;
};

void BareWalk(HKEY parent, const wchar_t* name, BareCounts& counts) {
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

double TimeBareWalk() {
    BareCounts counts;
    double start = Now();
    BareWalk(HKEY_CURRENT_USER, kTreePath, counts);
    double seconds = Now() - start;
    if (counts.keys != 11111 || counts.values != 88889) {
        std::printf("warning: bare walk saw %lu keys and %lu values\n", counts.keys, counts.values);
    }
    return seconds;
}

// A message-only window standing in for the search view: it lists nothing, it only takes the
// notifications as the view would, so that delivery costs what it costs in the program.
LRESULT CALLBACK ViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SEARCH_NOTIFY && wParam == SN_FINISHED) {
        MsgQueueDrain();
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

struct Mode {
    const char* name;
    DWORD mode;
    const wchar_t* text;
};

double TimeSearch(const Mode& m, HWND view, size_t& results) {
    CKeldraThread engine;
    engine.notifyWindow = view;
    engine.keyTreeOn = TRUE;
    engine.options = SO_KEYS | SO_VALUES | SO_DATA;
    // The form's rules tying look-at bits and types to the mode.
    if (m.mode == SM_HEX || m.mode == SM_ALL_ITEMS || m.mode == SM_INTEGER) {
        engine.options &= ~SO_LOOK_AT_MASK;
    }
    if (m.mode == SM_HEX) {
        engine.typeMask &= ~0x86u;
    }
    if (m.mode == SM_INTEGER) {
        engine.typeMask &= 0x810u;
    }
    engine.SetLookIn(std::wstring(L"HKCU\\") + kTreePath, L"");
    if (!engine.SetSearchString(m.text, m.mode)) {
        std::printf("mode=%s: search string refused\n", m.name);
        return 0;
    }
    WriteSettingDword(kSettingsSubKey, kStopSearchOnLimit, m.mode == SM_ALL_ITEMS ? 0 : 1);

    double start = Now();
    engine.Start();
    HANDLE worker = engine.GetHandle();
    // The main loop of the program: messages, and one queued result forwarded per idle pass.
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
        if (WaitForSingleObject(worker, 0) == WAIT_OBJECT_0) {
            break;
        }
        if (!view || !MsgQueueForwardOne(worker)) {
            MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT);
        }
    }
    double seconds = Now() - start;
    engine.Stop();
    MsgQueueDrain();
    results = engine.results.size();
    return seconds;
}

// Nanoseconds per call of test over the candidates, repeated until at least 0.2 s have passed.
template <class Test> double NanosPerCandidate(size_t count, Test test) {
    size_t calls = 0;
    volatile size_t sink = 0;
    double start = Now();
    double elapsed = 0;
    do {
        for (size_t i = 0; i < count; ++i) {
            sink = sink + test(i);
        }
        calls += count;
        elapsed = Now() - start;
    } while (elapsed < 0.2);
    return elapsed * 1e9 / static_cast<double>(calls);
}

void BenchMatchers(const Mode* modes, size_t modeCount) {
    std::vector<std::wstring> texts;
    std::vector<std::wstring> hexTexts;
    std::vector<DWORD> numbers;
    for (int n = 0; n < 20000; ++n) {
        texts.push_back(PathText(n, n % 2));
        std::vector<BYTE> blob = BlobData(n, n % 2);
        hexTexts.push_back(BytesToHex(blob.data(), blob.size()));
        numbers.push_back(static_cast<DWORD>(n * 8 + 1));
    }
    const std::wstring needle = L"needle";
    double baseline =
        NanosPerCandidate(texts.size(), [&](size_t i) { return texts[i].find(needle) != std::wstring::npos; });
    for (size_t k = 0; k < modeCount; ++k) {
        const Mode& m = modes[k];
        if (m.mode == SM_ALL_ITEMS) {
            continue; // matches without a test
        }
        CKeldraThread engine;
        if (!engine.SetSearchString(m.text, m.mode)) {
            continue;
        }
        SearchMatcher matcher;
        matcher.Configure(m.mode, engine.patterns.empty() ? L"" : engine.patterns[0], engine.integerValue,
                          SO_UNICODE_BINARY);
        double ns = 0;
        if (m.mode == SM_HEX) {
            ns = NanosPerCandidate(hexTexts.size(), [&](size_t i) { return matcher.MatchText(hexTexts[i]).found; });
        } else if (m.mode == SM_INTEGER) {
            ns = NanosPerCandidate(numbers.size(), [&](size_t i) {
                return matcher.MatchInteger(REG_DWORD, reinterpret_cast<const BYTE*>(&numbers[i]), 4);
            });
        } else {
            ns = NanosPerCandidate(texts.size(), [&](size_t i) { return matcher.MatchText(texts[i]).found; });
        }
        std::printf("matcher mode=%s ns_per_candidate=%.1f find_baseline_ns=%.1f\n", m.name, ns, baseline);
    }
}

// One figure pair, timed in mirrored halves (bare, search, search, bare, ... or the reverse), keeping the
// fastest of each: the machine is shared, and a single timing can catch another program's burst.
struct Timing {
    size_t results = 0;
    double search = 1e9;
    double bare = 1e9;
};

Timing TimePair(const Mode& m, HWND view, bool searchFirst) {
    Timing t;
    for (int half = 0; half < 4; ++half) {
        const bool search = (half % 2 == 0) == searchFirst;
        for (int step = 0; step < 2; ++step) {
            if ((step == 0) == search) {
                t.search = std::min(t.search, TimeSearch(m, view, t.results));
            } else {
                t.bare = std::min(t.bare, TimeBareWalk());
            }
        }
    }
    return t;
}

void PrintTiming(const char* prefix, const char* name, const Timing& t) {
    std::printf("%smode=%s results=%zu search_s=%.3f bare_s=%.3f ratio=%.3f\n", prefix, name, t.results, t.search,
                t.bare, t.search / t.bare);
    std::fflush(stdout);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        keep |= std::wcscmp(argv[i], L"--keep") == 0;
    }
    BuildTree();

    const Mode modes[] = {
        {"find", SM_FIND_STRING, L"needle"},
        {"whole", SM_WHOLE_STRING, L"C:\\Program Files\\Orvanta\\needle05000\\lib0.dll"},
        {"wildcard", SM_WILDCARD, L"nee*le0"},
        {"regex", SM_REGEX, L"ne+dle[0-9]+\\\\"},
        {"hex", SM_HEX, L"DEADBEEF"},
        {"integer", SM_INTEGER, L"40009"},
        {"all", SM_ALL_ITEMS, L""},
    };
    const DWORD stopOnLimit = ReadSettingDword(kSettingsSubKey, kStopSearchOnLimit, 1);

    bool searchFirst = false;
    for (const Mode& m : modes) {
        PrintTiming("", m.name, TimePair(m, nullptr, searchFirst));
        searchFirst = !searchFirst;
    }

    MsgQueueCreate();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &ViewProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuillonBenchView";
    RegisterClassW(&wc);
    HWND view = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    PrintTiming("delivery ", modes[std::size(modes) - 1].name, TimePair(modes[std::size(modes) - 1], view, false));
    DestroyWindow(view);
    MsgQueueClose();
    WriteSettingDword(kSettingsSubKey, kStopSearchOnLimit, stopOnLimit);

    BenchMatchers(modes, std::size(modes));
    if (!keep) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTreePath);
    }
    return 0;
}
