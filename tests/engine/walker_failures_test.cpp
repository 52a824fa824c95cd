// Failures the registry will not produce on demand, put in through the walker's table of registry
// functions. Keys that should fail carry a marker value; the fakes look for it with the real registry.
#include "registry_tree.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace walktest;

const std::wstring kBase = L"Software\\QuillonTestFail";

bool HasMarker(HKEY key, const wchar_t* marker) {
    return RegQueryValueExW(key, marker, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// Handle bookkeeping for the open/close balance.
int g_open = 0;
int g_maxOpen = 0;
int g_connections = 0;
CKeldraThread* g_stopEngine = nullptr;
int g_enumCallsBeforeStop = 0;

LSTATUS WINAPI CountingOpen(HKEY parent, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) {
    LSTATUS status = RegOpenKeyExW(parent, subKey, options, access, result);
    if (status == ERROR_SUCCESS) {
        g_maxOpen = std::max(g_maxOpen, ++g_open);
    }
    return status;
}

LSTATUS WINAPI CountingClose(HKEY key) {
    --g_open;
    return RegCloseKey(key);
}

LSTATUS WINAPI CountingConnect(LPCWSTR machine, HKEY root, PHKEY result) {
    ++g_connections;
    return RegConnectRegistryW(machine, root, result);
}

LSTATUS WINAPI FailingEnumKey(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD reserved, LPWSTR cls,
                              LPDWORD classLength, PFILETIME written) {
    if (g_stopEngine && --g_enumCallsBeforeStop == 0) {
        g_stopEngine->SetStopEvent();
    }
    if (index == 1 && HasMarker(key, L"FailEnumKeyAt1")) {
        return ERROR_ACCESS_DENIED;
    }
    if (HasMarker(key, L"FailEnumKeyAlways")) {
        return ERROR_KEY_DELETED;
    }
    return RegEnumKeyExW(key, index, name, nameLength, reserved, cls, classLength, written);
}

LSTATUS WINAPI FailingEnumValue(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD reserved, LPDWORD type,
                                LPBYTE data, LPDWORD size) {
    if (HasMarker(key, L"FailValuesAlways")) {
        return ERROR_KEY_DELETED;
    }
    return RegEnumValueW(key, index, name, nameLength, reserved, type, data, size);
}

LSTATUS WINAPI FailingQueryInfo(HKEY key, LPWSTR cls, LPDWORD classLength, LPDWORD reserved, LPDWORD subKeys,
                                LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values,
                                LPDWORD maxValueNameLength, LPDWORD maxValueLength, LPDWORD securityLength,
                                PFILETIME written) {
    if (HasMarker(key, L"FailQueryInfo")) {
        return ERROR_ACCESS_DENIED;
    }
    return RegQueryInfoKeyW(key, cls, classLength, reserved, subKeys, maxSubKeyLength, maxClassLength, values,
                            maxValueNameLength, maxValueLength, securityLength, written);
}

// The data buffer of a key whose longest value has 777 bytes cannot be had.
void* FailingAllocate(size_t bytes) {
    return bytes == 777 + 2 ? nullptr : std::malloc(bytes);
}

const RegistryApi kFailingRegistry = {
    &CountingOpen,     &CountingConnect, &FailingEnumKey,  &FailingEnumValue,
    &FailingQueryInfo, &CountingClose,   &FailingAllocate, &std::free,
};

class WalkerFailures : public testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetProgramKey();
        g_open = g_maxOpen = g_connections = 0;
        g_stopEngine = nullptr;
        request.registry = &kFailingRegistry;
    }
    void TearDown() override { testsupport::ResetProgramKey(); }
    CKeldraThread engine;
    SearchRequest request;
};

TEST_F(WalkerFailures, EachFailureIsLoggedAndTheWalkGoesOn) {
    ScratchKey root(kBase + L"\\Each");
    HKEY k = root.Get();
    DWORD one = 1;
    SetValue(k, L"EnumKey", L"FailEnumKeyAt1", REG_DWORD, &one, 4);
    CreateKey(k, L"EnumKey\\hit0");
    CreateKey(k, L"EnumKey\\hit1");
    CreateKey(k, L"EnumKey\\hit2");
    SetValue(k, L"Query", L"FailQueryInfo", REG_DWORD, &one, 4);
    SetString(k, L"Query", L"hitQueryValue", L"x");
    SetString(k, L"Query\\hitBelowQuery", L"hitValue", L"x");
    std::vector<BYTE> blob(777, 0);
    SetValue(k, L"Memory", L"hitBlob", REG_BINARY, blob.data(), blob.size());
    SetString(k, L"Memory\\hitBelowMemory", L"hitValue", L"x");
    const std::wstring p = root.Path();

    Prepare(request, root.LookIn(), L"hit", SM_FIND_STRING);
    RunSearch(engine, request);
    EXPECT_EQ(Found(engine),
              (std::vector<std::wstring>{p + L"\\EnumKey\\hit0", p + L"\\EnumKey\\hit2",
                                         p + L"\\Memory\\hitBelowMemory", p + L"\\Memory\\hitBelowMemory:hitValue",
                                         p + L"\\Query\\hitBelowQuery", p + L"\\Query\\hitBelowQuery:hitValue"}));
    const std::string n = Narrow(p);
    EXPECT_EQ(SearchLogLines(), (std::vector<std::string>{"RegEnumKeyEx error 5: " + n + "\\EnumKey",
                                                          "Memory allocation error " + n + "\\Memory",
                                                          "RegQueryInfoKey error 5: " + n + "\\Query"}));
    EXPECT_EQ(g_open, 0) << "every key opened was closed";
    EXPECT_LE(g_maxOpen, 3) << "open keys never exceed the depth of the walk";
}

