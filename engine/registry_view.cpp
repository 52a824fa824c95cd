#include "engine/registry_view.h"

namespace {

bool RunsUnderWow64() {
#ifdef _WIN64
    return false;
#else
    static const bool wow64 = [] {
        BOOL under = FALSE;
        return ::IsWow64Process(::GetCurrentProcess(), &under) && under;
    }();
    return wow64;
#endif
}

} // namespace

REGSAM NativeViewAccess() {
    return RunsUnderWow64() ? KEY_WOW64_64KEY : 0;
}

const wchar_t* NativeViewName() {
#ifdef _WIN64
    return L"64-bit";
#else
    return RunsUnderWow64() ? L"64-bit" : L"32-bit";
#endif
}
