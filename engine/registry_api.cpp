#include "engine/registry_api.h"

#include <atomic>
#include <cstdlib>

const RegistryApi kAdvapiRegistry = {
    &RegOpenKeyExW,    &RegConnectRegistryW, &RegEnumKeyExW, &RegEnumValueW,
    &RegQueryInfoKeyW, &RegCloseKey,         &std::malloc,   &std::free,
};

namespace {

std::atomic<DWORD> registryDelayMs{0};

// Waits, then forwards to the advapi32 function F with the same arguments.
template <auto F> struct Delayed;
template <class... Args, LONG(WINAPI* F)(Args...)> struct Delayed<F> {
    static LONG WINAPI Call(Args... args) {
        Sleep(registryDelayMs.load());
        return F(args...);
    }
};

const RegistryApi kDelayedRegistry = {
    &Delayed<&RegOpenKeyExW>::Call,
    &Delayed<&RegConnectRegistryW>::Call,
    &Delayed<&RegEnumKeyExW>::Call,
    &Delayed<&RegEnumValueW>::Call,
    &Delayed<&RegQueryInfoKeyW>::Call,
    &Delayed<&RegCloseKey>::Call,
    &std::malloc,
    &std::free,
};

} // namespace

const RegistryApi& DelayedRegistry(DWORD milliseconds) {
    registryDelayMs.store(milliseconds);
    return kDelayedRegistry;
}
