#include "tools/certificate_commands_win.h"

#include "base/u16_format.h"
#include "base/wide_text_win.h"
#include "output/pdf_sign/signing_certificates_win.h"
#include "tools/json_writer.h"

namespace markomi {
namespace {

std::u16string trimmed(std::u16string_view text) {
    const std::u16string_view spaces = u" \t　";
    const std::size_t first = text.find_first_not_of(spaces);
    if (first == std::u16string_view::npos) return std::u16string();
    return std::u16string(text.substr(first, text.find_last_not_of(spaces) - first + 1));
}

std::wstring full_path(const std::wstring& path) {
    wchar_t full[4096] = L"";
    const DWORD n = GetFullPathNameW(path.c_str(), 4096, full, nullptr);
    return n > 0 && n < 4096 ? std::wstring(full, n) : path;
}

CommandAnswer failed(std::u16string text) {
    CommandAnswer a;
    a.code = 1;
    a.error = u"error: " + text + u"\n";
    return a;
}

}  // namespace

CommandAnswer list_certificates_command() {
    JsonWriter w;
    w.begin_object().key(u"certificates").begin_array();
    for (const SigningCertificate& c : usable_signing_certificates()) {
        w.begin_object();
        w.key(u"thumbprint").string(as_u16(c.thumbprint));
        w.key(u"subject").string(as_u16(c.subject));
        w.key(u"organisation").string(as_u16(c.organisation));
        w.key(u"issuer").string(as_u16(c.issuer));
        w.key(u"not_after").string(as_u16(c.not_after));
        w.key(u"self_signed").boolean(c.self_signed);
        w.key(u"provider").string(c.cng_key ? u"CNG" : u"CryptoAPI");
        w.end_object();
    }
    w.end_array().end_object();
    CommandAnswer a;
    a.output = w.text() + u"\n";
    return a;
}

CommandAnswer new_certificate_command(SettingsSet& set, const std::wstring& ini, SettingsFileState state) {
    const std::u16string name = trimmed(set.global.name.view());
    if (name.empty())
        return failed(u"the settings' NAME line is empty / 設定の名前の行が空です");
    const PersonalCertificate made = make_personal_certificate(to_wide(name), to_wide(trimmed(set.global.busho.view())));
    if (!made.made) return failed(utf8_to_u16(made.why_utf8));
    JsonWriter w;
    w.begin_object().key(u"thumbprint").string(as_u16(made.made->thumbprint));
    w.key(u"subject").string(as_u16(made.made->subject)).end_object();
    set.pdf.certificate = as_u16(made.made->thumbprint);
    set.pdf.sign = 1;
    CommandAnswer a;
    a.output = w.text() + u"\n";
    if (!save_settings_file(ini, set, state)) {
        a.code = 1;
        a.error = u"error: the certificate was made but the settings file cannot be written / "
                  u"証明書は作りましたが、設定ファイルに書き込めません\n";
    }
    return a;
}

CommandAnswer export_certificate_command(const CompanionArgs& args) {
    std::string why;
    if (!export_certificate(to_wide(*args.export_certificate), full_path(to_wide(*args.out)), &why))
        return failed(utf8_to_u16(why));
    JsonWriter w;
    w.begin_object().key(u"thumbprint").string(*args.export_certificate).key(u"output").string(*args.out).end_object();
    CommandAnswer a;
    a.output = w.text() + u"\n";
    return a;
}

}  // namespace markomi
