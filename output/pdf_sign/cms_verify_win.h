#pragma once
// Checks a detached CMS SignedData (a PDF signature's /Contents) over the
// parts of the file it signs, with crypt32: what a reader shows of a
// signature, each finding apart.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace markomi {

struct CmsCheck {
    bool parsed = false;           // a CMS SignedData with one signer
    bool digest_holds = false;     // messageDigest equals the named digest of the parts
    bool signature_holds = false;  // the signer's signature over the signed attributes verifies
    bool chain_trusted = false;    // the certificate chains to a root this system trusts
    std::wstring signer;           // the signing certificate's subject CN
    std::optional<std::string>
        signing_time;         // "YYYY-MM-DDTHH:MM:SSZ" from the signing-time attribute
    std::string detail_utf8;  // why not, when something does not hold
};

// A message larger than 1 MiB is refused unread.
CmsCheck check_detached_cms(std::string_view cms_der, const std::vector<std::string_view>& parts);

}  // namespace markomi
