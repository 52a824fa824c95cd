// A VARIANT that clears itself, and the few constructors the options tree needs.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <new>

namespace OptionsTree {

// Storing a value may fail for lack of memory only; that is raised like any other allocation failure.
inline void ThrowIfOutOfMemory(HRESULT hr) {
    if (hr == E_OUTOFMEMORY) {
        throw std::bad_alloc();
    }
}

class ScopedVariant {
public:
    ScopedVariant() { ::VariantInit(&value_); }
    explicit ScopedVariant(bool value) : ScopedVariant() {
        value_.vt = VT_BOOL;
        value_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    explicit ScopedVariant(LONG value) : ScopedVariant() {
        value_.vt = VT_I4;
        value_.lVal = value;
    }
    explicit ScopedVariant(const wchar_t* text) : ScopedVariant() {
        value_.bstrVal = ::SysAllocString(text ? text : L"");
        if (!value_.bstrVal) {
            throw std::bad_alloc();
        }
        value_.vt = VT_BSTR;
    }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    ~ScopedVariant() { ::VariantClear(&value_); }

    const VARIANT& Get() const { return value_; }
    // Clears the value and hands it out to be filled.
    VARIANT* Receive() {
        ::VariantClear(&value_);
        return &value_;
    }
    // Replaces the value with a copy of another.
    HRESULT CopyFrom(const VARIANT& other) {
        VARIANT copy;
        ::VariantInit(&copy);
        HRESULT hr = ::VariantCopy(&copy, const_cast<VARIANT*>(&other));
        ThrowIfOutOfMemory(hr);
        if (SUCCEEDED(hr)) {
            ::VariantClear(&value_);
            value_ = copy;
        }
        return hr;
    }
    // Replaces the value with `other` converted to type vt; unchanged when the conversion fails.
    HRESULT ConvertFrom(const VARIANT& other, VARTYPE vt) {
        VARIANT converted;
        ::VariantInit(&converted);
        HRESULT hr = ::VariantChangeType(&converted, const_cast<VARIANT*>(&other), 0, vt);
        ThrowIfOutOfMemory(hr);
        if (SUCCEEDED(hr)) {
            ::VariantClear(&value_);
            value_ = converted;
        }
        return hr;
    }

private:
    VARIANT value_;
};

} // namespace OptionsTree
