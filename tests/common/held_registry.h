// A registry function table whose key openings wait until the test lets them go: a search that reads it
// stays running, its worker alive, for as long as a test needs.
#pragma once

#include "engine/registry_api.h"

#include <windows.h>

class HeldRegistry {
public:
    HeldRegistry() {
        Gate() = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        Entered() = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~HeldRegistry() {
        Release();
        CloseHandle(Gate());
        Gate() = nullptr;
        CloseHandle(Entered());
        Entered() = nullptr;
    }
    HeldRegistry(const HeldRegistry&) = delete;
    HeldRegistry& operator=(const HeldRegistry&) = delete;

    // Waits until a worker is held in its first key opening.
    bool WaitUntilHeld() { return WaitForSingleObject(Entered(), 10000) == WAIT_OBJECT_0; }
    // Lets every waiting and later opening through.
    void Release() { SetEvent(Gate()); }

    const RegistryApi* Api() const {
        static const RegistryApi api = {&Open,
                                        kAdvapiRegistry.connectRegistry,
                                        kAdvapiRegistry.enumKeyEx,
                                        kAdvapiRegistry.enumValue,
                                        kAdvapiRegistry.queryInfoKey,
                                        kAdvapiRegistry.closeKey,
                                        kAdvapiRegistry.allocate,
                                        kAdvapiRegistry.release};
        return &api;
    }

private:
    static HANDLE& Gate() {
        static HANDLE gate = nullptr;
        return gate;
    }
    static HANDLE& Entered() {
        static HANDLE entered = nullptr;
        return entered;
    }
    static LSTATUS WINAPI Open(HKEY parent, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) {
        SetEvent(Entered());
        WaitForSingleObject(Gate(), INFINITE);
        return RegOpenKeyExW(parent, subKey, options, access, result);
    }
};
