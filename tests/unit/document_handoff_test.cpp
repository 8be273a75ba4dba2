#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ui/document_handoff.h"

namespace markomi {
namespace {

TEST(DocumentHandoff, PdfNamesByTheirExtensionInAnyCase) {
    for (std::u16string_view pdf : {u"C:\\a\\b.pdf", u"b.PDF", u"x.pDf"})
        EXPECT_TRUE(has_pdf_extension(pdf));
    for (std::u16string_view other : {u".pdf", u"b.pdfx", u"b_pdf", u"b.p\uFF44f", u""})
        EXPECT_FALSE(has_pdf_extension(other)) << other.size();
}

TEST(DocumentHandoff, ArgumentsThatAreExistingPdfFilesInOrderAndBounded) {
    const std::set<std::u16string> files{u"C:\\in\\a.pdf", u"C:\\in dir\\B.PDF", u"C:\\in\\c.txt"};
    const auto is_file = [&](std::u16string_view p) { return files.count(std::u16string(p)) != 0; };
    // The longest path allowed passes (when it exists); one more character does not.
    const std::u16string longest = std::u16string(kMaxHandedPathLength - 4, u'x') + u".pdf";
    const std::u16string too_long = u"x" + longest;
    EXPECT_EQ(documents_in_arguments({u"C:\\in dir\\B.PDF", u"/x", u"C:\\in\\c.txt",
                                      u"C:\\gone.pdf", too_long, u"C:\\in\\a.pdf"},
                                     is_file),
              (std::vector<std::u16string>{u"C:\\in dir\\B.PDF", u"C:\\in\\a.pdf"}));
    const auto any = [](std::u16string_view) { return true; };
    EXPECT_EQ(documents_in_arguments({longest, too_long}, any).size(), 1u);
    EXPECT_EQ(
        documents_in_arguments(std::vector<std::u16string>(kMaxHandedDocuments + 5, u"d.pdf"), any)
            .size(),
        kMaxHandedDocuments);
}

std::optional<std::vector<std::u16string>> decode(const std::u16string& block) {
    return decode_document_handoff(block.data(), block.size() * sizeof(char16_t));
}

TEST(DocumentHandoff, BlockRoundTripsPathsWithSpacesAndJapanese) {
    const std::vector<std::u16string> paths{u"C:\\請求書 1.pdf", u"\\\\srv\\共有\\b.PDF", u"c.pdf"};
    EXPECT_EQ(decode(encode_document_handoff(paths)), paths);
}

TEST(DocumentHandoff, MalformedBlocksAreRefusedWhole) {
    using namespace std::string_literals;
    const std::u16string rows[] = {
        u""s,                                                         // nothing
        u"a.pdf"s,                                                    // no terminator
        u"a.pdf\0\0b.pdf\0"s,                                         // an empty path
        u"\0"s,                                                       // only a terminator
        u"a.pdf\0b.exe\0"s,                                           // not a document
        std::u16string(kMaxHandedPathLength - 3, u'x') + u".pdf\0"s,  // one unit too long
    };
    for (const std::u16string& row : rows) EXPECT_FALSE(decode(row)) << row.size();
    const std::u16string good = u"a.pdf\0"s;
    EXPECT_FALSE(decode_document_handoff(good.data(), good.size() * 2 - 1));  // odd size
    EXPECT_FALSE(decode_document_handoff(nullptr, 12));
    std::u16string many;
    for (std::size_t i = 0; i < kMaxHandedDocuments; ++i) many += u"d.pdf\0"s;
    EXPECT_EQ(decode(many)->size(), kMaxHandedDocuments);
    EXPECT_FALSE(decode(many + u"d.pdf\0"s));
    // The size bound holds before anything is copied: the pointer is not read.
    EXPECT_FALSE(decode_document_handoff(good.data(), kMaxHandoffBytes + 2));
}

}  // namespace
}  // namespace markomi
