// "PDFに捺印…" as the program does it: the companion run from the program
// with the program's own settings, its reply read back. (The stamping window
// itself is driven whole in tests/win/app/pdf_stamp_drive_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/wide_text_win.h"
#include "settings/memory_profile.h"
#include "settings/settings_rules.h"
#include "support/sample_pdf.h"
#include "support/small_disk.h"
#include "support/test_files.h"
#include "ui/pdf_stamp_win.h"

namespace markomi {
namespace {

namespace t = markomi::testing;

class PdfStamp : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = folder_root_.path() + L"\\受付 書類";
        CreateDirectoryW(folder_.c_str(), nullptr);
        MemoryProfile empty;
        load_settings_from(empty, set_);
        set_.date = StampDate{2025, 5, 1, 0, 0, 0, 4};
    }
    PdfStampRequest request(const wchar_t* input, const wchar_t* output) const {
        PdfStampRequest r;
        r.slot = 2;
        r.date = set_.date;
        r.input = as_u16(std::wstring_view(folder_ + L"\\" + input));
        r.output = as_u16(std::wstring_view(folder_ + L"\\" + output));
        return r;
    }

    t::TempFolder folder_root_;
    std::wstring folder_;
    SettingsSet set_;
};

// The program hands the companion paths with blanks and Japanese, a
// settings file of its own and the choices; the reply is read back for the
// stamped pages, the refusals and the signature's warning.
TEST_F(PdfStamp, TheCompanionStampsWithTheProgramsChoicesAndTellsWhyItRefuses) {
    ASSERT_TRUE(t::write_bytes(folder_ + L"\\請求書.pdf", t::sample_pdf(1, false)));
    ASSERT_TRUE(t::write_bytes(folder_ + L"\\署名済み.pdf", t::sample_pdf(1, true)));

    PdfStampRequest all = request(L"請求書.pdf", L"請求書_捺印.pdf");
    all.options.page = 2;
    all.options.position = 0;
    all.options.margin = 5;
    std::optional<PdfStampReply> reply = stamp_pdf_with_companion(set_, all);
    ASSERT_TRUE(reply) << "the companion gave no reply";
    EXPECT_TRUE(reply->stamped);
    EXPECT_EQ(reply->pages, std::vector<int>{1});
    EXPECT_EQ(reply->page_count, 1);
    EXPECT_EQ(reply->warnings, 0);
    const std::vector<unsigned char> stamped = t::read_bytes(folder_ + L"\\請求書_捺印.pdf");
    ASSERT_GT(stamped.size(), 5u);
    EXPECT_EQ(std::string(stamped.begin(), stamped.begin() + 5), "%PDF-");

    PdfStampRequest missing = request(L"請求書.pdf", L"三頁目.pdf");
    missing.options.page = 3;
    missing.options.pages = u"3";
    reply = stamp_pdf_with_companion(set_, missing);
    ASSERT_TRUE(reply);
    EXPECT_FALSE(reply->stamped);
    EXPECT_EQ(reply->refusal, PdfRefusal::kNoSuchPage);
    EXPECT_EQ(reply->page, 3);
    EXPECT_FALSE(t::file_exists(folder_ + L"\\三頁目.pdf"));

    // The stamp is appended to a signed document without a word: the
    // signature still covers the bytes it signed.
    PdfStampRequest signed_copy = request(L"署名済み.pdf", L"署名済み_捺印.pdf");
    reply = stamp_pdf_with_companion(set_, signed_copy);
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->stamped);
    EXPECT_EQ(reply->warnings, 0);
    const std::vector<unsigned char> signed_input = t::read_bytes(folder_ + L"\\署名済み.pdf");
    const std::vector<unsigned char> signed_stamped = t::read_bytes(folder_ + L"\\署名済み_捺印.pdf");
    ASSERT_GT(signed_stamped.size(), signed_input.size());
    EXPECT_TRUE(std::equal(signed_input.begin(), signed_input.end(), signed_stamped.begin()));

    // A read-only copy from before is not replaced, and the failure is told.
    const std::wstring kept = folder_ + L"\\控え.pdf";
    ASSERT_TRUE(t::write_bytes(kept, {'o', 'l', 'd'}));
    SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_READONLY);
    reply = stamp_pdf_with_companion(set_, request(L"請求書.pdf", L"控え.pdf"));
    SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(reply);
    EXPECT_FALSE(reply->stamped);
    EXPECT_EQ(reply->refusal, PdfRefusal::kDenied);
    EXPECT_EQ(t::read_bytes(kept), (std::vector<unsigned char>{'o', 'l', 'd'}));
    // The two originals, the two copies and the old one, and no staging file beside them.
    EXPECT_EQ(t::folder_entries(folder_).size(), 5u);
    // The replies and settings copies are gone, though the companion's console host held them.
    wchar_t temp[MAX_PATH + 1] = L"";
    GetTempPathW(MAX_PATH + 1, temp);
    WIN32_FIND_DATAW found;
    HANDLE left = FindFirstFileW((temp + (L"Markomi2-" + std::to_wstring(GetCurrentProcessId()) + L"-*")).c_str(), &found);
    EXPECT_EQ(left, INVALID_HANDLE_VALUE) << found.cFileName;
}

