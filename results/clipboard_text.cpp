#include "results/clipboard_text.h"

#include <cstring>
#include <utility>

namespace {

class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
    ~ClipboardScope() {
        if (open_) {
            ::CloseClipboard();
        }
    }
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_;
};

// A global memory block that is freed unless the clipboard took it.
class GlobalBlock {
public:
    explicit GlobalBlock(size_t bytes) : memory_(::GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
    ~GlobalBlock() {
        if (memory_) {
            ::GlobalFree(memory_);
        }
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL Get() const { return memory_; }
    HGLOBAL Release() { return std::exchange(memory_, nullptr); }

private:
    HGLOBAL memory_;
};

} // namespace

bool CopyTextToClipboard(HWND owner, const std::wstring& text) {
    if (text.empty()) {
        return false;
    }
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    GlobalBlock block(bytes);
    if (!block.Get()) {
        return false;
    }
    void* target = ::GlobalLock(block.Get());
    if (!target) {
        return false;
    }
    std::memcpy(target, text.c_str(), bytes);
    ::GlobalUnlock(block.Get());

    ClipboardScope clipboard(owner);
    if (!clipboard.IsOpen() || !::EmptyClipboard()) {
        return false;
    }
    if (!::SetClipboardData(CF_UNICODETEXT, block.Get())) {
        return false;
    }
    block.Release(); // the clipboard owns it now
    return true;
}
