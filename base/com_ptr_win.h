#pragma once
// Owners for COM: an interface pointer released on every path, and the
// thread's COM initialisation undone only when this scope did it.
#include <objbase.h>

namespace markomi {

template <typename T>
class ScopedComPtr {
public:
    ScopedComPtr() = default;
    ~ScopedComPtr() { reset(); }
    ScopedComPtr(const ScopedComPtr&) = delete;
    ScopedComPtr& operator=(const ScopedComPtr&) = delete;

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For the out-parameter of CoCreateInstance / QueryInterface.
    void** out() { reset(); return reinterpret_cast<void**>(&p_); }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};

// Initialises COM apartment-threaded for this scope. A thread that already
// runs another model (RPC_E_CHANGED_MODE) can still use in-process objects
// such as the shell link; it is then not ours to uninitialise.
class ScopedComApartment {
public:
    ScopedComApartment() : status_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ScopedComApartment() {
        if (SUCCEEDED(status_)) CoUninitialize();
    }
    ScopedComApartment(const ScopedComApartment&) = delete;
    ScopedComApartment& operator=(const ScopedComApartment&) = delete;

    HRESULT status() const { return status_; }
    bool usable() const { return SUCCEEDED(status_) || status_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT status_;
};

}  // namespace markomi
