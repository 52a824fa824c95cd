#include "base/system_message.h"

#include "base/unique_owner.h"

namespace {

// The buffer FormatMessage allocates for the caller.
struct LocalMemoryTraits {
    using Handle = wchar_t*;
    static constexpr wchar_t* kNone = nullptr;
    bool IsSet(wchar_t* memory) const { return memory != nullptr; }
    void Close(wchar_t* memory) const { ::LocalFree(memory); }
};

} // namespace

std::wstring SystemMessage(DWORD error) {
    UniqueOwner<LocalMemoryTraits> buffer;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(buffer.Receive()), 0, nullptr);
    std::wstring text = length && buffer ? std::wstring(buffer.Get(), length) : std::wstring();
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}
