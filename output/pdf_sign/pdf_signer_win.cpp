#include "output/pdf_sign/pdf_signer_win.h"

namespace markomi {
namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
// id-aa-signingCertificateV2 (RFC 5035).
constexpr char kSigningCertificateV2[] = "1.2.840.113549.1.9.16.2.47";

std::optional<std::string> certificate_sha256(PCCERT_CONTEXT cert) {
    BYTE hash[32] = {};
    DWORD size = sizeof hash;
    if (!CryptHashCertificate2(BCRYPT_SHA256_ALGORITHM, 0, nullptr, cert->pbCertEncoded, cert->cbCertEncoded,
                               hash, &size) ||
        size != sizeof hash)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(hash), size);
}

std::string failed(std::string_view what) {
    return std::string(what) + ": " + crypt_failure_text(GetLastError());
}

}  // namespace

std::optional<std::string> detached_cms(PCCERT_CONTEXT cert, HCRYPTPROV_OR_NCRYPT_KEY_HANDLE key, DWORD key_spec,
                                        const std::vector<std::string_view>& parts, const SigningTime& when,
                                        std::string* why_utf8) {
    std::optional<std::string> time = signing_time_value(when);
    std::optional<std::string> hash = certificate_sha256(cert);
    if (!time || !hash) {
        *why_utf8 = time ? failed("証明書のハッシュを計算できません / the certificate cannot be hashed")
                         : "署名の時刻が正しくありません / the signing time is not a calendar time";
        return std::nullopt;
    }
    std::string cert_v2 = signing_certificate_v2_value(*hash);
    CRYPT_ATTR_BLOB time_blob{static_cast<DWORD>(time->size()), reinterpret_cast<BYTE*>(time->data())};
    CRYPT_ATTR_BLOB cert_blob{static_cast<DWORD>(cert_v2.size()), reinterpret_cast<BYTE*>(cert_v2.data())};
    // crypt32 adds content-type and message-digest itself once any signed
    // attribute is given.
    CRYPT_ATTRIBUTE attributes[] = {
        {const_cast<char*>(szOID_RSA_signingTime), 1, &time_blob},
        {const_cast<char*>(kSigningCertificateV2), 1, &cert_blob},
    };
    CMSG_SIGNER_ENCODE_INFO signer{};
    signer.cbSize = sizeof signer;
    signer.pCertInfo = cert->pCertInfo;
    signer.hCryptProv = key;
    signer.dwKeySpec = key_spec;
    signer.HashAlgorithm.pszObjId = const_cast<char*>(szOID_NIST_sha256);
    signer.cAuthAttr = 2;
    signer.rgAuthAttr = attributes;
    CERT_BLOB certificate{cert->cbCertEncoded, cert->pbCertEncoded};
    CMSG_SIGNED_ENCODE_INFO info{};
    info.cbSize = sizeof info;
    info.cSigners = 1;
    info.rgSigners = &signer;
    info.cCertEncoded = 1;
    info.rgCertEncoded = &certificate;
    ScopedCryptMsg message(CryptMsgOpenToEncode(kEncoding, CMSG_DETACHED_FLAG, CMSG_SIGNED, &info, nullptr, nullptr));
    if (!message) {
        *why_utf8 = failed("署名を始められません / the signature cannot be started");
        return std::nullopt;
    }
    // CryptMsgUpdate takes a DWORD of bytes at a time; parts beyond it are fed in pieces.
    constexpr std::size_t kPiece = 1u << 30;
    for (std::size_t i = 0; i < parts.size() || i == 0; ++i) {
        std::string_view part = i < parts.size() ? parts[i] : std::string_view();
        const bool last_part = i + 1 >= parts.size();
        do {
            const std::size_t n = part.size() < kPiece ? part.size() : kPiece;
            const bool final = last_part && n == part.size();
            if (!CryptMsgUpdate(message.get(), reinterpret_cast<const BYTE*>(part.data()), static_cast<DWORD>(n),
                                final)) {
                *why_utf8 = failed("署名できません / signing failed");
                return std::nullopt;
            }
            part.remove_prefix(n);
        } while (!part.empty());
    }
    DWORD size = 0;
    if (!CryptMsgGetParam(message.get(), CMSG_CONTENT_PARAM, 0, nullptr, &size)) {
        *why_utf8 = failed("署名を取り出せません / the signature cannot be read");
        return std::nullopt;
    }
    std::string der(size, '\0');
    if (!CryptMsgGetParam(message.get(), CMSG_CONTENT_PARAM, 0, reinterpret_cast<BYTE*>(der.data()), &size)) {
        *why_utf8 = failed("署名を取り出せません / the signature cannot be read");
        return std::nullopt;
    }
    der.resize(size);
    return der;
}

SignerOpening PdfSigner::open(const std::wstring& thumbprint) {
    SignerOpening opening;
    std::unique_ptr<PdfSigner> s(new PdfSigner());
    s->cert_ = find_personal_certificate(thumbprint);
    if (!s->cert_) {
        opening.why_utf8 = "その証明書は個人の証明書ストアにありません / no such certificate in the personal store";
        return opening;
    }
    opening.why_utf8 = why_not_for_signing(s->cert_.get());
    if (!opening.why_utf8.empty()) return opening;
    // The cache flag keeps the key with the certificate's context for the
    // batch, so a provider that asks for a PIN asks once; the context frees it.
    BOOL free_key = FALSE;
    if (!CryptAcquireCertificatePrivateKey(s->cert_.get(),
                                           CRYPT_ACQUIRE_ALLOW_NCRYPT_KEY_FLAG | CRYPT_ACQUIRE_CACHE_FLAG, nullptr,
                                           &s->key_, &s->key_spec_, &free_key)) {
        opening.why_utf8 = failed("証明書の秘密鍵を開けません / the certificate's private key cannot be opened");
        return opening;
    }
    s->free_key_ = free_key != FALSE;
    s->described_ = describe_certificate(s->cert_.get());
    s->described_.cng_key = s->key_spec_ == CERT_NCRYPT_KEY_SPEC;
    opening.signer = std::move(s);
    return opening;
}

PdfSigner::~PdfSigner() {
    if (!free_key_ || key_ == 0) return;
    if (key_spec_ == CERT_NCRYPT_KEY_SPEC) NCryptFreeObject(key_);
    else CryptReleaseContext(key_, 0);
}

std::optional<std::string> PdfSigner::sign(const std::vector<std::string_view>& parts, const SigningTime& when,
                                           std::string* why_utf8) {
    return detached_cms(cert_.get(), key_, key_spec_, parts, when, why_utf8);
}

}  // namespace markomi
