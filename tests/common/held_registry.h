// A registry function table whose key openings wait until the test lets them go: a search that reads it
// stays running, its worker alive, for as long as a test needs.
#pragma once

#include "engine/search_request.h"

#include <windows.h>

class HeldRegistry {
public:
    HeldRegistry() {
        Gate() = CreateEventW(nullptr, TRUE, FALSE, nullptr), Entered() = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~HeldRegistry() {
        Release();
        CloseHandle(Gate()), Gate() = nullptr;
        CloseHandle(Entered()), Entered() = nullptr;
    }
    HeldRegistry(const HeldRegistry&) = delete;
    HeldRegistry& operator=(const HeldRegistry&) = delete;

    // A request to search lookIn through this table.
    SearchRequest Request(const wchar_t* lookIn) const {
        static RegistryApi api = kAdvapiRegistry;
        api.openKeyEx = &Open;
        SearchRequest request;
        request.registry = &api;
        ParseKeyList(lookIn, request.lookIn);
        return request;
    }
    // Waits until a worker is held in a key opening.
    bool WaitUntilHeld() { return WaitForSingleObject(Entered(), 10000) == WAIT_OBJECT_0; }
    // Lets every waiting and later opening through.
    void Release() { SetEvent(Gate()); }

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
