#include <gtest/gtest.h>

#include "output/pdf_stamp/pdf_revisions.h"

namespace markomi {
namespace {

// Appends one revision: an object, then a cross-reference table (or a
// stream whose data holds "%%EOF" and "/Prev 0") and its trailer naming
// `prev` (kItself: the section itself); returns the section's offset.
constexpr long kItself = -2;
std::size_t add_revision(std::string* f, long prev, bool stream = false) {
    *f += "1 0 obj\n<< /Length 6 >>\nstream\n%%EOF\n\nendstream\nendobj\n";
    const std::size_t at = f->size();
    if (prev == kItself) prev = static_cast<long>(at);
    const std::string link = prev >= 0 ? " /Prev " + std::to_string(prev) : "";
    if (stream)
        *f += "2 0 obj\n<< /Type /XRef" + link + " >>\nstream\n/Prev 0\nendstream\nendobj\n";
    else
        *f += "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Size 2" + link + " >>\n";
    *f += "startxref\n" + std::to_string(at) + "\n%%EOF\n";
    return at;
}

std::vector<std::size_t> ends(const std::string& f) {
    std::vector<std::size_t> e;
    for (const PdfRevisionEnd& r : pdf_revision_ends(f)) e.push_back(r.end);
    return e;
}

// The chain is followed past the %%EOF inside a stream and past junk; a
// /Prev loop, or no startxref, falls back to counting the markers; a
// linearized file's two sections are one revision.
TEST(PdfRevisions, FollowsTheChainOfSections) {
    std::string one =
        "%PDF-1.7\n%" + std::string(1100, 'x') + "\n";  // startxref beyond the first kilobyte
    const std::size_t first = add_revision(&one, -1);
    EXPECT_EQ(ends(one), std::vector<std::size_t>{one.size()});
    std::string two = one;
    add_revision(&two, static_cast<long>(first), true);
    EXPECT_EQ(ends(two), (std::vector<std::size_t>{one.size(), two.size()}));
    EXPECT_EQ(ends(two + "junk after the end\n"),
              (std::vector<std::size_t>{one.size(), two.size()}));
    std::string loop = "%PDF-1.7\n";
    add_revision(&loop, kItself);
    EXPECT_EQ(ends(loop).size(), 2u);  // the stream's marker counts too
    const std::string cut = two.substr(0, two.rfind("startxref")) + "%%EOF%%EOF\r\n";
    EXPECT_EQ(ends(cut).size(), 4u);

    std::string linearized = "%PDF-1.7\n1 0 obj << /Linearized 1 >> endobj\n";
    const std::size_t head = linearized.size();
    linearized +=
        "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Size 2 /Prev 0000000 "
        ">>\nstartxref\n0\n%%EOF\n";
    const std::size_t main = linearized.size();
    linearized.replace(linearized.find("0000000 >>"), 7,
                       std::to_string(main).insert(0, 7 - std::to_string(main).size(), '0'));
    linearized += "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Size 2 >>\nstartxref\n" +
                  std::to_string(head) + "\n%%EOF";
    EXPECT_EQ(ends(linearized), std::vector<std::size_t>{linearized.size()});
    std::string updated = linearized + "\n";
    add_revision(&updated, static_cast<long>(head));
    const std::vector<PdfRevisionEnd> revisions = pdf_revision_ends(updated);
    ASSERT_EQ(revisions.size(), 2u);
    EXPECT_EQ(revisions[0].marker_end, linearized.size());
    std::string markers;
    for (std::size_t i = 0; i <= (1u << 20); ++i) markers += "%%EOF\n";
    EXPECT_TRUE(pdf_revision_ends(markers).empty());  // beyond the bound on markers
    EXPECT_EQ(revision_covered(revisions, linearized.size()), 1);
    EXPECT_EQ(revision_covered(revisions, linearized.size() + 1), 1);
    EXPECT_EQ(revision_covered(revisions, updated.size()), 2);
    EXPECT_EQ(revision_covered(revisions, updated.size() - 2), 0);
}

TEST(PdfRevisions, ByteRangesLeaveOutOnlyTheSignature) {
    const std::string file = "0123<0a 0F\n1>6789";  // the hex string at 4..12
    const struct {
        std::vector<std::int64_t> range;
        bool valid;
    } cases[] = {
        {{0, 4, 13, 4}, true},  {{0, 4, 13, 3}, true},  {{0, 4, 13}, false},
        {{1, 3, 13, 4}, false}, {{0, 4, 13, 5}, false}, {{0, 4, -1, 4}, false},
        {{0, 3, 13, 4}, false}, {{0, 4, 12, 5}, false}, {{0, 13, 4, 4}, false},
        {{0, 5, 12, 5}, false}, {{0, 4, 4, 13}, false},
    };
    for (const auto& c : cases) {
        const PdfByteRange r = check_byte_range(file, c.range);
        EXPECT_EQ(r.valid, c.valid) << c.range[1] << " " << c.range[2];
        EXPECT_EQ(r.why.empty(), c.valid);
        if (r.valid) {
            EXPECT_EQ(r.end, static_cast<std::size_t>(c.range[2] + c.range[3]));
        }
    }
    EXPECT_EQ(check_byte_range(file, {0, 4, 13, 4}).contents, std::string("\x0a\x0f\x10", 3));
    EXPECT_FALSE(check_byte_range("01<0g>2", {0, 2, 6, 1}).valid);
    EXPECT_TRUE(check_byte_range("0123<0a>", {0, 4, 8, 0}).valid);  // the gap ends the file
}

TEST(PdfRevisions, LaterChangesAllowedAfterASignature) {
    using R = PdfObjectRole;
    auto change = [](R role, std::vector<std::string> keys, bool dictionary = true) {
        PdfObjectChange c;
        c.role = role;
        c.changed_keys = std::move(keys);
        c.dictionary = dictionary;
        return c;
    };
    PdfObjectChange added = change(R::kOther, {}, false);
    added.added = true;
    PdfObjectChange removed = change(R::kAnnotation, {});
    removed.removed = true;
    const struct {
        std::vector<PdfObjectChange> changes;
        PdfLaterChanges expected;
    } cases[] = {
        {{}, PdfLaterChanges::kNone},
        {{added, change(R::kPage, {"/Annots"}), change(R::kAnnotationArray, {}, false),
          change(R::kAnnotation, {"/AP", "/V"}), change(R::kCatalog, {"/AcroForm", "/DSS"}),
          change(R::kAcroForm, {"/Fields", "/SigFlags", "/DR", "/DA", "/NeedAppearances"}),
          change(R::kInfo, {"/ModDate", "/Producer"})},
         PdfLaterChanges::kSignaturesAndAnnotations},
        {{change(R::kPage, {"/Annots", "/Contents"})}, PdfLaterChanges::kOther},
        {{change(R::kCatalog, {"/Perms"})}, PdfLaterChanges::kOther},
        {{change(R::kAcroForm, {"/XFA"})}, PdfLaterChanges::kOther},
        {{change(R::kInfo, {"/Title"})}, PdfLaterChanges::kOther},
        {{change(R::kPage, {}, false)}, PdfLaterChanges::kOther},
        {{change(R::kOther, {})}, PdfLaterChanges::kOther},
        {{added, removed}, PdfLaterChanges::kOther},
    };
    for (const auto& c : cases) EXPECT_EQ(classify_later_changes(c.changes), c.expected);
}

TEST(PdfRevisions, PdfDatesAsIsoTimes) {
    EXPECT_EQ(iso_time_of_pdf_date("D:20261209103105+09'00'"), "2026-12-09T10:31:05+09:00");
    EXPECT_EQ(iso_time_of_pdf_date("D:20261209103105-0530"), "2026-12-09T10:31:05-05:30");
    EXPECT_EQ(iso_time_of_pdf_date("20261209Z"), "2026-12-09T00:00:00Z");
    EXPECT_EQ(iso_time_of_pdf_date("D:2026"), "2026-01-01T00:00:00");
    EXPECT_EQ(iso_time_of_pdf_date("D:202601010000Z"), "2026-01-01T00:00:00Z");
    for (const char* bad : {"", "D:", "D:202", "D:20261309", "D:20261200", "D:2026120924",
                            "D:20261209121:", "D:20261209103160", "D:20261209X"})
        EXPECT_EQ(iso_time_of_pdf_date(bad), "") << bad;
}

}  // namespace
}  // namespace markomi
