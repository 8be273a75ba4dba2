#include "output/pdf_sign/signing_certificates_win.h"

#include <objbase.h>

#include "base/safe_file_win.h"
#include "base/u16_format.h"
#include "base/win_handles_win.h"
#include "base/wide_text_win.h"
#include "output/pdf_sign/cms_attributes.h"

namespace markomi {
namespace {

constexpr DWORD kKeyBits = 3072;
constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

ScopedCertStore open_personal_store() {
    return ScopedCertStore(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                         CERT_SYSTEM_STORE_CURRENT_USER, L"MY"));
}

std::wstring name_attribute(PCCERT_CONTEXT cert, const char* oid, DWORD flags) {
    wchar_t text[256] = L"";
    CertGetNameStringW(cert, CERT_NAME_ATTR_TYPE, flags, const_cast<char*>(oid), text, 256);
    return text;
}

std::wstring utc_day_text(const FILETIME& when) {
    SYSTEMTIME t{};
    if (!FileTimeToSystemTime(&when, &t)) return std::wstring();
    std::u16string text;
    append_decimal(text, t.wYear, 4);
    text += u'-';
    append_decimal(text, t.wMonth, 2);
    text += u'-';
    append_decimal(text, t.wDay, 2);
    return to_wide(text);
}

// The key's provider as the store records it; empty when none is recorded.
std::optional<CRYPT_KEY_PROV_INFO> recorded_provider(PCCERT_CONTEXT cert, std::vector<BYTE>* room) {
    DWORD size = 0;
    if (!CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size) || size == 0)
        return std::nullopt;
    room->assign(size, 0);
    if (!CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, room->data(), &size))
        return std::nullopt;
    return *reinterpret_cast<const CRYPT_KEY_PROV_INFO*>(room->data());
}

// Whether a private key belongs to the certificate, without a PIN prompt:
// a recorded provider is enough; otherwise the key is acquired silently
// (a smart card's key may be found that way), and its spec tells CNG.
bool has_private_key(PCCERT_CONTEXT cert, bool* cng) {
    std::vector<BYTE> room;
    if (std::optional<CRYPT_KEY_PROV_INFO> info = recorded_provider(cert, &room)) {
        *cng = info->dwProvType == 0;
        return true;
    }
    HCRYPTPROV_OR_NCRYPT_KEY_HANDLE key = 0;
    DWORD spec = 0;
    BOOL free_key = FALSE;
    if (!CryptAcquireCertificatePrivateKey(cert, CRYPT_ACQUIRE_SILENT_FLAG | CRYPT_ACQUIRE_ALLOW_NCRYPT_KEY_FLAG,
                                           nullptr, &key, &spec, &free_key))
        return false;
    *cng = spec == CERT_NCRYPT_KEY_SPEC;
    if (free_key) {
        if (*cng) NCryptFreeObject(key);
        else CryptReleaseContext(key, 0);
    }
    return true;
}

std::wstring new_container_name() {
    GUID id{};
    wchar_t text[64] = L"";
    if (FAILED(CoCreateGuid(&id)) || StringFromGUID2(id, text, 64) == 0) return std::wstring();
    return std::wstring(L"Markomi2-") + text;
}

// A key made for a new certificate: where it is, and its handle.
struct MadeKey {
    ScopedNcryptHandle provider;
    ScopedNcryptHandle ncrypt_key;
    ScopedCryptProv crypt_prov;
    std::wstring container;
    DWORD error = 0;
};

