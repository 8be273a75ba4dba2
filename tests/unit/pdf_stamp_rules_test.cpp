#include <gtest/gtest.h>

#include <algorithm>

#include "ui/pdf_stamp_rules.h"

namespace markomi {
namespace {

// The companion must get back exactly the paths the user chose, whatever
// blanks, quotes and trailing backslashes they hold.
TEST(PdfStampRules, EachArgumentSurvivesTheCommandLine) {
    const struct {
        const char16_t* argument;
        const char16_t* written;
    } cases[] = {
        {u"C:\\受付\\請求書.pdf", u"C:\\受付\\請求書.pdf"},
        {u"C:\\My Files\\a b.pdf", u"\"C:\\My Files\\a b.pdf\""},
        {u"C:\\dir with space\\", u"\"C:\\dir with space\\\\\""},
        {u"say \"hi\".pdf", u"\"say \\\"hi\\\".pdf\""},
        {u"a\\\\\"b", u"\"a\\\\\\\\\\\"b\""},
        {u"", u"\"\""},
    };
    for (const auto& c : cases) EXPECT_EQ(command_line_argument(c.argument), c.written);

    PdfStampRequest request;
    request.ini = u"C:\\Temp\\m.ini";
    request.slot = 3;
    request.date = StampDate{2025, 5, 1};
    request.input = u"in.pdf";
    request.output = u"out.pdf";
    request.options.page = 3;
    request.options.pages = u"2,4";
    request.options.position = 6;
    request.options.margin = 15;
    request.allow_signed = true;
    EXPECT_EQ(pdf_stamp_arguments(request),
              (std::vector<std::u16string>{u"--ini", u"C:\\Temp\\m.ini", u"--slot", u"3", u"--date", u"2025-05-01",
                                           u"--stamp-onto", u"in.pdf", u"--out", u"out.pdf", u"--page", u"2,4",
                                           u"--at", u"bottom-left", u"--margin", u"15", u"--allow-signed"}));
    // A place kept from a corner replaces the grid place and its margin.
    request.place = position_from_nearest_corner(210, 297, 180.5, 30);
    request.allow_signed = false;
    const std::vector<std::u16string> args = pdf_stamp_arguments(request);
    EXPECT_EQ(std::vector<std::u16string>(args.begin() + 12, args.end()),
              (std::vector<std::u16string>{u"--at", u"top-right:29.5,30"}));
    EXPECT_EQ(stamped_pdf_name(u"C:\\受付\\請求書.PDF"), u"C:\\受付\\請求書_捺印.pdf");
    EXPECT_EQ(stamped_pdf_name(u"見積"), u"見積_捺印.pdf");

    // A taken name gets the first free number; all 999 taken gives none.
    std::vector<std::u16string> taken = {u"D:\\請求書_捺印.pdf", u"D:\\請求書_捺印 (2).pdf"};
    auto exists = [&](const std::u16string& n) { return std::find(taken.begin(), taken.end(), n) != taken.end(); };
    EXPECT_EQ(unused_stamped_pdf_name(u"D:\\請求書.PDF", exists), u"D:\\請求書_捺印 (3).pdf");
    EXPECT_EQ(unused_stamped_pdf_name(u"D:\\見積.pdf", exists), u"D:\\見積_捺印.pdf");
    int asked = 0;
    EXPECT_EQ(unused_stamped_pdf_name(u"a.pdf", [&](const std::u16string&) { return ++asked > 0; }), u"");
    EXPECT_EQ(asked, 999);
}

TEST(PdfStampRules, TheRepliesRefusalPagesAndWarningsAreRead) {
    PdfStampReply refused = read_pdf_stamp_reply(u"{\"refused\":\"no-such-page\",\"page\":5,\"page_count\":2}");
    EXPECT_FALSE(refused.stamped);
    EXPECT_EQ(refused.refusal, PdfRefusal::kNoSuchPage);
    EXPECT_EQ(refused.page, 5);
    EXPECT_EQ(refused.page_count, 2);
    EXPECT_EQ(read_pdf_stamp_reply(u"{\"refused\":\"signed\",\"page\":0,\"page_count\":0}").refusal,
              PdfRefusal::kSigned);

    PdfStampReply stamped = read_pdf_stamp_reply(
        u"{\"slot\":1,\"page_count\":3,\"pages\":[1,3],\"placements\":[{\"page\":1,\"x_mm\":190.2}],"
        u"\"warnings\":[\"file is damaged\",\"a \\\"quoted]\\\" one\"],\"repaired\":true,\"signed\":false}");
    EXPECT_TRUE(stamped.stamped);
    EXPECT_EQ(stamped.pages, (std::vector<int>{1, 3}));
    EXPECT_EQ(stamped.page_count, 3);
    EXPECT_EQ(stamped.warnings, 2);
    // A repaired file and a voided signature are told apart, each in its own words.
    const std::u16string repaired = pdf_stamped_message(stamped, u"C:\\受付\\x_捺印.pdf");
    EXPECT_NE(repaired.find(u"修復"), std::u16string::npos);
    EXPECT_EQ(repaired.find(u"署名"), std::u16string::npos);
    EXPECT_NE(repaired.find(u"x_捺印.pdf\n保存先のフォルダー: C:\\受付"), std::u16string::npos);
    const PdfStampReply signed_only = read_pdf_stamp_reply(
        u"{\"pages\":[1],\"warnings\":[\"signature\"],\"repaired\":false,\"signed\":true}");
    const std::u16string voided = pdf_stamped_message(signed_only, u"C:\\x_捺印.pdf");
    EXPECT_NE(voided.find(u"署名"), std::u16string::npos);
    EXPECT_EQ(voided.find(u"修復"), std::u16string::npos);
    EXPECT_NE(voided.find(u"保存先のフォルダー: C:\\\n"), std::u16string::npos);
    EXPECT_FALSE(read_pdf_stamp_reply(u"").stamped);
}

}  // namespace
}  // namespace markomi
