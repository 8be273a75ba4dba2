#pragma once
// The certificates a PDF stamp can be signed with: those of the user's
// personal store ("MY", current user) that have a private key, allow
// digital signatures and are valid today; a personal self-signed one made
// on request; the public part given to colleagues as a .cer file.
#include <windows.h>
#include <wincrypt.h>

#include <optional>
#include <string>
#include <vector>

#include "output/pdf_sign/crypt_handles_win.h"

namespace markomi {

struct SigningCertificate {
    std::wstring thumbprint;    // 40 upper-case hex digits: SHA-1 of the DER, as Windows shows it
    std::wstring subject;       // the subject's CN
    std::wstring organisation;  // the subject's O, may be empty
    std::wstring issuer;        // the issuer's CN
    std::wstring not_after;     // "YYYY-MM-DD"
    bool self_signed = false;
    bool cng_key = false;       // the key is held by a CNG provider (else by an older CryptoAPI one)
};

// Listed without asking for a PIN: the key is looked for, not opened.
std::vector<SigningCertificate> usable_signing_certificates();

// The certificate of that thumbprint (any form parse_thumbprint takes) in the
// user's personal store; empty when there is none.
ScopedCertContext find_personal_certificate(const std::wstring& thumbprint);

// What the lists show of a certificate.
SigningCertificate describe_certificate(PCCERT_CONTEXT cert);

// Why the certificate cannot sign today, in Japanese and English (UTF-8):
// expired or not yet valid, its key usage forbids signatures, no private key
// is known for it. Empty when it can. The key is not opened.
std::string why_not_for_signing(PCCERT_CONTEXT cert);

// Writes the certificate's public part (DER, a .cer file) through a staging
// file. False with `why_utf8` set when there is no such certificate or the
// file cannot be written.
bool export_certificate(const std::wstring& thumbprint, const std::wstring& path, std::string* why_utf8);

// Where the keys of a personal certificate are made.
enum class KeyProvider { kCng, kCryptoApi };

struct PersonalCertificate {
    std::optional<SigningCertificate> made;
    KeyProvider provider = KeyProvider::kCng;
    std::string why_utf8;  // when nothing was made
};

// A self-signed certificate "CN=<cn>, O=<organisation>" (no O when empty):
// RSA 3072, SHA-256, key usage digital signature and non-repudiation, the
// key not exportable, valid from today for three years, added to the user's
// personal store with its key's provider recorded so it is found again.
PersonalCertificate make_personal_certificate(const std::wstring& cn, const std::wstring& organisation);
// The same for the given validity (UTC), the provider given or both in turn.
PersonalCertificate make_personal_certificate_valid(const std::wstring& cn, const std::wstring& organisation,
                                                    const SYSTEMTIME& not_before, const SYSTEMTIME& not_after,
                                                    std::optional<KeyProvider> only = std::nullopt);

// Removes the certificate from the personal store and deletes its key
// container (throw-away certificates of tests and of the diagnosis).
bool remove_personal_certificate(const std::wstring& thumbprint);

// The text of a crypt32, CNG or smart-card failure code, Japanese and
// English (UTF-8), naming the cause where the code tells it.
std::string crypt_failure_text(DWORD code);

}  // namespace markomi
