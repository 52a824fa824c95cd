// A search through the window keeps a copy of what it walked, so the next round of a benchmark would search
// that copy instead of the registry. Benchmarks of the walk and of the listing turn the keeping off while
// they run and put the setting back afterwards.
#pragma once

#include "base/settings.h"

#include <windows.h>

class NoKeptCopies {
public:
    NoKeptCopies() : budget_(ReadSetting(kSnapshotBudgetSetting)) { WriteSetting(kSnapshotBudgetSetting, 0); }
    ~NoKeptCopies() { WriteSetting(kSnapshotBudgetSetting, budget_); }
    NoKeptCopies(const NoKeptCopies&) = delete;
    NoKeptCopies& operator=(const NoKeptCopies&) = delete;

private:
    DWORD budget_;
};
