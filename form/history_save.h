// Storing the three histories of the search form when the view closes. Main thread only.
#pragma once

#include "form/mru_combo_ctrl.h"

// With the "ClearSearchHistory" setting on, the search-text history is deleted from the registry instead
// of written; the look-in and exclude histories are written either way.
void SaveHistories(const CMruComboCtrl& searchText, const CMruComboCtrl& lookIn, const CMruComboCtrl& exclude);
