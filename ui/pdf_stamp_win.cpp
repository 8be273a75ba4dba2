#include "ui/pdf_stamp_win.h"

#include "ui/stamping_window_win.h"

#include <utility>
#include <vector>

#include "base/message_box_title.h"
#include "base/message_wait_win.h"
#include "base/modal_flow_win.h"
#include "base/module_path_win.h"
#include "base/safe_file_win.h"
#include "base/u16_format.h"
#include "base/wide_text_win.h"
#include "output/pdf_stamp/pdf_placement.h"
#include "output/raster/image_file_rules.h"
#include "settings/memory_profile.h"
#include "settings/profile_file_win.h"
#include "settings/settings_files_win.h"
#include "settings/settings_rules.h"
#include "ui/stamp_date_win.h"

namespace markomi {
namespace {

constexpr wchar_t kDialogTitle[] = L"PDFに捺印";
constexpr wchar_t kPagesAsked[] = L"ページは 1,3 のように番号をカンマで区切って指定してください。";
constexpr wchar_t kMarginAsked[] = L"余白は 0 から 100 までの mm で指定してください。";
constexpr DWORD kCompanionTimeoutMs = 10 * 60 * 1000;
// The reply lists every stamped page (25,000 pages take over 1 MiB): this
// bound is far above any document the companion finishes in its time.
constexpr std::size_t kReplyLimit = 64u << 20;

// ---- The choices dialog: an in-memory template, so that Tab, the arrow
// keys, Enter and Esc work as in every Windows dialog --------------------------

enum : int {
    kIdFirstPage = 201, kIdLastPage, kIdAllPages, kIdListedPages, kIdPagesText,
    kIdTopLeft = 211,  // .. 219, the 3 x 3 grid by rows
    kIdMarginText = 220,
    kIdOpenAfter = 221,
};

class DialogTemplate {
public:
    DialogTemplate(const wchar_t* title, short cx, short cy) {
        align();
        const DWORD style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        add_dword(style);
        add_dword(0);
        count_at_ = words_.size();
        add_word(0);  // the item count, filled as items come
        add_word(0);
        add_word(0);
        add_word(static_cast<WORD>(cx));
        add_word(static_cast<WORD>(cy));
        add_word(0);  // no menu
        add_word(0);  // the standard class
        add_text(title);
        add_word(9);
        add_text(L"ＭＳ Ｐゴシック");
    }
    void item(WORD atom, const wchar_t* text, DWORD style, short x, short y, short cx, short cy, int id) {
        align();
        add_dword(WS_CHILD | WS_VISIBLE | style);
        add_dword(0);
        for (short v : {x, y, cx, cy}) add_word(static_cast<WORD>(v));
        add_word(static_cast<WORD>(id));
        add_word(0xFFFF);
        add_word(atom);
        add_text(text);
        add_word(0);
        ++words_[count_at_];
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void add_word(WORD w) { words_.push_back(w); }
    void add_dword(DWORD d) {
        add_word(LOWORD(d));
        add_word(HIWORD(d));
    }
    void add_text(const wchar_t* s) {
        for (; *s; ++s) add_word(static_cast<WORD>(*s));
        add_word(0);
    }
    void align() {
        if (words_.size() % 2) add_word(0);
    }
    std::vector<WORD> words_;
    std::size_t count_at_ = 0;
};

constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;

DialogTemplate options_template() {
    static const wchar_t* const kAnchors[] = {L"左上", L"上", L"右上", L"左", L"中央",
                                              L"右",   L"左下", L"下", L"右下"};
    DialogTemplate t(kDialogTitle, 222, 140);
    t.item(kButton, L"ページ", BS_GROUPBOX, 7, 7, 100, 88, -1);
    const wchar_t* pages[] = {L"最初のページ", L"最後のページ", L"すべてのページ", L"ページ指定"};
    for (int i = 0; i < 4; ++i)
        t.item(kButton, pages[i], BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), 14,
               static_cast<short>(20 + 13 * i), 88, 10, kIdFirstPage + i);
    t.item(kEdit, L"", ES_AUTOHSCROLL | WS_BORDER | WS_GROUP | WS_TABSTOP, 24, 73, 76, 13, kIdPagesText);
    t.item(kButton, L"位置", BS_GROUPBOX, 115, 7, 100, 88, -1);
    for (int i = 0; i < 9; ++i)
        t.item(kButton, kAnchors[i], BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0),
               static_cast<short>(122 + 30 * (i % 3)), static_cast<short>(20 + 14 * (i / 3)), 29, 10,
               kIdTopLeft + i);
    t.item(kStatic, L"余白", SS_LEFT | WS_GROUP, 122, 75, 22, 10, -1);
    t.item(kEdit, L"", ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 146, 73, 30, 13, kIdMarginText);
    t.item(kStatic, L"mm", SS_LEFT, 180, 75, 20, 10, -1);
    t.item(kButton, L"捺印後に開く", BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 7, 102, 150, 10, kIdOpenAfter);
    t.item(kButton, L"ＯＫ", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 111, 119, 50, 14, IDOK);
    t.item(kButton, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, 165, 119, 50, 14, IDCANCEL);
    return t;
}

std::wstring item_text(HWND dialog, int id) {
    wchar_t text[128] = L"";
    GetDlgItemTextW(dialog, id, text, 128);
    return text;
}

void show_choices(HWND dialog, const PdfStampOptions& o) {
    CheckRadioButton(dialog, kIdFirstPage, kIdListedPages, kIdFirstPage + o.page);
    SetDlgItemTextW(dialog, kIdPagesText, to_wide(std::u16string(o.pages.view())).c_str());
    EnableWindow(GetDlgItem(dialog, kIdPagesText), o.page == 3);
    CheckRadioButton(dialog, kIdTopLeft, kIdTopLeft + 8, kIdTopLeft + o.position);
    SetDlgItemInt(dialog, kIdMarginText, static_cast<UINT>(o.margin), FALSE);
    CheckDlgButton(dialog, kIdOpenAfter, o.open_after ? BST_CHECKED : BST_UNCHECKED);
}

// The dialog's choices, or a message and the focus on what must change.
bool take_choices(HWND dialog, PdfStampOptions* o) {
    PdfStampOptions taken = *o;
    for (int i = 0; i < 4; ++i)
        if (IsDlgButtonChecked(dialog, kIdFirstPage + i) == BST_CHECKED) taken.page = i;
    for (int i = 0; i < 9; ++i)
        if (IsDlgButtonChecked(dialog, kIdTopLeft + i) == BST_CHECKED) taken.position = i;
    const std::wstring pages = item_text(dialog, kIdPagesText);
    if (taken.page == 3) {
        const std::optional<PdfPageChoice> choice = parse_pdf_pages(as_u16(std::wstring_view(pages)));
        if (!choice || choice->kind != PdfPageChoice::kList) {
            MessageBoxW(dialog, kPagesAsked, kMessageBoxTitle, MB_OK | MB_ICONWARNING);
            SetFocus(GetDlgItem(dialog, kIdPagesText));
            return false;
        }
        taken.pages = as_u16(std::wstring_view(pages));
    }
    const std::optional<double> margin = parse_millimetres(as_u16(std::wstring_view(item_text(dialog, kIdMarginText))));
    if (!margin || *margin > 100 || *margin != static_cast<int>(*margin)) {
        MessageBoxW(dialog, kMarginAsked, kMessageBoxTitle, MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(dialog, kIdMarginText));
        return false;
    }
    taken.margin = static_cast<std::int32_t>(*margin);
    taken.open_after = IsDlgButtonChecked(dialog, kIdOpenAfter) == BST_CHECKED ? 1 : 0;
    *o = taken;
    return true;
}

INT_PTR CALLBACK options_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lparam);
            show_choices(dialog, *reinterpret_cast<PdfStampOptions*>(lparam));
            return TRUE;
        case WM_COMMAND: {
            auto* options = reinterpret_cast<PdfStampOptions*>(GetWindowLongPtrW(dialog, DWLP_USER));
            const int id = LOWORD(wparam);
            if (id >= kIdFirstPage && id <= kIdListedPages && HIWORD(wparam) == BN_CLICKED) {
                EnableWindow(GetDlgItem(dialog, kIdPagesText), id == kIdListedPages);
                if (id == kIdListedPages) SetFocus(GetDlgItem(dialog, kIdPagesText));
            } else if (id == IDOK) {
                if (take_choices(dialog, options)) EndDialog(dialog, IDOK);
            } else if (id == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
            }
            return TRUE;
        }
        default: return FALSE;
    }
}

