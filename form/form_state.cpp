#include "form/form_state.h"

#include "engine/search_types.h"
#include "base/settings.h"

// The table's defaults are the engine's own values.
static_assert(kModeSetting.defaultValue == SM_FIND_STRING);
static_assert(kOptionsSetting.defaultValue == SO_LOOK_AT_MASK);

FormState ReadFormState() {
    FormState state = {};
    state.mode = ReadSetting(kModeSetting);
    state.options = ReadSetting(kOptionsSetting);
    state.types = ReadSetting(kTypesSetting);
    state.excludeKeys = ReadSettingFlag(kExcludeKeysSetting);
    state.modifiedFrom = ReadSettingFlag(kModFromSetting);
    state.modifiedTo = ReadSettingFlag(kModToSetting);
    return state;
}

void WriteFormState(const FormState& state, SettingWriteFailures& failures) {
    const std::pair<const SettingInfo&, DWORD> writes[] = {
        {kModeSetting, state.mode},
        {kOptionsSetting, state.options},
        {kTypesSetting, state.types},
        {kExcludeKeysSetting, state.excludeKeys ? 1u : 0u},
        {kModFromSetting, state.modifiedFrom ? 1u : 0u},
        {kModToSetting, state.modifiedTo ? 1u : 0u},
    };
    for (const auto& [setting, value] : writes) {
        failures.Check(WriteSetting(setting, value), std::wstring(kSettingsSubKey) + L"\\" + setting.name);
    }
}
