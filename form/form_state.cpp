#include "form/form_state.h"

#include "engine/search_types.h"
#include "base/settings.h"

FormState ReadFormState() {
    FormState state = {};
    state.mode = ReadSettingDword(kSettingsSubKey, kModeValue, SM_FIND_STRING);
    state.options = ReadSettingDword(kSettingsSubKey, kOptionsValue, SO_LOOK_AT_MASK);
    state.types = ReadSettingDword(kSettingsSubKey, kTypesValue, 0xFFFFFFFF);
    state.excludeKeys = ReadSettingDword(kSettingsSubKey, kExcludeKeysValue, 0) != 0;
    state.modifiedFrom = ReadSettingDword(kSettingsSubKey, kModFromValue, 0) != 0;
    state.modifiedTo = ReadSettingDword(kSettingsSubKey, kModToValue, 0) != 0;
    return state;
}

void WriteFormState(const FormState& state) {
    WriteSettingDword(kSettingsSubKey, kModeValue, state.mode);
    WriteSettingDword(kSettingsSubKey, kOptionsValue, state.options);
    WriteSettingDword(kSettingsSubKey, kTypesValue, state.types);
    WriteSettingDword(kSettingsSubKey, kExcludeKeysValue, state.excludeKeys ? 1 : 0);
    WriteSettingDword(kSettingsSubKey, kModFromValue, state.modifiedFrom ? 1 : 0);
    WriteSettingDword(kSettingsSubKey, kModToValue, state.modifiedTo ? 1 : 0);
}
