// Times a search run again over a kept snapshot against the same search walking the registry, side by side
// in one run (bench/alternate.h). Not a test: it prints figures.
//
//   case=tree     search_bench's tree (11,111 keys, 88,889 values), find "needle": the live search and the
//                 search over the snapshot, in turn; also what taking the snapshot and refreshing it after
//                 one changed value cost.
//   case=million  1,000 keys of 1,000 values each, "needle" in four of them: the search over the snapshot.
//
//   instant_bench.exe [--keep] [--rounds N]
//     --keep     leave the trees in place for the next run (they take long to build)
#include "bench/alternate.h"
#include "bench/bench_tree.h"
#include "engine/keldra_thread.h"
#include "engine/snapshot_registry.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using benchtree::Now;

constexpr wchar_t kMillionPath[] = L"Software\\QuillonBenchMillion";
constexpr int kMillionKeys = 1000;
constexpr int kValuesPerKey = 1000;

// HKCU\kMillionPath, unless a complete one is there from an earlier run.
void BuildMillion() {
    HKEY root = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kMillionPath, 0, KEY_READ, &root) == ERROR_SUCCESS) {
        DWORD done = 0;
        DWORD size = sizeof done;
        const bool complete = RegQueryValueExW(root, L"BuildComplete", nullptr, nullptr, reinterpret_cast<BYTE*>(&done),
                                               &size) == ERROR_SUCCESS &&
                              done == kMillionKeys;
        RegCloseKey(root);
        if (complete) {
            std::printf("million: reusing the tree\n");
            return;
        }
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kMillionPath);
    const double start = Now();
    RegCreateKeyExW(HKEY_CURRENT_USER, kMillionPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr);
    for (int k = 0; k < kMillionKeys; ++k) {
        HKEY key = nullptr;
        RegCreateKeyExW(root, (L"Key" + std::to_wstring(k)).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        for (int v = 0; v < kValuesPerKey; ++v) {
            wchar_t data[80];
            const bool needle = v == 0 && k % 250 == 0;
            std::swprintf(data, 80, L"C:\\Program Files\\Orvanta\\%ls%04d\\lib%04d.dll", needle ? L"needle" : L"Module",
                          k, v);
            RegSetValueExW(key, (L"Value" + std::to_wstring(v)).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                           static_cast<DWORD>((std::wcslen(data) + 1) * sizeof(wchar_t)));
        }
        RegCloseKey(key);
    }
    const DWORD complete = kMillionKeys;
    RegSetValueExW(root, L"BuildComplete", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&complete), sizeof complete);
    RegCloseKey(root);
    std::printf("million: built in %.1f s\n", Now() - start);
}

// One find search for "needle" in names and data on this thread, through the given table.
double TimeFind(const wchar_t* path, const RegistryApi& registry, size_t& results) {
    SearchFormValues values;
    values.lookIn = std::wstring(L"HKCU\\") + path;
    values.searchText = L"needle";
    values.keyTreeOn = true;
    values.options = SO_KEYS | SO_VALUES | SO_DATA;
    values.resultLimit = 0;
    RequestOutcome outcome = BuildSearchRequest(values);
    if (!outcome.Accepted()) {
        return 0;
    }
    outcome.request->registry = &registry;
    CKeldraThread engine;
    const double start = Now();
    engine.RunHere(std::move(*outcome.request));
    const double seconds = Now() - start;
    results = engine.Results().Count();
    return seconds;
}

// A search again over the snapshot, refreshed first as the program does before each use.
double TimeRerun(RegistrySnapshot& snapshot, const wchar_t* path, size_t& results) {
    const double start = Now();
    std::wstring failure;
    if (!snapshot.Refresh(failure)) {
        std::printf("refresh failed: %ls\n", failure.c_str());
    }
    const std::vector<const RegistrySnapshot*> reading{&snapshot};
    SnapshotReading scope(reading);
    TimeFind(path, kSnapshotRegistry, results);
    return Now() - start;
}

std::unique_ptr<RegistrySnapshot> TakeTimed(const wchar_t* path, double& seconds) {
    std::wstring failure;
    const double start = Now();
    std::unique_ptr<RegistrySnapshot> snapshot =
        RegistrySnapshot::Take(HKEY_CURRENT_USER, path, SnapshotBudgetBytes(), failure);
    seconds = Now() - start;
    if (!snapshot) {
        std::printf("no snapshot of %ls: %ls\n", path, failure.c_str());
    }
    return snapshot;
}

// Seconds to refresh the snapshot after one value of the tree changed.
double TimeRefreshAfterOneChange(RegistrySnapshot& snapshot) {
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(benchtree::kTreePath) + L"\\Key3\\Key1").c_str(), 0, KEY_SET_VALUE,
                  &key);
    const DWORD stamp = GetTickCount();
    RegSetValueExW(key, L"Stamp", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stamp), sizeof stamp);
    RegCloseKey(key);
    WaitForSingleObject(snapshot.ChangeEvent(), 5000);
    std::wstring failure;
    const double start = Now();
    snapshot.Refresh(failure);
    return Now() - start;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const bool keep = benchalt::HasFlag(argc, argv, L"--keep");
    const int rounds = benchalt::RoundsArg(argc, argv);

    benchtree::BuildTree(HKEY_CURRENT_USER, benchtree::kTreePath, benchtree::kDepth);
    double takeSeconds = 0;
    std::unique_ptr<RegistrySnapshot> tree = TakeTimed(benchtree::kTreePath, takeSeconds);
    if (tree) {
        size_t live = 0;
        size_t rerun = 0;
        const benchalt::Samples samples = benchalt::Alternate(
            rounds, [&] { return TimeRerun(*tree, benchtree::kTreePath, rerun); },
            [&] { return TimeFind(benchtree::kTreePath, kAdvapiRegistry, live); });
        const double refresh = TimeRefreshAfterOneChange(*tree);
        std::printf("case=tree live_s=%.4f rerun_s=%.4f %s results=%zu/%zu take_s=%.3f refresh_one_s=%.4f "
                    "keys_read=%zu snapshot_mb=%.1f\n",
                    benchalt::Median(samples.b), benchalt::Median(samples.a), benchalt::RatioText(samples).c_str(),
                    rerun, live, takeSeconds, refresh, tree->KeysRead(), tree->Bytes() / 1048576.0);
        std::fflush(stdout);
    }

    BuildMillion();
    std::unique_ptr<RegistrySnapshot> million = TakeTimed(kMillionPath, takeSeconds);
    if (million) {
        std::vector<double> times;
        size_t results = 0;
        for (int round = 0; round < rounds; ++round) {
            times.push_back(TimeRerun(*million, kMillionPath, results));
        }
        std::printf("case=million rerun_s=%.4f values=%zu results=%zu take_s=%.1f snapshot_mb=%.1f rounds=%d\n",
                    benchalt::Median(times), million->ValueCount(), results, takeSeconds, million->Bytes() / 1048576.0,
                    rounds);
    }
    if (!keep) {
        RegDeleteTreeW(HKEY_CURRENT_USER, benchtree::kTreePath);
        RegDeleteTreeW(HKEY_CURRENT_USER, kMillionPath);
    }
    return 0;
}
