#pragma once
// Owners for kernel handles and registry keys: every path releases them.
#include <windows.h>

namespace markomi {

class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE h) : h_(h) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& o) noexcept : h_(o.release()) {}
    ScopedHandle& operator=(ScopedHandle&& o) noexcept {
        if (this != &o) { reset(); h_ = o.release(); }
        return *this;
    }

    HANDLE get() const { return h_; }
    bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE release() { HANDLE h = h_; h_ = nullptr; return h; }
    void reset(HANDLE h = nullptr) {
        if (valid()) CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_ = nullptr;
};

class ScopedRegKey {
public:
    ScopedRegKey() = default;
    ~ScopedRegKey() { close(); }
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;

    HKEY get() const { return key_; }
    HKEY* out() { close(); return &key_; }
    // True when there was no key or it closed cleanly.
    bool close() {
        if (!key_) return true;
        LONG rc = RegCloseKey(key_);
        key_ = nullptr;
        return rc == ERROR_SUCCESS;
    }

private:
    HKEY key_ = nullptr;
};

// A movable global memory block, as the clipboard takes it. Freed here
// unless released to a new owner: SetClipboardData takes a block only when
// it succeeds.
class ScopedGlobal {
public:
    ScopedGlobal() = default;
    explicit ScopedGlobal(HGLOBAL h) : h_(h) {}
    ~ScopedGlobal() { reset(); }
    ScopedGlobal(const ScopedGlobal&) = delete;
    ScopedGlobal& operator=(const ScopedGlobal&) = delete;
    ScopedGlobal(ScopedGlobal&& o) noexcept : h_(o.release()) {}
    ScopedGlobal& operator=(ScopedGlobal&& o) noexcept {
        if (this != &o) { reset(); h_ = o.release(); }
        return *this;
    }

    HGLOBAL get() const { return h_; }
    HGLOBAL release() { HGLOBAL h = h_; h_ = nullptr; return h; }
    void reset(HGLOBAL h = nullptr) {
        if (h_) GlobalFree(h_);
        h_ = h;
    }

private:
    HGLOBAL h_ = nullptr;
};

}  // namespace markomi