// A temporary file that goes when this object does. A child's console host
// or a virus scanner may hold it a moment past the child's end; what stays
// held longer is left to the start-up sweep, which knows its name.
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!path_.empty()) delete_file_patiently(path_);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

// The settings as they stand in the program, unsaved changes and all, in a
// file the companion reads as it reads the user's own.
bool write_settings_copy(const SettingsSet& set, const std::wstring& path) {
    MemoryProfile profile;
    SettingsSet copy = set;
    save_settings_to(profile, copy);
    return replace_file_with_bytes(path, encode_profile_text(profile.to_text(), ProfileEncoding::kUtf16Le, false));
}

// The companion beside the running program.
std::wstring companion_path() {
    const std::wstring program = running_program_file();
    if (program.empty()) return std::wstring();
    return program.substr(0, program.find_last_of(L'\\') + 1) + L"Markomi2Stamp.exe";
}

// Waits for the companion while this thread's windows go on painting and
// answer what other programs send them (a paste of an offered format, the
// end of the session). Input stays queued: no second command starts.
bool wait_for(HANDLE process) {
    return wait_answering_sent_messages(process, kCompanionTimeoutMs, true) == WaitEnd::kSignalled;
}

}  // namespace

bool ask_pdf_stamp_options(HWND owner, PdfStampOptions* options) {
    const DialogTemplate t = options_template();
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), owner, options_dialog_proc,
                                   reinterpret_cast<LPARAM>(options)) == IDOK;
}

