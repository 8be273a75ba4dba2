// "PDFに捺印…" through every window of the real program: the open dialog,
// the choices, the save dialog's proposed name, the signature question, the
// copy opened by the program the system names for PDF files, and the choices
// remembered in the settings file.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/support/program_driver.h"
#include "support/sample_pdf.h"
#include "support/test_files.h"

namespace {

namespace t = markomi::testing;

constexpr wchar_t kTitle[] = L"マルコミ２";
constexpr wchar_t kOpenedPdfClass[] = L"Markomi2Test.OpenedPdf";

// The default value of a key; false when it has none.
bool key_default(HKEY root, const std::wstring& key, std::wstring* value) {
    wchar_t text[256] = L"";
    DWORD size = sizeof text;
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return false;
    *value = text;
    return true;
}

bool set_key_default(HKEY root, const std::wstring& key, const std::wstring& value) {
    return RegSetKeyValueW(root, key.c_str(), nullptr, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// The command the shell runs to open a PDF file.
std::wstring pdf_open_command() {
    wchar_t command[1024] = L"";
    DWORD size = ARRAYSIZE(command);
    return AssocQueryStringW(0, ASSOCSTR_COMMAND, L".pdf", L"open", command, &size) == S_OK ? command : L"";
}

// For the life of the object, PDF files open with a command that writes the
// opened path into `marker`, where the shell lets a test say so: the user's
// own classes (Windows), else HKEY_CLASSES_ROOT, since this Wine does not
// merge the user's classes into it. Where a choice the user made in Windows
// itself wins over both, in_effect() is false.
class PdfOpensIntoMarker {
public:
    explicit PdfOpensIntoMarker(const std::wstring& marker) : command_(L"cmd.exe /c echo %1> \"" + marker + L"\"") {
        for (const auto& place : {Place{HKEY_CURRENT_USER, L"Software\\Classes\\"}, Place{HKEY_CLASSES_ROOT, L""}}) {
            set(place);
            if (in_effect()) break;
        }
    }
    ~PdfOpensIntoMarker() {
        for (const Changed& c : changed_) {
            if (c.had_previous)
                set_key_default(c.place.root, c.place.prefix + L".pdf", c.previous);
            else
                RegDeleteTreeW(c.place.root, (c.place.prefix + L".pdf").c_str());
            RegDeleteTreeW(c.place.root, (c.place.prefix + kOpenedPdfClass).c_str());
        }
    }
    PdfOpensIntoMarker(const PdfOpensIntoMarker&) = delete;
    PdfOpensIntoMarker& operator=(const PdfOpensIntoMarker&) = delete;
    bool in_effect() const { return pdf_open_command().find(command_.substr(0, 20)) != std::wstring::npos; }

private:
    struct Place {
        HKEY root;
        std::wstring prefix;
    };
    struct Changed {
        Place place;
        std::wstring previous;
        bool had_previous;
    };
    void set(const Place& place) {
        Changed c{place, L"", false};
        c.had_previous = key_default(place.root, place.prefix + L".pdf", &c.previous);
        if (set_key_default(place.root, place.prefix + kOpenedPdfClass + L"\\shell\\open\\command", command_) &&
            set_key_default(place.root, place.prefix + L".pdf", kOpenedPdfClass))
            changed_.push_back(c);
    }

    std::wstring command_;
    std::vector<Changed> changed_;
};

std::wstring item_text(HWND dialog, int id) {
    wchar_t text[1024] = L"";
    GetDlgItemTextW(dialog, id, text, 1024);
    return text;
}

// The file name box of a file dialog: the combo box of the Explorer-style
// dialog, or the plain edit box.
int file_name_id(HWND dialog) { return GetDlgItem(dialog, 1148) ? 1148 : 1152; }

void click(HWND dialog, int id) {
    DWORD_PTR result;
    SendMessageTimeoutW(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result);
}

void press(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

int count_of(const std::vector<unsigned char>& bytes, const std::string& what) {
    int n = 0;
    for (auto at = bytes.begin();
         (at = std::search(at, bytes.end(), what.begin(), what.end())) != bytes.end(); at += what.size())
        ++n;
    return n;
}

class DesktopPdfStamp : public ::testing::Test {
protected:
    void SetUp() override {
        t::end_all_copies();
        t::remove_tree(t::settings_folder());
    }
    void TearDown() override {
        t::close_program(program_);
        t::end_all_copies();
        t::remove_tree(t::settings_folder());
    }
    HWND wait_for_dialog(const wchar_t* title) {
        return t::wait_for_window([&] { return t::find_program_window(program_.pid, L"#32770", title); });
    }

    t::Program program_;
};

TEST_F(DesktopPdfStamp, TheMenuCommandStampsEveryPageAsksAboutTheSignatureAndOpensTheCopy) {
    t::TempFolder folder;
    const std::wstring input = folder.file(L"invoice.pdf");
    const std::wstring output = folder.file(L"invoice_捺印.pdf");
    const std::wstring marker = folder.file(L"opened.txt");
    ASSERT_TRUE(t::write_bytes(input, t::sample_pdf(2, true)));
    PdfOpensIntoMarker association(marker);
    const bool opening_seen = association.in_effect();
    if (!opening_seen) std::printf("PDF files open with the user's own choice here: the copy is not opened\n");

    ASSERT_TRUE(t::write_settings(L"STATIONTYPE=1\r\n"));
    program_ = t::start_program();
    const HWND main = t::wait_for_main_window(program_.pid);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_COMMAND, 117, 0);  // PDFに捺印…

    HWND open = wait_for_dialog(L"捺印する PDF を開く");
    ASSERT_NE(open, nullptr);
    SetDlgItemTextW(open, file_name_id(open), input.c_str());
    press(open, IDOK);

    HWND choices = wait_for_dialog(L"PDFに捺印");
    ASSERT_NE(choices, nullptr);
    EXPECT_EQ(IsDlgButtonChecked(choices, 201), BST_CHECKED);  // the first page, as nothing was chosen yet
    click(choices, 203);  // every page
    click(choices, 217);  // bottom left
    SetDlgItemTextW(choices, 220, L"15");
    if ((IsDlgButtonChecked(choices, 221) == BST_CHECKED) != opening_seen) click(choices, 221);  // open afterwards
    press(choices, IDOK);

    HWND save = wait_for_dialog(L"捺印した PDF の保存");
    ASSERT_NE(save, nullptr);
    // Beside the original: taken as proposed, the copy lands there.
    EXPECT_TRUE(item_text(save, file_name_id(save)) == L"invoice_捺印.pdf") << "proposed another name";
    press(save, IDOK);

    HWND question = wait_for_dialog(kTitle);
    ASSERT_NE(question, nullptr);
    EXPECT_NE(item_text(question, 0xFFFF).find(L"電子署名"), std::wstring::npos);
    EXPECT_FALSE(t::file_exists(output)) << "written before the answer";
    press(question, IDYES);

    // Opened, and told of the signature's warning (which also comes when not opened).
    HWND told = t::wait_for_window(
        [&] {
            HWND box = t::find_program_window(program_.pid, L"#32770", kTitle);
            return box != question ? box : nullptr;
        },
        400);
    ASSERT_NE(told, nullptr);
    press(told, IDOK);
    if (opening_seen) {
        for (int i = 0; i < 100 && t::read_bytes(marker).empty(); ++i) Sleep(50);
        EXPECT_GT(count_of(t::read_bytes(marker), "invoice_"), 0) << "the copy was not opened";
    }

    const std::vector<unsigned char> stamped = t::read_bytes(output);
    ASSERT_GT(stamped.size(), 5u);
    EXPECT_EQ(std::string(stamped.begin(), stamped.begin() + 5), "%PDF-");
    EXPECT_EQ(count_of(stamped, "/Markomi2Stamp1 "), 2) << "not on both pages";
    const std::vector<std::wstring> lines = t::split_lines(t::utf16_file_text(t::settings_file()));
    const wchar_t* remembered[] = {L"[PDF]", L"PAGE=2", L"POSITION=6", L"MARGIN=15", opening_seen ? L"OPEN=1" : L"OPEN=0"};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_NE(std::find(lines.begin(), lines.end(), remembered[i]), lines.end()) << "remembered line " << i;
    t::close_program(program_);
}

}  // namespace