bool make_cng_key(MadeKey& k) {
    SECURITY_STATUS s = NCryptOpenStorageProvider(k.provider.out(), MS_KEY_STORAGE_PROVIDER, 0);
    if (s == ERROR_SUCCESS)
        s = NCryptCreatePersistedKey(k.provider.get(), k.ncrypt_key.out(), NCRYPT_RSA_ALGORITHM,
                                     k.container.c_str(), 0, 0);
    DWORD bits = kKeyBits, policy = 0, usage = NCRYPT_ALLOW_SIGNING_FLAG;
    if (s == ERROR_SUCCESS)
        s = NCryptSetProperty(k.ncrypt_key.get(), NCRYPT_LENGTH_PROPERTY, reinterpret_cast<PBYTE>(&bits),
                              sizeof bits, 0);
    if (s == ERROR_SUCCESS)
        s = NCryptSetProperty(k.ncrypt_key.get(), NCRYPT_EXPORT_POLICY_PROPERTY, reinterpret_cast<PBYTE>(&policy),
                              sizeof policy, 0);
    if (s == ERROR_SUCCESS)
        s = NCryptSetProperty(k.ncrypt_key.get(), NCRYPT_KEY_USAGE_PROPERTY, reinterpret_cast<PBYTE>(&usage),
                              sizeof usage, 0);
    if (s == ERROR_SUCCESS) s = NCryptFinalizeKey(k.ncrypt_key.get(), 0);
    if (s == ERROR_SUCCESS) return true;
    k.error = static_cast<DWORD>(s);
    // A key created but not finalised is still a named container.
    if (k.ncrypt_key && NCryptDeleteKey(k.ncrypt_key.get(), 0) == ERROR_SUCCESS) k.ncrypt_key.release();
    return false;
}

bool make_cryptoapi_key(MadeKey& k) {
    if (!CryptAcquireContextW(k.crypt_prov.out(), k.container.c_str(), MS_ENH_RSA_AES_PROV_W, PROV_RSA_AES,
                              CRYPT_NEWKEYSET)) {
        k.error = GetLastError();
        k.crypt_prov.release();
        return false;
    }
    // Without CRYPT_EXPORTABLE: the key never leaves the provider.
    ScopedCryptKey key;
    if (CryptGenKey(k.crypt_prov.get(), AT_SIGNATURE, kKeyBits << 16, key.out())) return true;
    k.error = GetLastError();
    k.crypt_prov.reset();
    HCRYPTPROV gone = 0;
    CryptAcquireContextW(&gone, k.container.c_str(), MS_ENH_RSA_AES_PROV_W, PROV_RSA_AES, CRYPT_DELETEKEYSET);
    return false;
}

void delete_key(const CRYPT_KEY_PROV_INFO& info) {
    if (info.dwProvType == 0) {
        ScopedNcryptHandle provider, key;
        if (NCryptOpenStorageProvider(provider.out(), info.pwszProvName, 0) == ERROR_SUCCESS &&
            NCryptOpenKey(provider.get(), key.out(), info.pwszContainerName, 0, 0) == ERROR_SUCCESS &&
            NCryptDeleteKey(key.get(), 0) == ERROR_SUCCESS)
            key.release();  // NCryptDeleteKey frees the handle
    } else {
        HCRYPTPROV gone = 0;
        CryptAcquireContextW(&gone, info.pwszContainerName, info.pwszProvName, info.dwProvType,
                             CRYPT_DELETEKEYSET | (info.dwFlags & CRYPT_MACHINE_KEYSET));
    }
}

