#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ui/document_handoff.h"

namespace markomi {
namespace {

TEST(DocumentHandoff, PdfNamesByTheirExtensionInAnyCase) {
    struct Row {
        std::u16string_view path;
        bool pdf;
    };
    const Row rows[] = {
        {u"C:\\a\\b.pdf", true}, {u"b.PDF", true},   {u"b.Pdf", true}, {u"x.pDf", true},
        {u".pdf", false},        {u"b.pdfx", false}, {u"b.pd", false}, {u"b_pdf", false},
        {u"b.p\uFF44f", false},  {u"", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(has_pdf_extension(row.path), row.pdf)
            << std::string(row.path.begin(), row.path.end());
}

TEST(DocumentHandoff, ArgumentsThatAreExistingPdfFilesInOrderAndBounded) {
    const std::set<std::u16string> files{u"C:\\in\\a.pdf", u"C:\\in dir\\B.PDF", u"C:\\in\\c.txt"};
    const auto is_file = [&](std::u16string_view p) { return files.count(std::u16string(p)) != 0; };
    const std::u16string too_long = std::u16string(kMaxHandedPathLength - 3, u'x') + u".pdf";
    EXPECT_EQ(documents_in_arguments({u"C:\\in dir\\B.PDF", u"/x", u"C:\\in\\c.txt",
                                      u"C:\\gone.pdf", too_long, u"C:\\in\\a.pdf"},
                                     is_file),
              (std::vector<std::u16string>{u"C:\\in dir\\B.PDF", u"C:\\in\\a.pdf"}));
    // The longest path allowed passes; one more character does not.
    const std::u16string longest = std::u16string(kMaxHandedPathLength - 4, u'x') + u".pdf";
    const auto any = [](std::u16string_view) { return true; };
    EXPECT_EQ(documents_in_arguments({longest, too_long}, any).size(), 1u);
    std::vector<std::u16string> many(kMaxHandedDocuments + 5, u"d.pdf");
    EXPECT_EQ(documents_in_arguments(many, any).size(), kMaxHandedDocuments);
}

std::optional<std::vector<std::u16string>> decode(const std::u16string& block) {
    return decode_document_handoff(block.data(), block.size() * sizeof(char16_t));
}

TEST(DocumentHandoff, BlockRoundTripsPathsWithSpacesAndJapanese) {
    const std::vector<std::u16string> paths{u"C:\\請求書 1.pdf", u"\\\\srv\\共有\\b.PDF", u"c.pdf"};
    const std::u16string block = encode_document_handoff(paths);
    EXPECT_EQ(block.size(), paths[0].size() + paths[1].size() + paths[2].size() + 3);
    EXPECT_EQ(decode(block), paths);
    // Unaligned bytes read the same.
    std::string bytes(1, '\x7f');
    bytes.append(reinterpret_cast<const char*>(block.data()), block.size() * 2);
    EXPECT_EQ(decode_document_handoff(bytes.data() + 1, block.size() * 2), paths);
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
