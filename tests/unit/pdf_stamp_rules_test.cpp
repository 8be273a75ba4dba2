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
    request.flatten = true;
    EXPECT_EQ(pdf_stamp_arguments(request),
              (std::vector<std::u16string>{u"--ini", u"C:\\Temp\\m.ini", u"--slot", u"3", u"--date", u"2025-05-01",
                                           u"--stamp-onto", u"in.pdf", u"--out", u"out.pdf", u"--page", u"2,4",
                                           u"--at", u"bottom-left", u"--margin", u"15", u"--flatten",
                                           u"--allow-signed"}));
    request.flatten = request.allow_signed = false;
    // Signing goes by the remembered certificate and reason; never beside --flatten.
    request.options.sign = 1;
    request.options.reason = 1;
    request.options.certificate = u"ABE8BF8FA2B153445E505F83E212A7F67E8D7CDF";
    std::vector<std::u16string> signed_args = pdf_stamp_arguments(request);
    EXPECT_EQ(std::vector<std::u16string>(signed_args.end() - 4, signed_args.end()),
              (std::vector<std::u16string>{u"--cert", u"ABE8BF8FA2B153445E505F83E212A7F67E8D7CDF",
                                           u"--reason", u"受付"}));
    request.flatten = true;
    signed_args = pdf_stamp_arguments(request);
    EXPECT_EQ(std::count(signed_args.begin(), signed_args.end(), u"--cert"), 0);
    request.flatten = false;
    request.options.sign = 0;
    // A batch gives its pairs in order; the window's place from a corner
    // goes without the margin the companion refuses beside it.
    request.batch = {{u"a.pdf", u"a2.pdf"}, {u"b.pdf", u"b2.pdf"}};
    request.replace = true;
    request.allow_signed = false;
    request.place = PdfPosition{PdfAnchor::kFromCorner, 25.4, 7.05, 10, PdfAnchor::kBottomLeft};
    EXPECT_EQ(
        pdf_stamp_arguments(request),
        (std::vector<std::u16string>{u"--ini", u"C:\\Temp\\m.ini", u"--slot", u"3", u"--date",
                                     u"2025-05-01", u"--stamp-onto", u"a.pdf", u"--out", u"a2.pdf",
                                     u"--stamp-onto", u"b.pdf", u"--out", u"b2.pdf", u"--replace",
                                     u"--page", u"2,4", u"--at", u"bottom-left:25.4,7.05"}));
    const struct {
        PdfPosition place;
        std::vector<std::u16string> at;
    } places[] = {
        {{PdfAnchor::kPoint, 100, 0.004, 10, PdfAnchor::kTopRight}, {u"--at", u"100,0"}},
        {{PdfAnchor::kFromCorner, 12.999, 3.1, 10, PdfAnchor::kTopRight},
         {u"--at", u"top-right:13,3.1"}},
        {{PdfAnchor::kTop, 0, 0, 7.5, PdfAnchor::kTopRight},
         {u"--at", u"top", u"--margin", u"7.5"}},
    };
    for (const auto& p : places) {
        request.place = p.place;
        const std::vector<std::u16string> args = pdf_stamp_arguments(request);
        EXPECT_EQ(std::vector<std::u16string>(args.end() - static_cast<std::ptrdiff_t>(p.at.size()),
                                              args.end()),
                  p.at)
            << p.at[1].size();
    }
    EXPECT_EQ(millimetres_text(-3) + millimetres_text(20000), u"010000");
    // The remembered choices at the ends of their ranges, and a place beyond them.
    const struct {
        int page, position;
        const char16_t *pages, *at;
    } remembered[] = {{0, 0, u"first", u"top-left"}, {2, 8, u"all", u"bottom-right"}, {1, 9, u"last", u"top-right"}};
    request.place.reset();
    for (const auto& r : remembered) {
        request.options.page = r.page;
        request.options.position = r.position;
        const std::vector<std::u16string> args = pdf_stamp_arguments(request);
        const auto page = std::find(args.begin(), args.end(), u"--page");
        ASSERT_LT(page + 3, args.end());
        EXPECT_EQ(*(page + 1), r.pages) << r.page;
        EXPECT_EQ(*(page + 3), r.at) << r.position;
    }
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
    EXPECT_NE(repaired.find(u")。\n\nx_捺印.pdf\n保存先のフォルダー: C:\\受付"), std::u16string::npos);
    const PdfStampReply signed_only = read_pdf_stamp_reply(
        u"{\"pages\":[1],\"warnings\":[\"signature\"],\"repaired\":false,\"signed\":true}");
    const std::u16string voided = pdf_stamped_message(signed_only, u"C:\\x_捺印.pdf");
    EXPECT_NE(voided.find(u"署名"), std::u16string::npos);
    EXPECT_EQ(voided.find(u"修復"), std::u16string::npos);
    EXPECT_NE(voided.find(u"保存先のフォルダー: C:\\\n"), std::u16string::npos);
    // An appended stamp keeps the signatures: told as kept, never as voided.
    const PdfStampReply appended = read_pdf_stamp_reply(
        u"{\"pages\":[1],\"warnings\":[],\"signed\":true,\"incremental\":true,\"kept_signatures\":2}");
    EXPECT_FALSE(appended.was_signed);
    EXPECT_EQ(read_pdf_stamp_reply(u"{\"pages\":[1],\"signed_by\":\"佐藤 \\\"一\\\"\"}").signed_by,
              u"佐藤 \"一\"");
    EXPECT_EQ(read_pdf_stamp_reply(u"{\"pages\":[1],\"signed_by\":null}").signed_by, u"");
    // A bracket inside a warning's text ends nothing: both warnings count.
    EXPECT_EQ(read_pdf_stamp_reply(u"{\"pages\":[1],\"warnings\":[\"a]b\",\"c\"]}").warnings, 2);
    EXPECT_TRUE(is_save_refusal(PdfRefusal::kSameFile));
    const std::u16string kept = pdf_stamped_message(appended, u"C:\\x_捺印.pdf");
    EXPECT_NE(kept.find(u"電子署名(2 件)は、捺印した写しでも有効です"), std::u16string::npos);
    EXPECT_EQ(kept.find(u"無効"), std::u16string::npos);
    EXPECT_FALSE(read_pdf_stamp_reply(u"").stamped);

    // A batch's lines, in order among the messages; one reply per document
    // however many lines came.
    const std::u16string batch =
        u"error: a.pdf: the PDF needs a "
        u"password\n{\"refused\":\"password\",\"page\":0,\"input\":\"a.pdf\"}\n"
        u"{\"pages\":[2],\"page_count\":4,\"input\":\"b.pdf\"}\r\n{\"pages\":[1]}";
    std::vector<PdfStampReply> replies = read_pdf_stamp_replies(batch, 4);
    ASSERT_EQ(replies.size(), 4u);
    EXPECT_EQ(replies[0].refusal, PdfRefusal::kPassword);
    EXPECT_EQ(replies[1].pages, std::vector<int>{2});
    EXPECT_EQ(replies[2].pages, std::vector<int>{1});
    EXPECT_FALSE(replies[3].stamped);
    EXPECT_EQ(replies[3].refusal, PdfRefusal::kNotWritten);
    EXPECT_EQ(read_pdf_stamp_replies(batch, 1).size(), 1u);
}