bool write_bytes(const std::wstring& path, const BYTE* data, DWORD size) {
    return write_file_through_staging(extended_length_path(path), [&](const wchar_t* staging) {
        ScopedHandle file(CreateFileW(staging, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        return file.valid() && WriteFile(file.get(), data, size, &written, nullptr) && written == size;
    });
}

// A key of `provider` and a self-signed certificate for it in the personal
// store; on failure nothing is left behind and `why` names the step.
std::optional<SigningCertificate> make_certificate_with(KeyProvider provider, std::string& name,
                                                        const SYSTEMTIME& not_before, const SYSTEMTIME& not_after,
                                                        std::string* why) {
    const bool cng = provider == KeyProvider::kCng;
    MadeKey key;
    key.container = new_container_name();
    if (key.container.empty() || !(cng ? make_cng_key(key) : make_cryptoapi_key(key))) {
        *why = std::string(cng ? "CNG" : "CryptoAPI") + " 鍵 / key: " + crypt_failure_text(key.error);
        return std::nullopt;
    }
    CRYPT_KEY_PROV_INFO info{};
    info.pwszContainerName = key.container.data();
    info.pwszProvName = const_cast<wchar_t*>(cng ? MS_KEY_STORAGE_PROVIDER : MS_ENH_RSA_AES_PROV_W);
    info.dwProvType = cng ? 0 : PROV_RSA_AES;
    info.dwKeySpec = cng ? 0 : AT_SIGNATURE;

    // Key usage: digital signature and non-repudiation, as a signing
    // certificate states it.
    BYTE usage_bits = CERT_DIGITAL_SIGNATURE_KEY_USAGE | CERT_NON_REPUDIATION_KEY_USAGE;
    CRYPT_BIT_BLOB usage{1, &usage_bits, 6};
    BYTE usage_der[16] = {};
    DWORD usage_size = sizeof usage_der;
    CERT_EXTENSION extension{const_cast<char*>(szOID_KEY_USAGE), TRUE, {0, usage_der}};
    CERT_EXTENSIONS extensions{1, &extension};
    const bool usage_encoded = CryptEncodeObject(X509_ASN_ENCODING, X509_KEY_USAGE, &usage, usage_der, &usage_size);
    extension.Value.cbData = usage_size;

    CERT_NAME_BLOB subject{static_cast<DWORD>(name.size()), reinterpret_cast<BYTE*>(name.data())};
    CRYPT_ALGORITHM_IDENTIFIER algorithm{const_cast<char*>(szOID_RSA_SHA256RSA), {0, nullptr}};
    SYSTEMTIME from = not_before, to = not_after;
    const HCRYPTPROV_OR_NCRYPT_KEY_HANDLE handle = cng ? key.ncrypt_key.get() : key.crypt_prov.get();
    ScopedCertContext cert(CertCreateSelfSignCertificate(handle, &subject, 0, &info, &algorithm, &from, &to,
                                                         usage_encoded ? &extensions : nullptr));
    DWORD error = GetLastError();
    ScopedCertStore store = open_personal_store();
    PCCERT_CONTEXT added = nullptr;
    if (cert && store) {
        if (CertAddCertificateContextToStore(store.get(), cert.get(), CERT_STORE_ADD_NEW, &added)) {
            ScopedCertContext kept(added);
            // The key's place goes with the stored copy, so the store finds the key again.
            if (CertSetCertificateContextProperty(added, CERT_KEY_PROV_INFO_PROP_ID, 0, &info))
                return describe_certificate(added);
            error = GetLastError();
            CertDeleteCertificateFromStore(CertDuplicateCertificateContext(added));
        } else {
            error = GetLastError();
        }
    }
    *why = std::string(cng ? "CNG" : "CryptoAPI") + " 証明書 / certificate: " + crypt_failure_text(error);
    key.ncrypt_key.reset();
    key.crypt_prov.reset();
    delete_key(info);
    return std::nullopt;
}

ScopedCertContext find_in_store(HCERTSTORE store, const std::wstring& thumbprint) {
    const std::optional<std::u16string> hex = parse_thumbprint(as_u16(thumbprint));
    if (!hex) return ScopedCertContext();
    std::string bytes = thumbprint_bytes(*hex);
    CRYPT_HASH_BLOB blob{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data())};
    return ScopedCertContext(CertFindCertificateInStore(store, kEncoding, 0, CERT_FIND_SHA1_HASH, &blob, nullptr));
}

}  // namespace

