// Registry export and list save benchmark. Exports an 11,111-key, 88,888-value tree through the export
// routine and the same key with the system's reg.exe ("reg export"), in turn (bench/alternate.h); prints
// export_s=<median> reg_export_s=<median> ratio=<t> spread=<lo-hi> (target: ratio at most 1.0). Then saves
// 100,000 rows in each of the three layouts, several times (target: a median under 2 s each).
//
//   export_bench.exe [--rounds N]
#include "bench/alternate.h"
#include "output/list_save.h"
#include "output/reg_export.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::wstring kBenchKey = L"Software\\QuillonExportBench";
constexpr int kBranching = 10;
constexpr int kLevels = 4;       // 1 + 10 + 100 + 1,000 + 10,000 = 11,111 keys
constexpr int kValuesPerKey = 8; // 88,888 values

double Seconds() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

void FillKey(HKEY key, int serial) {
    const std::wstring text = L"C:\\Program Files\\Vendor\\Product" + std::to_wstring(serial) + L"\\app.exe";
    const DWORD number = static_cast<DWORD>(serial);
    BYTE bytes[48];
    for (int i = 0; i < 48; ++i) {
        bytes[i] = static_cast<BYTE>(serial + i);
    }
    const wchar_t multi[] = L"first\0second\0";
    const unsigned long long wide = serial * 0x100000001ULL;
    auto set = [key](const wchar_t* name, DWORD type, const void* data, size_t size) {
        RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
    };
    set(L"", REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    set(L"Path", REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    set(L"Expand", REG_EXPAND_SZ, L"%ProgramFiles%\\Vendor", 44);
    set(L"Flags", REG_DWORD, &number, sizeof number);
    set(L"Blob", REG_BINARY, bytes, sizeof bytes);
    set(L"List", REG_MULTI_SZ, multi, sizeof multi);
    set(L"Wide", REG_QWORD, &wide, sizeof wide);
    set(L"Quote \"q\"", REG_SZ, L"a \"b\" \\c", 20);
}

int g_keys = 0;

void BuildTree(HKEY parent, int level) {
    FillKey(parent, g_keys++);
    if (level == kLevels) {
        return;
    }
    for (int i = 0; i < kBranching; ++i) {
        HKEY child = nullptr;
        const std::wstring name = L"Key" + std::to_wstring(i);
        if (RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr) ==
            ERROR_SUCCESS) {
            BuildTree(child, level + 1);
            RegCloseKey(child);
        }
    }
}

double RunRegExport(const std::wstring& file) {
    std::wstring command = L"reg.exe export \"HKEY_CURRENT_USER\\" + kBenchKey + L"\" \"" + file + L"\" /y";
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    const double start = Seconds();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    const double elapsed = Seconds() - start;
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0 ? elapsed : -1;
}

std::vector<SearchResult> Records(size_t count) {
    std::vector<SearchResult> records(count);
    for (size_t i = 0; i < count; ++i) {
        SearchResult& record = records[i];
        record.root = (i % 3 == 0) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        record.SetKeyPath(L"SOFTWARE\\Vendor" + std::to_wstring(i % 97) + L"\\Product\\Settings" + std::to_wstring(i));
        if (i % 5 == 0) {
            record.kind = RK_KEY | RK_KEY_NAME;
        } else {
            record.kind = RK_DATA;
            record.valueName = L"InstallPath" + std::to_wstring(i);
            record.type = (i % 5 == 4) ? REG_DWORD : REG_SZ;
            record.dataText = L"C:\\Program Files\\Vendor\\Office" + std::to_wstring(i % 17) + L"\\app.exe";
        }
    }
    return records;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = benchalt::RoundsArg(argc, argv);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = temp;

    RegDeleteTreeW(HKEY_CURRENT_USER, kBenchKey.c_str());
    HKEY top = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kBenchKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &top, nullptr) !=
        ERROR_SUCCESS) {
        std::printf("cannot create the benchmark key\n");
        return 1;
    }
    const double buildStart = Seconds();
    BuildTree(top, 0);
    RegCloseKey(top);
    std::printf("tree: %d keys, %d values, built in %.1f s\n", g_keys, g_keys * kValuesPerKey, Seconds() - buildStart);

    const std::wstring ours = folder + L"quillon_export_bench.reg";
    const std::wstring theirs = folder + L"quillon_export_bench_reg.reg";
    RegExportResult result;
    const benchalt::Samples samples = benchalt::Alternate(
        rounds,
        [&] {
            const double start = Seconds();
            result = ExportToRegFile({{HKEY_CURRENT_USER, kBenchKey, L"", false}}, ours);
            return Seconds() - start;
        },
        [&] { return RunRegExport(theirs); });
    std::printf("export: %zu keys written, status %d\n", result.keysWritten, static_cast<int>(result.status));
    std::printf("export_s=%.3f reg_export_s=%.3f %s\n", benchalt::Median(samples.a), benchalt::Median(samples.b),
                benchalt::RatioText(samples).c_str());

    std::vector<SearchResult> records = Records(100000);
    std::vector<ListedRow> rows;
    rows.reserve(records.size());
    for (const SearchResult& record : records) {
        rows.push_back({false, &record});
    }
    for (const wchar_t* name : {L"quillon_save_bench.txt", L"quillon_save_bench.csv", L"quillon_save_bench.tsv"}) {
        const std::wstring path = folder + name;
        ListSaveResult saved;
        std::vector<double> times;
        for (int round = 0; round < rounds; ++round) {
            const double start = Seconds();
            saved = SaveListToFile(rows, path);
            times.push_back(Seconds() - start);
        }
        std::printf("save %ls: %zu rows, median %.3f s of %d (error %lu)\n", name, saved.rowsWritten,
                    benchalt::Median(times), rounds, saved.error);
        DeleteFileW(path.c_str());
    }

    DeleteFileW(ours.c_str());
    DeleteFileW(theirs.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, kBenchKey.c_str());
    return 0;
}