// Several documents in one run: a refusal of one, whatever its cause, never
// stops the others; each reply is its own document's, in order; a copy that
// cannot be written says why and keeps what was there.
TEST_F(PdfStamp, ABatchStampsEachDocumentAndTellsWhyOneWasNot) {
    ASSERT_TRUE(t::write_bytes(folder_ + L"\\請求書.pdf", t::sample_pdf(2, false)));
    ASSERT_TRUE(t::write_bytes(folder_ + L"\\偽物.pdf", {'n', 'o', 't'}));
    const std::vector<unsigned char> old = {'o', 'l', 'd'};
    for (const wchar_t* name : {L"\\開いている.pdf", L"\\読み取り専用.pdf"})
        ASSERT_TRUE(t::write_bytes(folder_ + name, old));
    SetFileAttributesW((folder_ + L"\\読み取り専用.pdf").c_str(), FILE_ATTRIBUTE_READONLY);
    // Held as a reader that shares nothing holds it.
    HANDLE held = CreateFileW((folder_ + L"\\開いている.pdf").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    auto item = [&](const wchar_t* in, const wchar_t* out) {
        const std::wstring from = folder_ + L"\\" + in, to = folder_ + L"\\" + out;
        return PdfBatchItem{std::u16string(as_u16(std::wstring_view(from))),
                            std::u16string(as_u16(std::wstring_view(to)))};
    };
    const std::vector<PdfBatchItem> items = {
        item(L"請求書.pdf", L"一.pdf"),         item(L"偽物.pdf", L"二.pdf"),
        item(L"請求書.pdf", L"開いている.pdf"), item(L"請求書.pdf", L"読み取り専用.pdf"),
        item(L"請求書.pdf", L"無い\\三.pdf"),   item(L"請求書.pdf", L"四.pdf"),
    };
    PdfStampOptions options;
    options.page = 1;  // the last
    const std::vector<PdfStampReply> replies = stamp_pdfs_with_companion(
        set_, 1, set_.date, items, options,
        PdfPosition{PdfAnchor::kFromCorner, 30, 30, 10, PdfAnchor::kBottomLeft}, true);
    CloseHandle(held);
    SetFileAttributesW((folder_ + L"\\読み取り専用.pdf").c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(replies.size(), items.size());
    EXPECT_TRUE(replies[0].stamped);
    EXPECT_EQ(replies[0].pages, std::vector<int>{2});
    const PdfRefusal refused[] = {PdfRefusal::kNotPdf, PdfRefusal::kOutputLocked,
                                  PdfRefusal::kDenied, PdfRefusal::kNoFolder};
    for (std::size_t i = 1; i <= 4; ++i) {
        EXPECT_FALSE(replies[i].stamped) << i;
        EXPECT_EQ(replies[i].refusal, refused[i - 1]) << i;
    }
    EXPECT_TRUE(replies[5].stamped);
    EXPECT_TRUE(t::file_exists(folder_ + L"\\四.pdf"));
    EXPECT_FALSE(t::file_exists(folder_ + L"\\二.pdf"));
    for (const wchar_t* name : {L"\\開いている.pdf", L"\\読み取り専用.pdf"})
        EXPECT_EQ(t::read_bytes(folder_ + name), old);
    // The two inputs, the two old files and the two copies: no staging file left.
    EXPECT_EQ(t::folder_entries(folder_).size(), 6u);

    // Without replacing, a copy already there is refused and keeps its bytes.
    const std::vector<unsigned char> first = t::read_bytes(folder_ + L"\\一.pdf");
    const std::vector<PdfStampReply> again = stamp_pdfs_with_companion(
        set_, 1, set_.date, {item(L"請求書.pdf", L"一.pdf"), item(L"請求書.pdf", L"五.pdf")},
        PdfStampOptions{}, std::nullopt, false);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0].refusal, PdfRefusal::kExists);
    EXPECT_TRUE(again[1].stamped);
    EXPECT_EQ(t::read_bytes(folder_ + L"\\一.pdf"), first);
    // One document alone, which the companion's single form would replace.
    EXPECT_EQ(stamp_pdfs_with_companion(set_, 1, set_.date, {item(L"請求書.pdf", L"一.pdf")},
                                        PdfStampOptions{}, std::nullopt, false)
                  .front()
                  .refusal,
              PdfRefusal::kExists);
    EXPECT_EQ(t::read_bytes(folder_ + L"\\一.pdf"), first);

    // Names too long for one command line go in several runs, the replies
    // still in order: [missing, stamped] [missing] [missing].
    const std::wstring long_name = folder_ + L"\\" + std::wstring(13000, L'x') + L".pdf";
    const PdfBatchItem missing{std::u16string(as_u16(std::wstring_view(long_name))),
                               u"C:\\unused.pdf"};
    const std::vector<PdfStampReply> split = stamp_pdfs_with_companion(
        set_, 1, set_.date, {missing, item(L"請求書.pdf", L"六.pdf"), missing, missing},
        PdfStampOptions{}, std::nullopt, true);
    ASSERT_EQ(split.size(), 4u);
    EXPECT_TRUE(split[1].stamped);
    for (std::size_t i : {0, 2, 3}) EXPECT_EQ(split[i].refusal, PdfRefusal::kMissing) << i;
}