std::string crypt_failure_text(DWORD code) {
    std::string cause;
    switch (code) {
        case static_cast<DWORD>(SCARD_W_CANCELLED_BY_USER):
        case static_cast<DWORD>(NTE_USER_CANCELLED):
        case ERROR_CANCELLED:
        case static_cast<DWORD>(HRESULT_FROM_WIN32(ERROR_CANCELLED)):
            cause = "PIN の入力が取り消されました / the PIN prompt was cancelled";
            break;
        case static_cast<DWORD>(SCARD_E_NO_SMARTCARD):
        case static_cast<DWORD>(SCARD_W_REMOVED_CARD):
            cause = "スマートカードがありません / the smart card is not inserted";
            break;
        case static_cast<DWORD>(SCARD_W_WRONG_CHV):
            cause = "PIN が違います / the PIN is wrong";
            break;
        case static_cast<DWORD>(SCARD_W_CHV_BLOCKED):
            cause = "PIN がロックされています / the PIN is blocked";
            break;
        case static_cast<DWORD>(NTE_BAD_KEYSET):
        case static_cast<DWORD>(NTE_NO_KEY):
        case static_cast<DWORD>(CRYPT_E_NO_KEY_PROPERTY):
            cause = "証明書の秘密鍵がありません / the certificate's private key is missing";
            break;
        case static_cast<DWORD>(NTE_PERM):
        case ERROR_ACCESS_DENIED:
            cause = "秘密鍵を使う権限がありません / the private key may not be used";
            break;
        case static_cast<DWORD>(NTE_NOT_SUPPORTED):
        case static_cast<DWORD>(NTE_BAD_ALGID):
        case static_cast<DWORD>(NTE_PROV_TYPE_NOT_DEF):
        case static_cast<DWORD>(NTE_BAD_PROV_TYPE):
            cause = "この鍵の提供元は対応していません / the key's provider does not support it";
            break;
        default:
            cause = "暗号化の処理に失敗しました / the cryptographic call failed";
    }
    static const char kHex[] = "0123456789ABCDEF";
    std::string hex = " (0x";
    for (int shift = 28; shift >= 0; shift -= 4) hex.push_back(kHex[(code >> shift) & 15]);
    return cause + hex + ")";
}

SigningCertificate describe_certificate(PCCERT_CONTEXT cert) {
    SigningCertificate c;
    BYTE hash[20] = {};
    DWORD size = sizeof hash;
    if (CertGetCertificateContextProperty(cert, CERT_SHA1_HASH_PROP_ID, hash, &size) && size == sizeof hash)
        c.thumbprint = to_wide(upper_hex(std::string_view(reinterpret_cast<const char*>(hash), size)));
    c.subject = name_attribute(cert, szOID_COMMON_NAME, 0);
    c.organisation = name_attribute(cert, szOID_ORGANIZATION_NAME, 0);
    c.issuer = name_attribute(cert, szOID_COMMON_NAME, CERT_NAME_ISSUER_FLAG);
    c.not_after = utc_day_text(cert->pCertInfo->NotAfter);
    c.self_signed = CertCompareCertificateName(X509_ASN_ENCODING, &cert->pCertInfo->Subject,
                                               &cert->pCertInfo->Issuer) != FALSE;
    has_private_key(cert, &c.cng_key);
    return c;
}

std::string why_not_for_signing(PCCERT_CONTEXT cert) {
    const LONG time = CertVerifyTimeValidity(nullptr, cert->pCertInfo);
    if (time > 0) return "証明書の有効期限が切れています / the certificate has expired";
    if (time < 0) return "証明書はまだ有効になっていません / the certificate is not valid yet";
    // No key usage extension: any use is allowed.
    BYTE usage = 0;
    if (CertGetIntendedKeyUsage(X509_ASN_ENCODING, cert->pCertInfo, &usage, 1) &&
        (usage & CERT_DIGITAL_SIGNATURE_KEY_USAGE) == 0)
        return "この証明書は署名に使えません / the certificate does not allow digital signatures";
    bool cng = false;
    if (!has_private_key(cert, &cng))
        return "この証明書には秘密鍵がありません / the certificate has no private key";
    return std::string();
}

