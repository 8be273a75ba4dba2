#include <gtest/gtest.h>

#include "output/pdf_stamp/pdf_stamp_result.h"
#include "ui/pdf_stamp_rules.h"

namespace markomi {
namespace {

bool ends_with(const std::u16string& text, std::u16string_view end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A refusal about one page names it, and only a missing page tells how many
// the document has; the companion's line holds both languages and qpdf's
// reason; each refusal's JSON name reads back as that refusal.
TEST(PdfStampResult, RefusalsNameThePageTheyAreAbout) {
    const struct {
        PdfRefusal refusal;
        const char16_t* english;   // inside the companion's line
        const char16_t* japanese;  // the end of the program's message and of the line
    } cases[] = {
        {PdfRefusal::kNoSuchPage, u"no such page (page 5 of 2) / ",
         u"ありません(5 ページ目、文書は全 2 ページ)。ページの指定を確かめてください。"},
        {PdfRefusal::kOffPage, u"fit on the page (page 5) / ", u"収まりません(5 ページ目)。位置か余白を変えてください。"},
        {PdfRefusal::kBadGeometry, u"PDF allows (page 5) / ", u"捺印できません(5 ページ目)。PDF ビューアーで開いて保存し直してから、もう一度お試しください。"},
        {PdfRefusal::kPageContent, u"stamp safely (page 5) / ", u"捺印できません(5 ページ目)。PDF ビューアーで開いて保存し直してから、もう一度お試しください。"},
        {PdfRefusal::kSigned, u"or use --allow-signed) / ", u"署名を残すには、埋め込まずに捺印してください。"},
        {PdfRefusal::kNotWritten, u"could not be written / ", u"書き込めませんでした。別の名前か別のフォルダーを選んで、もう一度保存してください。"},
        {PdfRefusal::kPassword, u"password to open / ", u"捺印できません。パスワードを外した PDF を作成者に依頼してください。"},
        {PdfRefusal::kLocked, u"has the file open / ", u"閲覧ソフトなどで開いているときは閉じてから、もう一度お試しください。"},
        {PdfRefusal::kMissing, u"no such file / ", u"見つかりません。移動や削除、名前の変更がされていないか確かめてください。"},
    };
    for (const auto& c : cases) {
        PdfStampResult r;
        r.refusal = c.refusal;
        r.bad_page = 5;
        r.page_count = 2;
        const std::u16string name(pdf_refusal_name(c.refusal));
        const std::string label(name.begin(), name.end());
        EXPECT_TRUE(ends_with(pdf_refusal_japanese(r), c.japanese)) << label;
        const std::u16string both = pdf_refusal_bilingual(r);
        EXPECT_NE(both.find(c.english), std::u16string::npos) << label;
        EXPECT_TRUE(ends_with(both, c.japanese)) << label;
        r.detail = "xref \xE6\x90\x8D";  // UTF-8 from qpdf
        EXPECT_TRUE(ends_with(pdf_refusal_bilingual(r), u" (xref 損)")) << label;
    }
    for (int i = static_cast<int>(PdfRefusal::kUnreadable); i <= static_cast<int>(PdfRefusal::kSignatureTooLarge); ++i) {
        PdfStampResult r;
        r.refusal = static_cast<PdfRefusal>(i);
        EXPECT_EQ(pdf_refusal_named(pdf_refusal_name(r.refusal)), r.refusal) << i;
        EXPECT_FALSE(pdf_refusal_japanese(r).empty()) << i;
    }
    EXPECT_EQ(pdf_refusal_named(u"too-new"), PdfRefusal::kNotWritten);
    EXPECT_EQ(pdf_refusal_japanese(PdfStampResult{}) + pdf_refusal_bilingual(PdfStampResult{}), u"");
}

// The dialog names the page when one was stamped and counts them otherwise.
TEST(PdfStampResult, TheDialogCountsSeveralPages) {
    const struct {
        std::vector<int> pages;
        const char16_t* message;
    } cases[] = {
        {{3}, u"PDF に捺印しました(3 ページ目)。\n\nx.pdf"},
        {{1, 3}, u"PDF に捺印しました(2 ページ)。\n\nx.pdf"},
        {{2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22}, u"PDF に捺印しました(11 ページ)。\n\nx.pdf"},
    };
    for (const auto& c : cases) {
        PdfStampReply reply;
        reply.stamped = true;
        reply.pages = c.pages;
        EXPECT_EQ(pdf_stamped_message(reply, u"x.pdf"), c.message) << c.pages.size();
    }
}

}  // namespace
}  // namespace markomi
