// "PDFに捺印…" through every window of the real program: the open dialog,
// the stamping window, the summary, the copies opened by the
// program the system names for PDF files, and the choices remembered in the
// settings file.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/support/companion_run.h"
#include "app/support/program_driver.h"
#include "output/pdf_sign/signing_certificates_win.h"
#include "support/decoded_image.h"
#include "support/sample_pdf.h"
#include "support/test_files.h"
#include "ui/stamping_window_ids.h"
#include "ui/stamping_window_rules.h"

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

// Where a reader draws the stamp on `page` of a copy: the middle of the
// green frame's ink on the page as the companion renders it at 100 dpi, in
// mm from the top-left; nullopt when there is no such ink.
std::optional<std::pair<double, double>> green_ink_centre(const std::wstring& pdf, int page, const std::wstring& png) {
    const t::CompanionRun run = t::run_companion(L"--render \"" + pdf + L"\" --page " + std::to_wstring(page) +
                                                 L" --dpi 100 --out \"" + png + L"\"");
    if (run.code != 0) return std::nullopt;
    const t::DecodedImage image = t::decode_image_file(png);
    double sum_x = 0, sum_y = 0;
    long count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t c = image.at(x, y);
            const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            if (g > 160 && r < 120 && b < 120) {
                sum_x += x + 0.5;
                sum_y += y + 0.5;
                ++count;
            }
        }
    if (count < 20) return std::nullopt;
    return std::make_pair(sum_x / count * 25.4 / 100, sum_y / count * 25.4 / 100);
}

std::wstring list_item(HWND list, int index) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(list, LB_GETTEXTLEN, index, 0, SMTO_NORMAL, 5000, &length) || length > 1000) return L"";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, 5000, &got);
    text.resize(got);
    return text;
}

