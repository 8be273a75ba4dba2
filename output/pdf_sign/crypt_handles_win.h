#pragma once
// Owners for the handles of crypt32, the older CryptoAPI providers and CNG:
// every path releases them. Copies are deleted; moves hand the handle on.
#include <windows.h>
#include <wincrypt.h>
#include <ncrypt.h>

namespace markomi {

template <typename Handle, typename Traits>
class ScopedCryptHandle {
public:
    ScopedCryptHandle() = default;
    explicit ScopedCryptHandle(Handle h) : h_(h) {}
    ~ScopedCryptHandle() { reset(); }
    ScopedCryptHandle(const ScopedCryptHandle&) = delete;
    ScopedCryptHandle& operator=(const ScopedCryptHandle&) = delete;
    ScopedCryptHandle(ScopedCryptHandle&& o) noexcept : h_(o.release()) {}
    ScopedCryptHandle& operator=(ScopedCryptHandle&& o) noexcept {
        if (this != &o) { reset(); h_ = o.release(); }
        return *this;
    }

    Handle get() const { return h_; }
    Handle* out() { reset(); return &h_; }
    explicit operator bool() const { return h_ != Handle(); }
    Handle release() { Handle h = h_; h_ = Handle(); return h; }
    void reset(Handle h = Handle()) {
        if (h_ != Handle()) Traits::close(h_);
        h_ = h;
    }

private:
    Handle h_ = Handle();
};

struct CertContextTraits { static void close(PCCERT_CONTEXT c) { CertFreeCertificateContext(c); } };
struct CertStoreTraits { static void close(HCERTSTORE s) { CertCloseStore(s, 0); } };
struct CryptMsgTraits { static void close(HCRYPTMSG m) { CryptMsgClose(m); } };
struct CryptProvTraits { static void close(HCRYPTPROV p) { CryptReleaseContext(p, 0); } };
struct CryptKeyTraits { static void close(HCRYPTKEY k) { CryptDestroyKey(k); } };
struct NcryptTraits { static void close(NCRYPT_HANDLE h) { NCryptFreeObject(h); } };

using ScopedCertContext = ScopedCryptHandle<PCCERT_CONTEXT, CertContextTraits>;
using ScopedCertStore = ScopedCryptHandle<HCERTSTORE, CertStoreTraits>;
using ScopedCryptMsg = ScopedCryptHandle<HCRYPTMSG, CryptMsgTraits>;
using ScopedCryptProv = ScopedCryptHandle<HCRYPTPROV, CryptProvTraits>;
using ScopedCryptKey = ScopedCryptHandle<HCRYPTKEY, CryptKeyTraits>;
// NCRYPT_KEY_HANDLE and NCRYPT_PROV_HANDLE are both NCRYPT_HANDLE.
using ScopedNcryptHandle = ScopedCryptHandle<NCRYPT_HANDLE, NcryptTraits>;

}  // namespace markomi