// The reply lists every stamped page: for tens of thousands of pages it
// passes 1 MiB, and it is read whole after the companion's messages.
TEST_F(PdfStamp, ALongReplyIsReadWhole) {
    std::string text = "warning: the document was repaired\n{\"pages\":[1";
    for (int page = 2; page <= 300000; ++page) text += "," + std::to_string(page);
    text += "],\"page_count\":300000,\"warnings\":[\"repaired\"]}\n";  // about 2 MB
    ASSERT_TRUE(t::write_bytes(folder_ + L"\\reply.txt", std::vector<unsigned char>(text.begin(), text.end())));
    const std::optional<PdfStampReply> reply = read_companion_reply(folder_ + L"\\reply.txt");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->pages.size(), 300000u);
    EXPECT_EQ(reply->warnings, 1);
}

// A stamped copy that does not fit on the disk is not written: the earlier
// copy keeps its bytes, no staging file is left, the refusal says so; once
// there is room, the same stamping goes through.
TEST_F(PdfStamp, ACopyThatDoesNotFitOnTheDiskLeavesTheEarlierCopy) {
    if (!t::file_exists(t::kSmallDriveMarker)) GTEST_SKIP() << t::small_drive_missing_reason();
    const t::SmallDiskFolder disk(L"捺印");
    ASSERT_TRUE(disk.created());
    folder_ = disk.path();

    ASSERT_TRUE(t::write_bytes(folder_ + L"\\請求書.pdf", t::sample_pdf(1, false)));
    PdfStampRequest first = request(L"請求書.pdf", L"請求書_捺印.pdf");
    std::optional<PdfStampReply> reply = stamp_pdf_with_companion(set_, first);
    ASSERT_TRUE(reply && reply->stamped);
    const std::vector<unsigned char> earlier = t::read_bytes(folder_ + L"\\請求書_捺印.pdf");

    ASSERT_TRUE(disk.fill());
    PdfStampRequest again = first;
    again.options.position = 6;  // bottom left: other bytes than the earlier copy's
    reply = stamp_pdf_with_companion(set_, again);
    ASSERT_TRUE(reply);
    EXPECT_FALSE(reply->stamped);
    EXPECT_EQ(reply->refusal, PdfRefusal::kDiskFull);
    EXPECT_EQ(t::read_bytes(folder_ + L"\\請求書_捺印.pdf"), earlier);
    EXPECT_EQ(t::folder_entries(folder_).size(), 2u) << "a staging file was left";

    ASSERT_TRUE(disk.make_room());
    reply = stamp_pdf_with_companion(set_, again);
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->stamped);
    EXPECT_NE(t::read_bytes(folder_ + L"\\請求書_捺印.pdf"), earlier);
}

}  // namespace
}  // namespace markomi
