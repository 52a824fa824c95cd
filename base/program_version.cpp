#include "base/program_version.h"

#include <vector>

std::wstring ModuleVersionText(HMODULE module) {
    wchar_t path[MAX_PATH * 2];
    const DWORD length = ::GetModuleFileNameW(module, path, static_cast<DWORD>(std::size(path)));
    if (length == 0 || length >= std::size(path)) {
        return {};
    }
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) {
        return {};
    }
    std::vector<BYTE> block(size);
    void* data = nullptr;
    UINT dataSize = 0;
    if (!::GetFileVersionInfoW(path, 0, size, block.data()) ||
        !::VerQueryValueW(block.data(), L"\\", &data, &dataSize) || dataSize < sizeof(VS_FIXEDFILEINFO)) {
        return {};
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(data);
    const DWORD parts[] = {HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                           HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS)};
    size_t shown = 4;
    while (shown > 2 && parts[shown - 1] == 0) {
        --shown;
    }
    std::wstring text = std::to_wstring(parts[0]);
    for (size_t i = 1; i < shown; ++i) {
        text += L'.' + std::to_wstring(parts[i]);
    }
    return text;
}
