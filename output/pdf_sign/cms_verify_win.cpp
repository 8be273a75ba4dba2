#include "output/pdf_sign/cms_verify_win.h"

#include <windows.h>
#include <bcrypt.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "output/pdf_sign/ber_length.h"

namespace markomi {
namespace {

constexpr std::size_t kLargestMessage = 1u << 20;
constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

struct MsgClose {
    void operator()(void* m) const { CryptMsgClose(m); }
};
struct StoreClose {
    void operator()(void* s) const { CertCloseStore(s, 0); }
};
struct CertFree {
    void operator()(const CERT_CONTEXT* c) const { CertFreeCertificateContext(c); }
};
struct ChainFree {
    void operator()(const CERT_CHAIN_CONTEXT* c) const { CertFreeCertificateChain(c); }
};
struct KeyDestroy {
    void operator()(void* k) const { BCryptDestroyKey(k); }
};
struct AlgorithmClose {
    void operator()(void* a) const { BCryptCloseAlgorithmProvider(a, 0); }
};
struct HashDestroy {
    void operator()(void* h) const { BCryptDestroyHash(h); }
};

// A parameter of the message of any length; empty when it has none.
std::vector<BYTE> message_param(HCRYPTMSG msg, DWORD type, DWORD index = 0) {
    DWORD size = 0;
    if (!CryptMsgGetParam(msg, type, index, nullptr, &size) || size == 0) return {};
    std::vector<BYTE> bytes(size);
    if (!CryptMsgGetParam(msg, type, index, bytes.data(), &size)) return {};
    bytes.resize(size);
    return bytes;
}

const CRYPT_ATTRIBUTE* attribute(const CRYPT_ATTRIBUTES& attributes, const char* oid) {
    for (DWORD i = 0; i < attributes.cAttr; ++i)
        if (std::strcmp(attributes.rgAttr[i].pszObjId, oid) == 0 &&
            attributes.rgAttr[i].cValue == 1)
            return &attributes.rgAttr[i];
    return nullptr;
}

// The value of an attribute decoded as `type`; empty when it does not decode.
std::vector<BYTE> decoded(const CRYPT_ATTRIBUTE* attr, LPCSTR type) {
    DWORD size = 0;
    if (!attr || !CryptDecodeObjectEx(kEncoding, type, attr->rgValue[0].pbData,
                                      attr->rgValue[0].cbData, 0, nullptr, nullptr, &size))
        return {};
    std::vector<BYTE> bytes(size);
    if (!CryptDecodeObjectEx(kEncoding, type, attr->rgValue[0].pbData, attr->rgValue[0].cbData, 0,
                             nullptr, bytes.data(), &size))
        return {};
    return bytes;
}

std::optional<std::string> signing_time(const CRYPT_ATTRIBUTES& attributes) {
    const std::vector<BYTE> time =
        decoded(attribute(attributes, szOID_RSA_signingTime), PKCS_UTC_TIME);
    SYSTEMTIME st{};
    if (time.size() < sizeof(FILETIME) ||
        !FileTimeToSystemTime(reinterpret_cast<const FILETIME*>(time.data()), &st))
        return std::nullopt;
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", st.wYear, st.wMonth, st.wDay,
                  st.wHour, st.wMinute, st.wSecond);
    return std::string(text);
}

const wchar_t* bcrypt_digest(const char* oid) {
    if (std::strcmp(oid, szOID_OIWSEC_sha1) == 0) return BCRYPT_SHA1_ALGORITHM;
    if (std::strcmp(oid, szOID_NIST_sha256) == 0) return BCRYPT_SHA256_ALGORITHM;
    if (std::strcmp(oid, szOID_NIST_sha384) == 0) return BCRYPT_SHA384_ALGORITHM;
    if (std::strcmp(oid, szOID_NIST_sha512) == 0) return BCRYPT_SHA512_ALGORITHM;
    return nullptr;
}

// The RSA signature over the signed attributes alone. The message's own
// check (CMSG_CTRL_VERIFY_SIGNATURE_EX) also compares the content's digest
// and fails on either, so a changed document would hide whether the
// signature itself still holds; this tells the two apart.
bool signature_over_attributes(const CMSG_SIGNER_INFO& info, PCCERT_CONTEXT cert) {
    const wchar_t* digest = bcrypt_digest(info.HashAlgorithm.pszObjId);
    if (!digest || info.AuthAttrs.cAttr == 0) return false;
    DWORD size = 0;
    if (!CryptEncodeObjectEx(kEncoding, PKCS_ATTRIBUTES, &info.AuthAttrs, 0, nullptr, nullptr,
                             &size))
        return false;
    std::vector<BYTE> attributes(size);  // as signed: a DER SET OF
    if (!CryptEncodeObjectEx(kEncoding, PKCS_ATTRIBUTES, &info.AuthAttrs, 0, nullptr,
                             attributes.data(), &size))
        return false;
    BCRYPT_ALG_HANDLE algorithm_handle = nullptr;
    if (BCryptOpenAlgorithmProvider(&algorithm_handle, digest, nullptr, 0) != 0) return false;
    std::unique_ptr<void, AlgorithmClose> algorithm(algorithm_handle);
    BCRYPT_HASH_HANDLE hash_handle = nullptr;
    if (BCryptCreateHash(algorithm_handle, &hash_handle, nullptr, 0, nullptr, 0, 0) != 0)
        return false;
    std::unique_ptr<void, HashDestroy> hash(hash_handle);
    BYTE value[64];
    DWORD length = 0, got = 0;
    if (BCryptGetProperty(algorithm_handle, BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&length),
                          sizeof length, &got, 0) != 0 ||
        length > sizeof value || BCryptHashData(hash_handle, attributes.data(), size, 0) != 0 ||
        BCryptFinishHash(hash_handle, value, length, 0) != 0)
        return false;
    BCRYPT_KEY_HANDLE key_handle = nullptr;
    if (!CryptImportPublicKeyInfoEx2(X509_ASN_ENCODING, &cert->pCertInfo->SubjectPublicKeyInfo, 0,
                                     nullptr, &key_handle))
        return false;
    std::unique_ptr<void, KeyDestroy> key(key_handle);
    BCRYPT_PKCS1_PADDING_INFO padding{digest};
    return BCryptVerifySignature(key_handle, &padding, value, length, info.EncryptedHash.pbData,
                                 info.EncryptedHash.cbData, BCRYPT_PAD_PKCS1) == 0;
}

