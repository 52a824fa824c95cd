// Storing the three histories of the search form when the view closes. Main thread only.
#pragma once

#include "form/mru_combo_ctrl.h"
#include "base/setting_writes.h"

// With the "ClearSearchHistory" setting on, the search-text history is deleted from the registry instead
// of written; the look-in and exclude histories are written either way. Each history that could not be
// written (or deleted) is noted in failures.
void SaveHistories(const CMruComboCtrl& searchText, const CMruComboCtrl& lookIn, const CMruComboCtrl& exclude,
                   SettingWriteFailures& failures);
