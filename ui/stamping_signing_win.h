#pragma once
// The signing panel of the stamping window: 「電子署名する」, the reason
// (承認 or 受付), the certificate of the user's personal store to sign with,
// 「証明書を作る…」 for a user who has none, and 「書き出す…」, which writes
// the certificate's public part to a .cer file for colleagues. The choice is
// the settings' [PDF] SIGN, CERTIFICATE and REASON; the key never leaves
// the store.
#include <windows.h>

#include <string>
#include <vector>

#include "output/pdf_sign/signing_certificates_win.h"
#include "settings/settings_record.h"

namespace markomi {

class StampingSigningPanel {
  public:
    // Child controls of `parent` with identifiers from `first_control_id`
    // (six in all), starting from the remembered choice.
    void create(HWND parent, int first_control_id, HFONT font, const PdfStampOptions& start);
    // Places the controls at the top of `area`; returns the height used.
    int layout(const RECT& area, int line_height);
    // The parent hands WM_COMMAND here first: true when it was the panel's.
    // `set` gives the NAME and department lines a new certificate is made of.
    bool on_command(WPARAM wparam, const SettingsSet& set);
    // Whether to sign; the window turns it off when the stamp is to be
    // drawn into the pages, which cannot be signed.
    bool signing() const;
    void set_signing(bool on);
    // The choice into the options that are saved and passed on.
    void store(PdfStampOptions& options) const;
    // A thumbprint chosen, or signing off.
    bool ready() const;
    int sign_control_id() const { return first_id_; }

  private:
    void fill(const std::wstring& select);
    void make_certificate(const SettingsSet& set);
    void export_certificate();
    std::wstring chosen_thumbprint() const;

    HWND parent_ = nullptr;
    int first_id_ = 0;
    HWND sign_ = nullptr;          // 「電子署名する」
    HWND reason_ = nullptr;        // 承認 / 受付
    HWND certificates_ = nullptr;  // the usable certificates
    HWND make_ = nullptr;          // 「証明書を作る…」
    HWND export_ = nullptr;        // 「書き出す…」
    HWND label_ = nullptr;         // 「証明書」
    std::vector<SigningCertificate> listed_;
};

}  // namespace markomi