// Fault guarded against: an error that comes back at every index (the key deleted during the walk) made
// the enumeration run through four billion indexes, writing a log line for each.
TEST_F(WalkerFailures, AnErrorAtEveryIndexEndsThatKeysEnumeration) {
    ScratchKey root(kBase + L"\\Forever");
    DWORD one = 1;
    SetValue(root.Get(), L"Values", L"FailValuesAlways", REG_DWORD, &one, 4);
    SetValue(root.Get(), L"Keys", L"FailEnumKeyAlways", REG_DWORD, &one, 4);
    CreateKey(root.Get(), L"Keys\\hitNever");
    SetString(root.Get(), L"ZLast", L"hitLast", L"x");

    Prepare(request, root.LookIn(), L"hit", SM_FIND_STRING);
    RunSearch(engine, request);
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{root.Path() + L"\\ZLast:hitLast"}));
    std::vector<std::string> lines = SearchLogLines();
    const std::string n = Narrow(root.Path());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "RegEnumKeyEx error 1018: " + n + "\\Keys"), 16);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "RegEnumValue error 1018: " + n + "\\Values"), 16);
    EXPECT_EQ(lines.size(), 32u);
}

TEST_F(WalkerFailures, RemoteSearchConnectsOncePerLookInLocation) {
    ScratchKey root(kBase + L"\\Remote");
    SetString(root.Get(), L"a\\b", L"hitA", L"x");
    SetString(root.Get(), L"c", L"hitC", L"x");
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(name, &size));
    Prepare(request, root.LookIn() + L";" + root.LookIn() + L"\\c", L"hit", SM_FIND_STRING);
    request.remoteComputer = name;
    RunSearch(engine, request);
    EXPECT_EQ(g_connections, 2);
    EXPECT_EQ(Records(engine).size(), 3u);
    EXPECT_EQ(g_open, 0);
}

// Fault guarded against: on 64-bit builds the predefined roots are sign-extended and were taken for
// ordinary keys, so the handle a local remote connection returns (the root itself) was closed.
TEST_F(WalkerFailures, PredefinedRootsAreNeverClosed) {
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG}) {
        ApiKey key(kFailingRegistry);
        key.Attach(root);
    }
    EXPECT_EQ(g_open, 0);
    HKEY opened = nullptr;
    ASSERT_EQ(CountingOpen(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &opened), ERROR_SUCCESS);
    {
        ApiKey key(kFailingRegistry);
        key.Attach(opened);
    }
    EXPECT_EQ(g_open, 0);
}

TEST_F(WalkerFailures, StopDuringADeepWalkUnwindsWithoutFurtherMatching) {
    ScratchKey root(kBase + L"\\Stop");
    std::wstring path;
    for (int level = 0; level < 40; ++level) {
        path += level ? L"\\hit" : L"hit";
        SetString(root.Get(), path, L"hitValue", L"x");
    }
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuillonTestStopSink";
    RegisterClassW(&wc);
    HWND sink = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);

    Prepare(request, root.LookIn(), L"hit", SM_FIND_STRING);
    request.notifyWindow = sink;
    g_stopEngine = &engine;
    g_enumCallsBeforeStop = 20; // the 20th sub-key enumeration, at depth 20
    RunSearch(engine, request);
    EXPECT_EQ(engine.Results().KeysSearched(), 20);
    EXPECT_EQ(Records(engine).size(), 39u) << "20 key names (the last one enumerated as the stop came), 19 values";
    EXPECT_EQ(g_open, 0);

    bool finished = false;
    MSG msg;
    while (PeekMessageW(&msg, sink, WM_SEARCH_NOTIFY, WM_SEARCH_NOTIFY, PM_REMOVE)) {
        finished |= msg.wParam == SN_FINISHED;
    }
    EXPECT_TRUE(finished);
    DestroyWindow(sink);
}

} // namespace
