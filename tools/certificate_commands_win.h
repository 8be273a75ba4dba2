#pragma once
// The companion's certificate commands: --list-certificates,
// --new-certificate and --export-certificate. Each answers with one line of
// JSON (or an error line) and an exit code.
#include <string>

#include "settings/settings_files_win.h"
#include "tools/companion_args.h"

namespace markomi {

struct CommandAnswer {
    int code = 0;             // 0 done, 1 failed
    std::u16string output;    // for standard output
    std::u16string error;     // for standard error
};

// {"certificates":[{"thumbprint":…,"subject":…,"organisation":…,"issuer":…,
// "not_after":"YYYY-MM-DD","self_signed":…,"provider":"CNG"|"CryptoAPI"},…]}
CommandAnswer list_certificates_command();

// Makes the personal certificate from the settings' NAME (CN) and BUSHO (O)
// lines, remembers it in the settings file `ini` ([PDF] CERTIFICATE, SIGN=1)
// and answers {"thumbprint":…,"subject":…}. An empty NAME line is refused.
CommandAnswer new_certificate_command(SettingsSet& set, const std::wstring& ini, SettingsFileState state);

// Writes the public part of the certificate to args.out (.cer).
CommandAnswer export_certificate_command(const CompanionArgs& args);

}  // namespace markomi
