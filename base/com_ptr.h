// The owner of one COM interface reference: released when the owner goes, is reset or takes another.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

template <class T> class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already holds (it is not added to).
    explicit ComPtr(T* object) : object_(object) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.object_, nullptr));
        }
        return *this;
    }
    ~ComPtr() { Reset(); }

    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // For the out-parameter of CoCreateInstance and QueryInterface; releases what was held before.
    void** ReceiveVoid() {
        Reset();
        return reinterpret_cast<void**>(&object_);
    }
    void Reset(T* object = nullptr) {
        if (T* old = std::exchange(object_, object)) {
            old->Release();
        }
    }

private:
    T* object_ = nullptr;
};
