// Certificates of the user's personal store and the CMS made with their
// keys. The signature's bytes are judged by OpenSSL in
// tests/readers/cms_signing.sh, which runs this suite with
// MARKOMI2_SIGN_OUT naming the folder for sig.der, data.bin and cert.cer.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/u16_format.h"
#include "output/pdf_sign/pdf_signer_win.h"
#include "support/test_files.h"

namespace markomi {
namespace {

using testing::TempFolder;

std::optional<SigningCertificate> listed(const std::wstring& thumbprint) {
    for (const SigningCertificate& c : usable_signing_certificates())
        if (c.thumbprint == thumbprint) return c;
    return std::nullopt;
}

SYSTEMTIME days_from_now(int days) {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    FILETIME ft{};
    SystemTimeToFileTime(&now, &ft);
    ULARGE_INTEGER t{};
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    t.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(days) * 864000000000LL);
    ft.dwLowDateTime = t.LowPart;
    ft.dwHighDateTime = t.HighPart;
    SYSTEMTIME out{};
    FileTimeToSystemTime(&ft, &out);
    return out;
}

// Removes the certificates a test made, however it ends.
struct MadeCertificates {
    std::vector<std::wstring> thumbprints;
    ~MadeCertificates() {
        for (const std::wstring& t : thumbprints) remove_personal_certificate(t);
    }
};

// A personal certificate is made, listed and signs; one without its key,
// an expired one and an unknown thumbprint are refused with their reasons.
TEST(PdfSigning, APersonalCertificateSignsAndUnusableOnesAreRefused) {
    MadeCertificates made;
    const PersonalCertificate personal = make_personal_certificate(L"佐藤, \"花子\"", L"総務部");
    ASSERT_TRUE(personal.made) << personal.why_utf8;
    made.thumbprints.push_back(personal.made->thumbprint);
    std::printf("key provider: %s\n", personal.provider == KeyProvider::kCng ? "CNG" : "CryptoAPI");
    const std::optional<SigningCertificate> found = listed(personal.made->thumbprint);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->subject, L"佐藤, \"花子\"");
    EXPECT_EQ(found->organisation, L"総務部");
    EXPECT_EQ(found->issuer, found->subject);
    EXPECT_TRUE(found->self_signed);
    EXPECT_EQ(found->cng_key, personal.provider == KeyProvider::kCng);
    SYSTEMTIME now{};
    GetSystemTime(&now);
    EXPECT_EQ(found->not_after.substr(0, 4), std::to_wstring(now.wYear + 3));

    SignerOpening opening = PdfSigner::open(personal.made->thumbprint);
    ASSERT_TRUE(opening.signer) << opening.why_utf8;
    const std::string head = "%PDF-1.7 before the signature <", tail = "> after it %%EOF\n";
    std::string why;
    std::optional<std::string> cms =
        opening.signer->sign({head, tail}, SigningTime{2026, 12, 9, 10, 31, 5, 540}, &why);
    ASSERT_TRUE(cms) << why;
    EXPECT_EQ(static_cast<unsigned char>((*cms)[0]), 0x30);
    // A batch signs again with the same opened key.
    ASSERT_TRUE(opening.signer->sign({tail}, SigningTime{2026, 12, 9, 10, 32, 0, 540}, &why)) << why;

    TempFolder temp;
    const wchar_t* named = _wgetenv(L"MARKOMI2_SIGN_OUT");
    const std::wstring out = named ? named : temp.path();
    ASSERT_TRUE(testing::write_bytes(out + L"\\sig.der", std::vector<unsigned char>(cms->begin(), cms->end())));
    const std::string data = head + tail;
    ASSERT_TRUE(testing::write_bytes(out + L"\\data.bin", std::vector<unsigned char>(data.begin(), data.end())));
    ASSERT_TRUE(export_certificate(personal.made->thumbprint, out + L"\\cert.cer", &why)) << why;

    // The public part alone, back in the store without its key.
    const PersonalCertificate keyless = make_personal_certificate(L"鍵なし", L"");
    ASSERT_TRUE(keyless.made) << keyless.why_utf8;
    made.thumbprints.push_back(keyless.made->thumbprint);
    ASSERT_TRUE(export_certificate(keyless.made->thumbprint, temp.file(L"keyless.cer"), &why)) << why;
    ASSERT_TRUE(remove_personal_certificate(keyless.made->thumbprint));
    const std::vector<unsigned char> der = testing::read_bytes(temp.file(L"keyless.cer"));
    {
        // Closed before use: Wine writes a store's changes out when it closes.
        ScopedCertStore store(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"MY"));
        ASSERT_TRUE(CertAddEncodedCertificateToStore(store.get(), X509_ASN_ENCODING, der.data(),
                                                     static_cast<DWORD>(der.size()), CERT_STORE_ADD_NEW, nullptr));
    }

    const PersonalCertificate expired = make_personal_certificate_valid(
        L"期限切れ", L"", days_from_now(-3 * 365), days_from_now(-1), personal.provider);
    ASSERT_TRUE(expired.made) << expired.why_utf8;
    made.thumbprints.push_back(expired.made->thumbprint);

    EXPECT_TRUE(listed(personal.made->thumbprint));
    const std::vector<std::pair<std::wstring, std::string>> refused = {
        {keyless.made->thumbprint, "秘密鍵"},
        {expired.made->thumbprint, "有効期限"},
        {L"0000000000000000000000000000000000000000", "ストア"},
    };
    for (const auto& [thumbprint, reason] : refused) {
        EXPECT_FALSE(listed(thumbprint)) << reason;
        SignerOpening no = PdfSigner::open(thumbprint);
        EXPECT_FALSE(no.signer) << reason;
        EXPECT_NE(no.why_utf8.find(reason), std::string::npos) << reason << no.why_utf8;
    }
}

}  // namespace
}  // namespace markomi
