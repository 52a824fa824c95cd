#include "form/history_save.h"

#include "form/history_store.h"
#include "base/settings.h"

void SaveHistories(const CMruComboCtrl& searchText, const CMruComboCtrl& lookIn, const CMruComboCtrl& exclude) {
    if (ReadSettingDword(kSettingsSubKey, kClearSearchHistory, 0) != 0) {
        DeleteHistory(kHistorySubKey);
    } else {
        searchText.WriteHistory(kHistorySubKey);
    }
    lookIn.WriteHistory(kLookInHistorySubKey);
    exclude.WriteHistory(kExcludeHistorySubKey);
}
