#include "ui/stamping_signing_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>

#include "base/message_box_title.h"
#include "base/u16_format.h"
#include "base/wide_text_win.h"
#include "ui/centred_dialogs_win.h"

namespace markomi {
namespace {

constexpr const wchar_t* kReasons[] = {L"承認", L"受付"};

constexpr wchar_t kMakeQuestion[] =
    L"あなたの個人用の証明書を作ります。\n\n"
    L"名前は印影の名前の行、組織は部署の行から取られ、このパソコンのこのユーザーの証明書ストアに"
    L"作られます(鍵は取り出せない形で作られ、設定ファイルには書かれません)。\n\n"
    L"この証明書で署名した印影は、ほかの人の閲覧ソフトでは「署名は正しいが、証明書はまだ信頼されていない」"
    L"と表示されます。信頼してもらうには、「書き出す…」で証明書の公開部分を .cer ファイルにして渡し、"
    L"相手に信頼する証明書として登録してもらってください。\n\n作りますか？";
constexpr wchar_t kNoNameLine[] =
    L"証明書の名前にする印影の名前の行が空です。設定画面で名前を入れてから作ってください。";

HWND make_control(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id,
                  HFONT font) {
    HWND control = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (control && font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

// 「佐藤 (総務部) 2029-12-10 まで」: whose it is and how long it lasts.
std::wstring certificate_line(const SigningCertificate& c) {
    std::wstring line = c.subject;
    if (!c.organisation.empty()) line += L" (" + c.organisation + L")";
    line += L"  " + c.not_after + L" まで";
    if (!c.self_signed && !c.issuer.empty()) line += L"  発行: " + c.issuer;
    return line;
}

}  // namespace

void StampingSigningPanel::create(HWND parent, int first_control_id, HFONT font,
                                  const PdfStampOptions& start) {
    parent_ = parent;
    first_id_ = first_control_id;
    sign_ = make_control(parent, WC_BUTTONW, L"電子署名する", WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX,
                         first_id_, font);
    reason_ = make_control(parent, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                           first_id_ + 1, font);
    for (const wchar_t* reason : kReasons)
        SendMessageW(reason_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(reason));
    SendMessageW(reason_, CB_SETCURSEL, start.reason == 1 ? 1 : 0, 0);
    label_ = make_control(parent, WC_STATICW, L"証明書", SS_LEFT, first_id_ + 5, font);
    certificates_ = make_control(parent, WC_COMBOBOXW, L"",
                                 WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, first_id_ + 2, font);
    make_ = make_control(parent, WC_BUTTONW, L"証明書を作る…", WS_TABSTOP, first_id_ + 3, font);
    export_ = make_control(parent, WC_BUTTONW, L"書き出す…", WS_TABSTOP, first_id_ + 4, font);
    fill(to_wide(std::u16string(start.certificate.view())));
    set_signing(start.sign != 0);
}

int StampingSigningPanel::layout(const RECT& area, int line_height) {
    const int L = line_height, row = L + L / 2, gap = L / 3;
    const int width = area.right - area.left;
    int y = area.top;
    MoveWindow(sign_, area.left, y, width - 6 * L - gap, row, TRUE);
    MoveWindow(reason_, area.right - 6 * L, y, 6 * L, row + 6 * L, TRUE);
    y += row + gap;
    MoveWindow(label_, area.left, y + L / 4, 4 * L, L, TRUE);
    MoveWindow(certificates_, area.left + 4 * L, y, width - 4 * L, row + 10 * L, TRUE);
    y += row + gap;
    const int half = (width - gap) / 2;
    MoveWindow(make_, area.left, y, half, row, TRUE);
    MoveWindow(export_, area.left + half + gap, y, width - half - gap, row, TRUE);
    return y + row - area.top;
}

void StampingSigningPanel::fill(const std::wstring& select) {
    listed_ = usable_signing_certificates();
    SendMessageW(certificates_, CB_RESETCONTENT, 0, 0);
    int chosen = listed_.empty() ? -1 : 0;
    for (std::size_t i = 0; i < listed_.size(); ++i) {
        SendMessageW(certificates_, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(certificate_line(listed_[i]).c_str()));
        if (!select.empty() && CompareStringOrdinal(listed_[i].thumbprint.c_str(), -1, select.c_str(), -1,
                                                    TRUE) == CSTR_EQUAL)
            chosen = static_cast<int>(i);
    }
    if (listed_.empty())
        SendMessageW(certificates_, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(L"(署名に使える証明書がありません)"));
    SendMessageW(certificates_, CB_SETCURSEL, static_cast<WPARAM>(std::max(chosen, 0)), 0);
    EnableWindow(export_, !listed_.empty());
}

bool StampingSigningPanel::signing() const { return Button_GetCheck(sign_) == BST_CHECKED; }

void StampingSigningPanel::set_signing(bool on) {
    Button_SetCheck(sign_, on ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(reason_, on);
    EnableWindow(certificates_, on);
}

std::wstring StampingSigningPanel::chosen_thumbprint() const {
    const LRESULT at = SendMessageW(certificates_, CB_GETCURSEL, 0, 0);
    if (at < 0 || static_cast<std::size_t>(at) >= listed_.size()) return L"";
    return listed_[static_cast<std::size_t>(at)].thumbprint;
}

bool StampingSigningPanel::ready() const { return !signing() || !chosen_thumbprint().empty(); }

void StampingSigningPanel::store(PdfStampOptions& options) const {
    options.sign = signing() ? 1 : 0;
    options.reason = SendMessageW(reason_, CB_GETCURSEL, 0, 0) == 1 ? 1 : 0;
    // An empty list keeps the remembered certificate: it may be on a smart
    // card that is out of its reader today.
    const std::wstring thumbprint = chosen_thumbprint();
    if (!thumbprint.empty()) options.certificate = as_u16(std::wstring_view(thumbprint));
}

bool StampingSigningPanel::on_command(WPARAM wparam, const SettingsSet& set) {
    const int id = LOWORD(wparam), code = HIWORD(wparam);
    if (id < first_id_ || id > first_id_ + 5) return false;
    if (id == first_id_ && code == BN_CLICKED) {
        set_signing(signing());
        // Nothing to sign with yet: the user is offered a certificate of their own.
        if (signing() && listed_.empty()) make_certificate(set);
    } else if (id == first_id_ + 3 && code == BN_CLICKED) {
        make_certificate(set);
    } else if (id == first_id_ + 4 && code == BN_CLICKED) {
        export_certificate();
    }
    return true;
}

void StampingSigningPanel::make_certificate(const SettingsSet& set) {
    const std::wstring name = to_wide(std::u16string(set.global.name.view()));
    if (name.empty()) {
        centred_message_box(parent_, kNoNameLine, kMessageBoxTitle, MB_OK | MB_ICONWARNING);
        return;
    }
    if (centred_message_box(parent_, kMakeQuestion, kMessageBoxTitle, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const PersonalCertificate made =
        make_personal_certificate(name, to_wide(std::u16string(set.global.busho.view())));
    SetCursor(previous);
    if (!made.made) {
        const std::wstring text =
            L"証明書を作れませんでした。\n\n" + to_wide(utf8_to_u16(made.why_utf8));
        centred_message_box(parent_, text.c_str(), kMessageBoxTitle, MB_OK | MB_ICONERROR);
        return;
    }
    fill(made.made->thumbprint);
    set_signing(true);
}

void StampingSigningPanel::export_certificate() {
    const std::wstring thumbprint = chosen_thumbprint();
    if (thumbprint.empty()) return;
    const LRESULT at = SendMessageW(certificates_, CB_GETCURSEL, 0, 0);
    std::wstring name = listed_[static_cast<std::size_t>(at)].subject + L".cer";
    for (wchar_t& c : name)
        if (wcschr(L"\\/:*?\"<>|", c)) c = L'_';
    std::wstring path(32768, L'\0');
    std::copy(name.begin(), name.end(), path.begin());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = parent_;
    ofn.lpstrFilter = L"証明書 (*.cer)\0*.cer\0";
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrDefExt = L"cer";
    ofn.lpstrTitle = L"証明書を書き出す";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn)) return;
    path.resize(wcslen(path.c_str()));
    std::string why;
    if (!::markomi::export_certificate(thumbprint, path, &why)) {
        const std::wstring text = L"証明書を書き出せませんでした。\n\n" + to_wide(utf8_to_u16(why));
        centred_message_box(parent_, text.c_str(), kMessageBoxTitle, MB_OK | MB_ICONERROR);
        return;
    }
    const std::wstring done = L"証明書の公開部分を書き出しました。\n\n" + path +
                              L"\n\n秘密鍵は含まれないので、メールなどで渡して構いません。";
    centred_message_box(parent_, done.c_str(), kMessageBoxTitle, MB_OK | MB_ICONINFORMATION);
}

}  // namespace markomi
