// The registry functions the walker calls, as a table of pointers. The walk reaches the registry only
// through this table, so tests can put in failures the registry will not produce on demand (enumeration
// errors, a failed key query, a failed allocation).
#pragma once

#include "base/win_handles.h"

#include <windows.h>

#include <cstddef>

struct RegistryApi {
    decltype(&RegOpenKeyExW) openKeyEx;
    decltype(&RegConnectRegistryW) connectRegistry;
    decltype(&RegEnumKeyExW) enumKeyEx;
    decltype(&RegEnumValueW) enumValue;
    decltype(&RegQueryInfoKeyW) queryInfoKey;
    decltype(&RegCloseKey) closeKey;
    // The per-key value-data buffer; allocate returns null on failure.
    void* (*allocate)(size_t bytes);
    void (*release)(void* block);
};

// advapi32 and the C runtime heap.
extern const RegistryApi kAdvapiRegistry;

// An open key that is closed through the table; predefined roots are never closed.
struct ApiKeyTraits {
    using Handle = HKEY;
    static constexpr HKEY kNone = nullptr;
    const RegistryApi* api = &kAdvapiRegistry;
    bool IsSet(HKEY key) const { return key != nullptr; }
    void Close(HKEY key) const {
        if (!RegistryKeyTraits::IsPredefinedKey(key)) {
            api->closeKey(key);
        }
    }
};

class ApiKey : public UniqueOwner<ApiKeyTraits> {
public:
    explicit ApiKey(const RegistryApi& api) : UniqueOwner(ApiKeyTraits{&api}) {}
    // Takes ownership of a key the table opened (null after a failed open is fine).
    void Attach(HKEY key) { Reset(key); }
};
