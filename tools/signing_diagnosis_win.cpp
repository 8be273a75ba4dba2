#include "tools/signing_diagnosis_win.h"

#include <windows.h>
#include <wincrypt.h>
#include <ncrypt.h>

#include "base/u16_format.h"
#include "base/wide_text_win.h"
#include "output/pdf_sign/pdf_signer_win.h"

namespace markomi {
namespace {

bool provider_opens(KeyProvider provider) {
    if (provider == KeyProvider::kCng) {
        ScopedNcryptHandle p;
        return NCryptOpenStorageProvider(p.out(), MS_KEY_STORAGE_PROVIDER, 0) == ERROR_SUCCESS;
    }
    ScopedCryptProv p;
    return CryptAcquireContextW(p.out(), nullptr, MS_ENH_RSA_AES_PROV_W, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) != FALSE;
}

void put_provider(JsonWriter& w, KeyProvider provider) {
    const bool cng = provider == KeyProvider::kCng;
    w.begin_object().key(u"name").string(cng ? u"CNG" : u"CryptoAPI");
    w.key(u"provider").string(as_u16(cng ? MS_KEY_STORAGE_PROVIDER : MS_ENH_RSA_AES_PROV_W));
    const bool opens = provider_opens(provider);
    w.key(u"opens").boolean(opens);
    std::string detail;
    bool signed_ok = false;
    SYSTEMTIME from{}, to{};
    GetSystemTime(&from);
    from.wHour = from.wMinute = from.wSecond = from.wMilliseconds = 0;
    to = from;
    to.wHour = 23;
    to.wMinute = to.wSecond = 59;
    const PersonalCertificate made =
        opens ? make_personal_certificate_valid(L"Markomi2 diagnosis", L"", from, to, provider) : PersonalCertificate();
    w.key(u"certificate").boolean(made.made.has_value());
    if (made.made) {
        SignerOpening opening = PdfSigner::open(made.made->thumbprint);
        if (opening.signer) {
            SYSTEMTIME now{};
            GetSystemTime(&now);
            const std::optional<std::string> cms = opening.signer->sign(
                {"Markomi2 diagnosis"}, SigningTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, 0},
                &detail);
            signed_ok = cms.has_value();
        } else {
            detail = opening.why_utf8;
        }
        opening.signer.reset();  // the key handle goes before its container
        if (!remove_personal_certificate(made.made->thumbprint))
            detail += (detail.empty() ? "" : "; ") + std::string("the trial certificate could not be removed");
    } else if (opens) {
        detail = made.why_utf8;
    }
    w.key(u"signature").boolean(signed_ok);
    w.key(u"detail").string(utf8_to_u16(detail));
    w.end_object();
}

}  // namespace

void put_signing(JsonWriter& w) {
    w.key(u"signing").begin_object().key(u"providers").begin_array();
    put_provider(w, KeyProvider::kCng);
    put_provider(w, KeyProvider::kCryptoApi);
    w.end_array().end_object();
}

}  // namespace markomi
