#include "engine/registry_api.h"

#include "shell/win_handles.h"

#include <cstdlib>

const RegistryApi kAdvapiRegistry = {
    &RegOpenKeyExW,    &RegConnectRegistryW, &RegEnumKeyExW, &RegEnumValueW,
    &RegQueryInfoKeyW, &RegCloseKey,         &std::malloc,   &std::free,
};

void ApiKey::Reset() {
    if (key_ && !KeyHandle::IsPredefined(key_)) {
        api_.closeKey(key_);
    }
    key_ = nullptr;
}
