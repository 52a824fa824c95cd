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

void WriteFormState(const FormState& state) {
    WriteSetting(kModeSetting, state.mode);
    WriteSetting(kOptionsSetting, state.options);
    WriteSetting(kTypesSetting, state.types);
    WriteSetting(kExcludeKeysSetting, state.excludeKeys ? 1 : 0);
    WriteSetting(kModFromSetting, state.modifiedFrom ? 1 : 0);
    WriteSetting(kModToSetting, state.modifiedTo ? 1 : 0);
}