// The summary counts, lists each stamped document with its pages and copy
// (the shared folder once), and each refused one with its own reason.
TEST(PdfStampRules, TheSummaryTellsEachDocumentsOutcome) {
    PdfStampReply two_pages, one_page, refused, locked;
    locked.refusal = PdfRefusal::kOutputLocked;
    two_pages.stamped = one_page.stamped = true;
    two_pages.pages = {1, 2};
    one_page.pages = {3};
    one_page.was_signed = true;
    refused.refusal = PdfRefusal::kNoSuchPage;
    refused.page = 4;
    refused.page_count = 2;
    const std::u16string text =
        stamping_summary_text({u"C:\\受付\\a.pdf", u"C:\\受付\\b.pdf", u"D:\\c.pdf"},
                              {u"C:\\受付\\a_捺印.pdf", u"C:\\受付\\b_捺印.pdf", u"D:\\c_捺印.pdf"},
                              {two_pages, refused, one_page});
    EXPECT_EQ(
        text.rfind(u"3 件のうち 2 件に捺印しました。捺印できなかった 1 件は変更していません。", 0),
        0u)
        << text.size();
    for (const char16_t* part :
         {u"・a.pdf(2 ページ) → C:\\受付\\a_捺印.pdf",
          u"・c.pdf(3 ページ目) → D:\\c_捺印.pdf\r\n　元の PDF の電子署名",
          u"捺印できなかったもの:\r\n・b.pdf\r\n　指定したページがありません(4 ページ目、文書は全 "
          u"2 ページ)。"})
        EXPECT_NE(text.find(part), std::u16string::npos) << std::u16string(part).size();
    EXPECT_EQ(text.find(u"保存先のフォルダー"), std::u16string::npos);

    // A copy that could not be written is named by its path.
    const std::u16string one_folder =
        stamping_summary_text({u"C:\\受付\\a.pdf", u"C:\\受付\\b.pdf", u"C:\\受付\\c.pdf"},
                              {u"C:\\受付\\a_捺印.pdf", u"C:\\受付\\b_捺印.pdf", u"E:\\c_捺印.pdf"},
                              {two_pages, two_pages, locked});
    EXPECT_NE(one_folder.find(
                  u"捺印したもの(保存先のフォルダー: C:\\受付):\r\n・a.pdf(2 ページ) → a_捺印.pdf"),
              std::u16string::npos);
    EXPECT_NE(one_folder.find(u"・c.pdf → E:\\c_捺印.pdf\r\n　ほかのプログラムが"),
              std::u16string::npos);

    // Nothing stamped: no list of stamped ones, the first refused one listed.
    const std::u16string none = stamping_summary_text({u"a.pdf"}, {u"a_捺印.pdf"}, {refused});
    EXPECT_EQ(none.find(u"捺印したもの"), std::u16string::npos);
    EXPECT_NE(none.find(u"\r\n・a.pdf\r\n"), std::u16string::npos);
}

}  // namespace
}  // namespace markomi