std::optional<PdfStampReply> stamp_pdf_with_companion(const SettingsSet& set, PdfStampRequest request) {
    // The settings copy holds the user's name and the reply the user's file
    // names: a run killed meanwhile leaves them where the program's start-up
    // sweep finds them.
    TemporaryFile settings(create_temporary_settings_copy()), reply(create_temporary_program_file(L".txt"));
    if (settings.path().empty() || reply.path().empty() || !write_settings_copy(set, settings.path()))
        return std::nullopt;
    request.ini = as_u16(std::wstring_view(settings.path()));
    const std::wstring program = companion_path();
    std::wstring line = L"\"" + program + L"\"";
    for (const std::u16string& a : pdf_stamp_arguments(request)) line += L" " + to_wide(command_line_argument(a));

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(reply.path().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (out == INVALID_HANDLE_VALUE) return std::nullopt;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    startup.hStdInput = nullptr;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(out);
    if (!started) return std::nullopt;
    CloseHandle(process.hThread);
    const bool ended = wait_for(process.hProcess);
    if (!ended) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    if (!ended) return std::nullopt;

    return read_companion_reply(reply.path());
}

std::optional<PdfStampReply> read_companion_reply(const std::wstring& path) {
    const FileBytes bytes = read_file_bytes(path, kReplyLimit);
    if (bytes.state != FileRead::kRead) return std::nullopt;
    // The reply is one line of UTF-8 JSON; the messages on the error stream
    // come before it and start otherwise.
    const std::u16string text = utf8_to_u16(bytes.bytes);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(u'\n', start);
        if (end == std::u16string::npos) end = text.size();
        if (text[start] == u'{') return read_pdf_stamp_reply(std::u16string_view(text).substr(start, end - start));
        start = end + 1;
    }
    return std::nullopt;
}

void run_pdf_stamp_command(HWND owner) { open_stamping_window(owner, {}); }

}  // namespace markomi
