#include "form/history_save.h"

#include "form/history_store.h"
#include "base/settings.h"

void SaveHistories(const CMruComboCtrl& searchText, const CMruComboCtrl& lookIn, const CMruComboCtrl& exclude,
                   SettingWriteFailures& failures) {
    if (ReadSettingFlag(kClearSearchHistorySetting)) {
        failures.Check(DeleteHistory(kHistorySubKey), kHistorySubKey);
    } else {
        failures.Check(searchText.WriteHistory(kHistorySubKey), kHistorySubKey);
    }
    failures.Check(lookIn.WriteHistory(kLookInHistorySubKey), kLookInHistorySubKey);
    failures.Check(exclude.WriteHistory(kExcludeHistorySubKey), kExcludeHistorySubKey);
}
