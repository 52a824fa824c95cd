// The form state kept between runs under HKCU\Software\Orvanta\Quillon\Settings: the search mode, the
// look-at and type choices of the options tree and the three check boxes of the form. Main thread only.
#pragma once

#include "base/setting_writes.h"
#include "base/settings.h"

#include <windows.h>

struct FormState {
    DWORD mode;
    DWORD options;
    DWORD types;
    bool excludeKeys;
    // Saved, but the date check boxes always start unchecked: a date range from an earlier run would
    // silently narrow the next search.
    bool modifiedFrom;
    bool modifiedTo;
};

// The saved state, each value with its default (find-string mode, all three look-at options, all types, no
// exclusion, no dates).
FormState ReadFormState();
// Each value that could not be written is noted in failures.
void WriteFormState(const FormState& state, SettingWriteFailures& failures);