std::string error_text(const char* what) {
    char text[96];
    std::snprintf(text, sizeof text, "%s (0x%08lx)", what,
                  static_cast<unsigned long>(GetLastError()));
    return text;
}

}  // namespace

CmsCheck check_detached_cms(std::string_view cms_der, const std::vector<std::string_view>& parts) {
    CmsCheck check;
    if (cms_der.size() > kLargestMessage) {
        check.detail_utf8 = "the signature is larger than 1 MiB";
        return check;
    }
    // The room after the message is zero padding, which is no part of it.
    const std::size_t length = ber_element_length(cms_der);
    if (length == 0) {
        check.detail_utf8 = "the signature is not a CMS message";
        return check;
    }
    std::unique_ptr<void, MsgClose> msg(
        CryptMsgOpenToDecode(kEncoding, CMSG_DETACHED_FLAG, 0, 0, nullptr, nullptr));
    if (!msg || !CryptMsgUpdate(msg.get(), reinterpret_cast<const BYTE*>(cms_der.data()),
                                static_cast<DWORD>(length), TRUE)) {
        check.detail_utf8 = error_text("the signature is not a CMS message");
        return check;
    }
    DWORD type = 0, signers = 0, size = sizeof(DWORD);
    CryptMsgGetParam(msg.get(), CMSG_TYPE_PARAM, 0, &type, &size);
    size = sizeof(DWORD);
    CryptMsgGetParam(msg.get(), CMSG_SIGNER_COUNT_PARAM, 0, &signers, &size);
    if (type != CMSG_SIGNED || signers != 1) {
        check.detail_utf8 = "the signature is not signed data of one signer";
        return check;
    }
    // With CMSG_DETACHED_FLAG the signed content follows the message, given
    // in one final call: Windows documents several calls with fFinal on the
    // last, but Wine's crypt32 refuses any before the final one
    // (CRYPT_E_MSG_ERROR), and one call serves both.
    std::string content;
    for (std::string_view part : parts) content.append(part);
    if (!CryptMsgUpdate(msg.get(), reinterpret_cast<const BYTE*>(content.data()),
                        static_cast<DWORD>(content.size()), TRUE)) {
        check.detail_utf8 = error_text("the signed parts could not be read");
        return check;
    }
    check.parsed = true;

    std::unique_ptr<void, StoreClose> store(
        CertOpenStore(CERT_STORE_PROV_MSG, kEncoding, 0, 0, msg.get()));
    std::vector<BYTE> cert_info = message_param(msg.get(), CMSG_SIGNER_CERT_INFO_PARAM);
    std::unique_ptr<const CERT_CONTEXT, CertFree> cert;
    if (store && !cert_info.empty())
        cert.reset(CertGetSubjectCertificateFromStore(
            store.get(), kEncoding, reinterpret_cast<PCERT_INFO>(cert_info.data())));
    if (!cert) {
        check.detail_utf8 = "the signer's certificate is not in the signature";
        return check;
    }
    wchar_t name[256] = L"";
    CertGetNameStringW(cert.get(), CERT_NAME_ATTR_TYPE, 0, const_cast<char*>(szOID_COMMON_NAME),
                       name, 256);
    check.signer = name;

    std::vector<BYTE> signer_info = message_param(msg.get(), CMSG_SIGNER_INFO_PARAM);
    if (signer_info.empty()) {
        check.detail_utf8 = "the signer's information cannot be read";
        return check;
    }
    const auto& info = *reinterpret_cast<const CMSG_SIGNER_INFO*>(signer_info.data());
    check.signing_time = signing_time(info.AuthAttrs);
    const std::vector<BYTE> computed = message_param(msg.get(), CMSG_COMPUTED_HASH_PARAM);
    const std::vector<BYTE> claimed =
        decoded(attribute(info.AuthAttrs, szOID_RSA_messageDigest), X509_OCTET_STRING);
    if (!claimed.empty()) {
        const auto& blob = *reinterpret_cast<const CRYPT_DATA_BLOB*>(claimed.data());
        check.digest_holds = !computed.empty() && blob.cbData == computed.size() &&
                             std::memcmp(blob.pbData, computed.data(), computed.size()) == 0;
    }
    CMSG_CTRL_VERIFY_SIGNATURE_EX_PARA para{};
    para.cbSize = sizeof para;
    para.dwSignerIndex = 0;
    para.dwSignerType = CMSG_VERIFY_SIGNER_CERT;
    para.pvSigner = const_cast<CERT_CONTEXT*>(cert.get());
    if (check.digest_holds || info.AuthAttrs.cAttr == 0) {
        check.signature_holds = CryptMsgControl(msg.get(), 0, CMSG_CTRL_VERIFY_SIGNATURE_EX, &para);
        // Without signed attributes the signature is over the content itself.
        if (info.AuthAttrs.cAttr == 0) check.digest_holds = check.signature_holds;
    } else {
        check.signature_holds = signature_over_attributes(info, cert.get());
    }
    if (!check.digest_holds)
        check.detail_utf8 = "the document was changed after it was signed";
    else if (!check.signature_holds)
        check.detail_utf8 = error_text("the signature does not verify");

    // Judged now, not at the signing time: that time is the signer's own
    // claim, and without a trusted timestamp readers judge at the present.
    CERT_CHAIN_PARA chain_para{};
    chain_para.cbSize = sizeof chain_para;
    PCCERT_CHAIN_CONTEXT chain_handle = nullptr;
    if (CertGetCertificateChain(nullptr, cert.get(), nullptr, store.get(), &chain_para, 0, nullptr,
                                &chain_handle)) {
        std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainFree> chain(chain_handle);
        check.chain_trusted = chain->TrustStatus.dwErrorStatus == CERT_TRUST_NO_ERROR;
        if (!check.chain_trusted && check.detail_utf8.empty()) {
            char text[96];
            std::snprintf(text, sizeof text,
                          "the certificate is not trusted here (chain status 0x%08lx)",
                          static_cast<unsigned long>(chain->TrustStatus.dwErrorStatus));
            check.detail_utf8 = text;
        }
    }
    return check;
}

}  // namespace markomi