std::vector<SigningCertificate> usable_signing_certificates() {
    std::vector<SigningCertificate> list;
    ScopedCertStore store = open_personal_store();
    if (!store) return list;
    // The enumeration frees each context as it passes on to the next one.
    PCCERT_CONTEXT cert = nullptr;
    while ((cert = CertEnumCertificatesInStore(store.get(), cert)) != nullptr)
        if (why_not_for_signing(cert).empty()) list.push_back(describe_certificate(cert));
    return list;
}

ScopedCertContext find_personal_certificate(const std::wstring& thumbprint) {
    ScopedCertStore store = open_personal_store();
    // The context keeps the store it came from open after the store's handle is closed.
    return store ? find_in_store(store.get(), thumbprint) : ScopedCertContext();
}

bool export_certificate(const std::wstring& thumbprint, const std::wstring& path, std::string* why_utf8) {
    ScopedCertContext cert = find_personal_certificate(thumbprint);
    if (!cert) {
        *why_utf8 = "その証明書は個人の証明書ストアにありません / no such certificate in the personal store";
        return false;
    }
    if (!write_bytes(path, cert.get()->pbCertEncoded, cert.get()->cbCertEncoded)) {
        *why_utf8 = "ファイルに書き込めません / the file cannot be written";
        return false;
    }
    return true;
}

PersonalCertificate make_personal_certificate(const std::wstring& cn, const std::wstring& organisation) {
    SYSTEMTIME from{};
    GetSystemTime(&from);
    from.wHour = from.wMinute = from.wSecond = from.wMilliseconds = 0;
    SYSTEMTIME to = from;
    to.wYear = static_cast<WORD>(to.wYear + 3);
    if (to.wMonth == 2 && to.wDay == 29) to.wDay = 28;
    to.wHour = 23;
    to.wMinute = to.wSecond = 59;
    return make_personal_certificate_valid(cn, organisation, from, to);
}

PersonalCertificate make_personal_certificate_valid(const std::wstring& cn, const std::wstring& organisation,
                                                    const SYSTEMTIME& not_before, const SYSTEMTIME& not_after,
                                                    std::optional<KeyProvider> only) {
    PersonalCertificate result;
    std::optional<std::string> name =
        subject_name(u16_to_utf8(as_u16(cn)), u16_to_utf8(as_u16(organisation)));
    if (!name) {
        result.why_utf8 = "名前がありません / the name is empty";
        return result;
    }
    // CNG first: Windows keeps new keys there, smart cards and company
    // policies expect it, and the older providers are kept only for
    // compatibility. Where CNG cannot make the key or the certificate
    // (older systems, Wine), the RSA/AES CryptoAPI provider is tried, and
    // crypt32 signs with either.
    std::string failures;
    for (KeyProvider provider : {KeyProvider::kCng, KeyProvider::kCryptoApi}) {
        if (only && *only != provider) continue;
        result.provider = provider;
        std::string why;
        result.made = make_certificate_with(provider, *name, not_before, not_after, &why);
        if (result.made) return result;
        failures += (failures.empty() ? "" : "; ") + why;
    }
    result.why_utf8 = "証明書を作れません / the certificate could not be made: " + failures;
    return result;
}

bool remove_personal_certificate(const std::wstring& thumbprint) {
    // The registry store behind "MY" itself: Wine's system store, a
    // collection, does not pass a deletion on to it.
    ScopedCertStore store(CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER,
                                        L"MY"));
    ScopedCertContext cert = store ? find_in_store(store.get(), thumbprint) : ScopedCertContext();
    if (!cert) return false;
    std::vector<BYTE> room;
    if (std::optional<CRYPT_KEY_PROV_INFO> info = recorded_provider(cert.get(), &room)) delete_key(*info);
    // CertDeleteCertificateFromStore frees the context it is given, even on failure.
    return CertDeleteCertificateFromStore(cert.release()) != FALSE;
}

}  // namespace markomi
