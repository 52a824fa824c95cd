#include "engine/registry_api.h"

#include <cstdlib>

const RegistryApi kAdvapiRegistry = {
    &RegOpenKeyExW,    &RegConnectRegistryW, &RegEnumKeyExW, &RegEnumValueW,
    &RegQueryInfoKeyW, &RegCloseKey,         &std::malloc,   &std::free,
};
