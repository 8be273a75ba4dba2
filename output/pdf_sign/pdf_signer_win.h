#pragma once
// Signs the bytes of a PDF signature's /ByteRange with a certificate of the
// user's personal store: a detached CMS SignedData (SHA-256) carrying the
// signing certificate and the signing-time and signing-certificate-v2
// attributes, as PAdES readers expect of /ETSI.CAdES.detached.
#include <windows.h>
#include <wincrypt.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/pdf_sign/cms_attributes.h"
#include "output/pdf_sign/crypt_handles_win.h"
#include "output/pdf_sign/signing_certificates_win.h"

namespace markomi {

class PdfSigner;

struct SignerOpening {
    std::unique_ptr<PdfSigner> signer;
    std::string why_utf8;  // Japanese and English, when there is no signer
};

class PdfSigner {
public:
    // Finds the certificate and acquires its key once; a batch keeps one signer
    // so that a PIN is asked once where the provider allows.
    static SignerOpening open(const std::wstring& thumbprint);
    ~PdfSigner();
    PdfSigner(const PdfSigner&) = delete;
    PdfSigner& operator=(const PdfSigner&) = delete;

    const SigningCertificate& certificate() const { return described_; }
    // Detached CMS SignedData over the parts, SHA-256, with the signing
    // certificate, signing-certificate-v2 and signing-time attributes.
    std::optional<std::string> sign(const std::vector<std::string_view>& parts, const SigningTime& when,
                                    std::string* why_utf8);

private:
    PdfSigner() = default;

    ScopedCertContext cert_;
    SigningCertificate described_;
    HCRYPTPROV_OR_NCRYPT_KEY_HANDLE key_ = 0;
    DWORD key_spec_ = 0;
    bool free_key_ = false;  // false: the certificate's cache holds the key
};

// The CMS itself, for a key already in hand (the signer's, or the
// diagnosis's throw-away one). `key_spec` is CERT_NCRYPT_KEY_SPEC for a CNG key.
std::optional<std::string> detached_cms(PCCERT_CONTEXT cert, HCRYPTPROV_OR_NCRYPT_KEY_HANDLE key, DWORD key_spec,
                                        const std::vector<std::string_view>& parts, const SigningTime& when,
                                        std::string* why_utf8);

}  // namespace markomi
