// The one owner of a Win32 handle: UniqueOwner<Traits> holds a handle and gives it back to the system through
// Traits::Close when it goes, is reset or is assigned another. Each kind of handle (registry key, kernel
// object, GDI object, image list, menu, module) is a small traits struct; the owners are aliases of this.
//
// Traits provide: `using Handle`, `static constexpr Handle kNone`, `bool IsSet(Handle) const` (whether the
// owner holds something: tests and operator bool) and `void Close(Handle) const`. A traits object may carry
// state (the registry function table a test substitutes), passed to the owner's constructor.
#pragma once

#include <utility>

template <class Traits> class UniqueOwner {
public:
    using Handle = typename Traits::Handle;

    UniqueOwner() = default;
    explicit UniqueOwner(Handle handle, Traits traits = Traits()) : handle_(handle), traits_(traits) {}
    explicit UniqueOwner(Traits traits) : traits_(traits) {}
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    UniqueOwner(UniqueOwner&& other) noexcept
        : handle_(std::exchange(other.handle_, Traits::kNone)), traits_(other.traits_) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.handle_, Traits::kNone));
            traits_ = other.traits_;
        }
        return *this;
    }
    ~UniqueOwner() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return traits_.IsSet(handle_); }
    // For an out-parameter (RegOpenKeyExW and friends); closes what was held before.
    Handle* Receive() {
        Reset();
        return &handle_;
    }
    // Hands the handle to the caller, who closes it.
    Handle Release() { return std::exchange(handle_, Traits::kNone); }
    // Closes what is held and takes handle.
    void Reset(Handle handle = Traits::kNone) {
        const Handle old = std::exchange(handle_, handle);
        if (traits_.IsSet(old)) {
            traits_.Close(old);
        }
    }

private:
    Handle handle_ = Traits::kNone;
    [[no_unique_address]] Traits traits_{};
};