// Two documents opened into the stamping window (the open dialog, then
// 追加…), a click on the page, another design, every page: both copies
// saved beside their originals with the stamp's centre where the click was,
// in the chosen design's colour, as a reader draws them; the signature kept; the
// choices and the window's place remembered.
TEST_F(DesktopPdfStamp, TwoDocumentsGetTheStampWhereThePageWasClicked) {
    t::TempFolder folder;
    const std::wstring first = folder.file(L"invoice.pdf"), second = folder.file(L"receipt.pdf");
    const std::wstring marker = folder.file(L"opened.txt"), memo = folder.file(L"memo.pdf");
    ASSERT_TRUE(t::write_bytes(first, t::sample_pdf(1, false)));
    ASSERT_TRUE(t::write_bytes(memo, {'m', 'e', 'm', 'o'}));
    ASSERT_TRUE(t::write_bytes(second, t::sample_pdf(2, true)));
    PdfOpensIntoMarker association(marker);
    const bool opening_seen = association.in_effect();
    if (!opening_seen) std::printf("PDF files open with the user's own choice here: the copies are not opened\n");

    // The third design's frame in green: the copies show which design went on.
    ASSERT_TRUE(t::write_settings(L"STATIONTYPE=1\r\nWAKU3_COLOR=65280\r\nNAME=検印\r\n"));
    program_ = t::start_program();
    const HWND main = t::wait_for_main_window(program_.pid);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_COMMAND, 117, 0);  // PDFに捺印…

    HWND open = wait_for_dialog(L"捺印する PDF を開く");
    ASSERT_NE(open, nullptr);
    SetDlgItemTextW(open, file_name_id(open), first.c_str());
    press(open, IDOK);
    const HWND window = t::wait_for_window(
        [&] { return t::find_program_window(program_.pid, markomi::kStampingWindowClass, L"PDFに捺印"); });
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(t::wait_for_window([&] { return GetForegroundWindow() == window ? window : nullptr; }))
        << "the window did not take the keyboard";
    press(window, markomi::kIdAdd);
    open = wait_for_dialog(L"捺印する PDF を開く");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(GetWindow(open, GW_OWNER), window) << "the open dialog is not the window's";
    SetDlgItemTextW(open, file_name_id(open), second.c_str());
    press(open, IDOK);
    // A third that is no PDF: refused in the list at once, the others go on.
    ASSERT_TRUE(t::wait_for_window([&] { return t::find_program_window(program_.pid, L"#32770", L"捺印する PDF を開く") ? nullptr : window; }));
    press(window, markomi::kIdAdd);
    open = wait_for_dialog(L"捺印する PDF を開く");
    ASSERT_NE(open, nullptr);
    SetDlgItemTextW(open, file_name_id(open), memo.c_str());
    press(open, IDOK);

    // Both checked (their page counts in the list) and the first page known.
    HWND list = GetDlgItem(window, markomi::kIdDocuments);
    ASSERT_TRUE(t::wait_for_window([&] {
        return list_item(list, 0).find(L"1 ページ") != std::wstring::npos &&
                       list_item(list, 1).find(L"2 ページ") != std::wstring::npos &&
                       list_item(list, 2).find(L"×") != std::wstring::npos
                   ? list
                   : nullptr;
    })) << "the documents were not checked";
    EXPECT_TRUE(item_text(window, markomi::kIdPageCount) == L"1 / 1 ページ");

    // The click, at 150 mm across and 60 mm down the page as the window shows it.
    const HWND view = GetDlgItem(window, markomi::kIdPageView);
    RECT client{};
    GetClientRect(view, &client);
    const double page_w_mm = std::round(595 * 254.0 / 72) / 10, page_h_mm = std::round(842 * 254.0 / 72) / 10;
    const markomi::PageFit fit = markomi::fit_page(client.right, client.bottom, page_w_mm, page_h_mm, markomi::kPageViewBorder);
    ASSERT_GT(fit.px_per_mm, 0);
    const int x = static_cast<int>(fit.left + 150 * fit.px_per_mm), y = static_cast<int>(fit.top + 60 * fit.px_per_mm);
    const markomi::PdfMmPoint clicked = markomi::page_point_mm(fit, x, y);
    // First at the page's corner, where half the stamp falls off: refused as
    // chosen; ten steps of the arrow keys bring it whole onto the page.
    const int corner_x = static_cast<int>(fit.left + 2 * fit.px_per_mm), corner_y = static_cast<int>(fit.top + 2 * fit.px_per_mm);
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(corner_x, corner_y));
    PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(corner_x, corner_y));
    ASSERT_TRUE(t::wait_for_window([&] {
        return item_text(window, markomi::kIdStatus).find(L"収まりません") != std::wstring::npos ? window : nullptr;
    })) << "a stamp off the page was not refused";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, markomi::kIdSave)));
    RECT shown{};
    GetWindowRect(window, &shown);
    t::save_screen_artifact(shown, L"stamping-window-off-page");
    for (int i = 0; i < 10; ++i) {
        PostMessageW(view, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(view, WM_KEYDOWN, VK_RIGHT, 0);
    }
    ASSERT_TRUE(t::wait_for_window([&] { return IsWindowEnabled(GetDlgItem(window, markomi::kIdSave)) ? window : nullptr; }))
        << "the keys did not bring the stamp onto the page";
    PostMessageW(view, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(x, y));

    const HWND design = GetDlgItem(window, markomi::kIdChoices);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(design, CB_SETCURSEL, 2, 0, SMTO_NORMAL, 5000, &result);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(markomi::kIdChoices, CBN_SELCHANGE), reinterpret_cast<LPARAM>(design));
    // A page the shown document lacks is told as it is typed.
    click(window, markomi::kIdListedPages);
    SetDlgItemTextW(window, markomi::kIdPagesText, L"1-3");
    const std::wstring problem = item_text(window, markomi::kIdPagesProblem);
    EXPECT_TRUE(problem == L"2 ページはありません(全 1 ページ)") << "told: " << problem.size() << " characters";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, markomi::kIdSave)));
    click(window, markomi::kIdAllPages);
    if ((IsDlgButtonChecked(window, markomi::kIdOpenAfter) == BST_CHECKED) != opening_seen)
        click(window, markomi::kIdOpenAfter);
    ASSERT_TRUE(t::wait_for_window([&] { return IsWindowEnabled(GetDlgItem(window, markomi::kIdSave)) ? window : nullptr; }));
    t::pump_messages(500);  // for the picture alone: the page has had time to come
    t::save_screen_artifact(shown, L"stamping-window");
    // A certificate of one's own, made from the NAME line, and the copies signed with it.
    press(window, markomi::kIdSigning + 3);
    HWND make = wait_for_dialog(kTitle);
    ASSERT_NE(make, nullptr);
    EXPECT_NE(item_text(make, 0xFFFF).find(L"個人用の証明書"), std::wstring::npos);
    press(make, IDYES);
    ASSERT_TRUE(t::wait_for_window([&] {
        return IsDlgButtonChecked(window, markomi::kIdSigning) == BST_CHECKED ? window : nullptr;
    }, 600)) << "no certificate was made";
    EXPECT_NE(item_text(window, markomi::kIdSigning + 2).find(L"検印"), std::wstring::npos);
    // Away from the screen's middle: its questions open over it all the same.
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    press(window, markomi::kIdSave);

    // No question about the signed receipt: the stamp is appended, and the
    // summary of the pile (its text in the dialog's edit, 301) tells that its
    // signature still holds.
    HWND told = t::wait_for_window(
        [&] { return t::find_program_window(program_.pid, L"#32770", L"PDFに捺印"); }, 600);
    ASSERT_NE(told, nullptr);
    const auto centred_on_window = [&]() -> HWND {
        RECT w{}, q{};
        GetWindowRect(window, &w);
        GetWindowRect(told, &q);
        return std::abs((q.left + q.right) - (w.left + w.right)) <= 4 && std::abs((q.top + q.bottom) - (w.top + w.bottom)) <= 4
                   ? told
                   : nullptr;
    };
    EXPECT_NE(t::wait_for_window(centred_on_window, 40), nullptr) << "the summary is not centred on the window";
    const std::wstring summary = item_text(told, 301);
    EXPECT_NE(summary.find(L"invoice_捺印.pdf"), std::wstring::npos);
    EXPECT_NE(summary.find(L"receipt_捺印.pdf"), std::wstring::npos);
    EXPECT_NE(summary.find(L"電子署名(1 件)は、この写しでも有効です"), std::wstring::npos);
    EXPECT_NE(summary.find(L"電子署名: 検印"), std::wstring::npos);
    press(told, IDOK);
    EXPECT_TRUE(t::wait_for_window([&] { return IsWindow(window) ? nullptr : main; })) << "the window stayed open";
    if (opening_seen) {
        for (int i = 0; i < 100 && count_of(t::read_bytes(marker), "_") == 0; ++i) Sleep(50);
        EXPECT_GT(count_of(t::read_bytes(marker), "_"), 0) << "no copy was opened";
    }

    const std::pair<const wchar_t*, int> copies[] = {{L"invoice_捺印.pdf", 1}, {L"receipt_捺印.pdf", 2}};
    for (const auto& copy : copies) {
        for (int page = 1; page <= copy.second; ++page) {
            const std::optional<std::pair<double, double>> centre =
                green_ink_centre(folder.file(copy.first), page, folder.file(L"page.png"));
            ASSERT_TRUE(centre) << "no stamp of the third design on page " << page << " of " << copy.second;
            EXPECT_NEAR(centre->first, clicked.x_mm, 1.0) << page;
            EXPECT_NEAR(centre->second, clicked.y_mm, 1.0) << page;
        }
    }
    // The companion's own check: the copy's new signature holds, by 検印.
    const t::CompanionRun verified = t::run_companion(L"--verify \"" + folder.file(L"invoice_捺印.pdf") + L"\"");
    EXPECT_EQ(verified.code, 0u) << verified.out;
    EXPECT_NE(verified.out.find("\"signer\":\"\xE6\xA4\x9C\xE5\x8D\xB0\""), std::string::npos) << verified.out;
    // The signed copy opened again: its list names the stamp and what holds
    // it; the line chosen, the page shows its outline.
    PostMessageW(main, WM_COMMAND, 117, 0);
    open = wait_for_dialog(L"捺印する PDF を開く");
    ASSERT_NE(open, nullptr);
    SetDlgItemTextW(open, file_name_id(open), folder.file(L"invoice_捺印.pdf").c_str());
    press(open, IDOK);
    const HWND again = t::wait_for_window(
        [&] { return t::find_program_window(program_.pid, markomi::kStampingWindowClass, L"PDFに捺印"); });
    ASSERT_NE(again, nullptr);
    const HWND found = GetDlgItem(again, markomi::kIdFound);
    ASSERT_TRUE(t::wait_for_window([&] { return list_item(found, 0).find(L"署名") != std::wstring::npos ? found : nullptr; }, 600))
        << "the signed stamp is not listed";
    const std::wstring line = list_item(found, 0);
    EXPECT_NE(line.find(L" 技術部 検印 ― 署名 "), std::wstring::npos) << "listed: " << line.size() << " characters";
    EXPECT_EQ(list_item(found, 1), L"");
    DWORD_PTR chosen = 0;
    SendMessageTimeoutW(found, LB_SETCURSEL, 0, 0, SMTO_NORMAL, 5000, &chosen);
    PostMessageW(again, WM_COMMAND, MAKEWPARAM(markomi::kIdFound, LBN_SELCHANGE), reinterpret_cast<LPARAM>(found));
    t::pump_messages(1500);  // for the picture alone: the page has had time to come
    GetWindowRect(again, &shown);
    t::save_screen_artifact(shown, L"stamping-window-found");
    PostMessageW(again, WM_CLOSE, 0, 0);
    EXPECT_TRUE(t::wait_for_window([&] { return IsWindow(again) ? nullptr : main; })) << "the window stayed open";
    const std::vector<std::wstring> lines = t::split_lines(t::utf16_file_text(t::settings_file()));
    // The certificate is remembered by its thumbprint, then taken out of the store again.
    const auto remembered = std::find_if(lines.begin(), lines.end(), [](const std::wstring& l) { return l.rfind(L"CERTIFICATE=", 0) == 0; });
    ASSERT_NE(remembered, lines.end()) << "the certificate was not remembered";
    EXPECT_TRUE(markomi::remove_personal_certificate(remembered->substr(12)));
    for (const wchar_t* remembered : {L"[PDF]", L"PAGE=2", opening_seen ? L"OPEN=1" : L"OPEN=0"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), remembered), lines.end()) << "not remembered";
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::wstring& l) { return l.rfind(L"WINWIDTH=", 0) == 0; }))
        << "the window's place was not remembered";
    t::close_program(program_);
}

}  // namespace
