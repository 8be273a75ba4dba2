#include <gtest/gtest.h>

#include <regex>

#include "output/pdf_stamp/pdf_incremental.h"
#include "output/pdf_stamp/pdf_note_text.h"
#include "output/pdf_stamp/pdf_signature_slot.h"

namespace markomi {
namespace {

const std::string kHead = "%PDF-1.7\n1 0 obj\n<< /Type /Catalog >>\nendobj\n";  // 44 bytes

// Where readers find the last section, and what they find there.
TEST(PdfIncremental, ReadsTheTail) {
    const std::string table = kHead + "xref\n0 2\n...\ntrailer\n<< >>\nstartxref\n44\n%%EOF\n";
    const std::string stream =
        kHead + "7 0 obj\n<< /Type /XRef >>\nendobj\nstartxref\r\n44\r\n%%EOF";
    // "startxref\n44\n%%EOF\n" is 19 bytes: readers look at the last 2048.
    const std::string last_window = table + std::string(2048 - 19, ' ');
    const struct {
        std::string file;
        long long offset;  // -1: none
        PdfXrefKind kind;
    } cases[] = {
        {table, 44, PdfXrefKind::kTable},
        {stream, 44, PdfXrefKind::kStream},
        {table + "junk after the end\n", 44, PdfXrefKind::kTable},
        {table + "startxref\n1\n%%EOF\n", -1, PdfXrefKind::kTable},     // nothing at 1
        {kHead + "startxref\n4400\n%%EOF\n", -1, PdfXrefKind::kTable},  // beyond the file
        {kHead + "%%EOF\n", -1, PdfXrefKind::kTable},
        {kHead.substr(9) + "startxref\n%%EOF\n", -1, PdfXrefKind::kTable},  // no number, not 0
        {"xref\n   0 and no keyword\n", -1, PdfXrefKind::kTable},
        {last_window, 44, PdfXrefKind::kTable},
        {last_window + " ", -1, PdfXrefKind::kTable},  // out of the window readers look in
    };
    for (const auto& c : cases) {
        const std::optional<PdfTail> tail = read_pdf_tail(c.file);
        ASSERT_EQ(tail.has_value(), c.offset >= 0) << c.file;
        if (tail) {
            EXPECT_EQ(tail->startxref, c.offset) << c.file;
            EXPECT_EQ(tail->kind, c.kind) << c.file;
        }
    }
}

std::vector<PdfUpdateObject> sample_objects() {
    return {{9, 0, "<< /Type /Annot >>", std::nullopt},
            {5, 258, "[1 0 R]", std::nullopt},
            {6, 0, "<< /Subtype /Form >>", std::string("q Q\n")}};
}

// Each listed offset must point at its object's head in the whole file.
void expect_object_at(const std::string& file, std::size_t offset, int number, int generation) {
    const std::string head = std::to_string(number) + " " + std::to_string(generation) + " obj";
    EXPECT_EQ(file.compare(offset, head.size(), head), 0) << head << " at " << offset;
}

TEST(PdfIncremental, WritesATableSection) {
    const std::string input = kHead + "no end of line";
    PdfTrailerFacts facts{8, "1 0 R", "3 0 R", "AB", "CD", 44, PdfXrefKind::kTable};
    const PdfUpdate update = write_pdf_update(input.size(), false, sample_objects(), facts);
    const std::string file = input + update.bytes;
    EXPECT_EQ(file.compare(input.size(), 8, "\n9 0 obj"), 0);
    EXPECT_NE(file.find("<< /Length 4 /Subtype /Form >>\nstream\nq Q\n\nendstream"),
              std::string::npos);
    EXPECT_EQ(update.size, 10);
    const std::size_t xref = file.rfind("\nxref\n") + 1;
    const std::string section = file.substr(xref);
    std::smatch m;
    ASSERT_TRUE(
        std::regex_search(section, m,
                          std::regex("^xref\n5 2\n(\\d{10}) 00258 n\r\n(\\d{10}) 00000 n\r\n"
                                     "9 1\n(\\d{10}) 00000 n\r\ntrailer\n")));
    expect_object_at(file, std::stoul(m[1]), 5, 258);
    expect_object_at(file, std::stoul(m[2]), 6, 0);
    expect_object_at(file, std::stoul(m[3]), 9, 0);
    EXPECT_NE(section.find("<< /Size 10 /Root 1 0 R /Info 3 0 R /ID [<4142> <4344>] /Prev 44 >>"),
              std::string::npos);
    EXPECT_EQ(section.substr(section.size() - 6 - std::to_string(xref).size() - 1),
              std::to_string(xref) + "\n%%EOF\n");
    EXPECT_EQ(file.compare(update.bodies[1], 7, "[1 0 R]"), 0);
}

TEST(PdfIncremental, WritesAStreamSectionThatListsItself) {
    // Offsets past 64 KiB need three bytes each.
    const std::string input = kHead + std::string(70000, '%') + "\n";
    PdfTrailerFacts facts{4, "1 0 R", "", "", "CD", 44, PdfXrefKind::kStream};
    const PdfUpdate update = write_pdf_update(input.size(), true, sample_objects(), facts);
    const std::string file = input + update.bytes;
    EXPECT_EQ(update.size, 11);  // 10 is the section itself
    const std::optional<PdfTail> tail = read_pdf_tail(file);
    ASSERT_TRUE(tail && tail->kind == PdfXrefKind::kStream);
    expect_object_at(file, static_cast<std::size_t>(tail->startxref), 10, 0);
    const std::string section = file.substr(static_cast<std::size_t>(tail->startxref));
    EXPECT_NE(section.find("/W [1 3 2] /Index [5 2 9 2] /Size 11 /Root 1 0 R /ID [<4344> <4344>] "
                           "/Prev 44 /Length 24 >>"),
              std::string::npos);
    const std::string data = section.substr(section.find("stream\n") + 7, 24);
    const int numbers[] = {5, 6, 9, 10}, generations[] = {258, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        const unsigned char* e = reinterpret_cast<const unsigned char*>(data.data()) + 6 * i;
        EXPECT_EQ(e[0], 1);
        expect_object_at(file, (e[1] << 16) | (e[2] << 8) | e[3], numbers[i], generations[i]);
        EXPECT_EQ((e[4] << 8) | e[5], generations[i]);
    }
}

// The signer sees the file without the <...> of /Contents, which then holds
// its DER in upper-case hex padded with zeros, and no byte moves.
TEST(PdfSignatureSlot, SignsTheFileOutsideTheContents) {
    const std::string dictionary = "<< /Type /Sig " + signature_placeholders(8) + " /M (x) >>";
    const std::string before = "%PDF-1.7\n<0000>", after = "\n%%EOF\n";
    const std::string blank = before + dictionary + after;
    const std::size_t at = before.size() + 14;
    struct {
        std::optional<std::string> der;
        SlotFill fill;
    } cases[] = {{std::string("\x01\xAB\xff", 3), SlotFill::kSigned},
                 {std::string(8, '\x7f'), SlotFill::kSigned},
                 {std::string(9, '\x7f'), SlotFill::kTooLarge},
                 {std::nullopt, SlotFill::kSignerFailed}};
    for (const auto& c : cases) {
        std::string file = blank, seen, why;
        const SlotFill fill = fill_signature_slot(
            &file, at, 8,
            [&](const std::vector<std::string_view>& parts, std::string* reason) {
                for (std::string_view p : parts) seen += std::string(p) + "|";
                if (!c.der) *reason = "no key";
                return c.der;
            },
            &why);
        EXPECT_EQ(fill, c.fill);
        EXPECT_EQ(file.size(), blank.size());
        const std::size_t open = file.find(" /Contents <") + 11, close = file.find('>', open) + 1;
        EXPECT_EQ(seen, file.substr(0, open) + "|" + file.substr(close) + "|");
        EXPECT_NE(file.find("/ByteRange [0 " + std::to_string(open) + " " + std::to_string(close) +
                            " " + std::to_string(file.size() - close) + "      "),
                  std::string::npos);
        if (c.fill == SlotFill::kSigned) {
            std::string hex = pdf_hex_string(*c.der);
            hex.pop_back();
            EXPECT_EQ(file.substr(open, 18), hex + std::string(17 - hex.size(), '0') + ">");
        }
        if (!c.der) {
            EXPECT_EQ(why, "no key");
        }
    }
    std::string file = blank, why;
    EXPECT_EQ(fill_signature_slot(&file, at + 1, 8, nullptr, &why), SlotFill::kNoSlot);
    EXPECT_EQ(file, blank);
}

TEST(PdfNoteText, DatesAndTextStrings) {
    EXPECT_EQ(pdf_date_string({2026, 12, 9, 10, 31, 5, 540}), "(D:20261209103105+09'00')");
    EXPECT_EQ(pdf_date_string({2026, 1, 2, 3, 4, 5, -330}), "(D:20260102030405-05'30')");
    EXPECT_EQ(pdf_date_string({2026, 1, 2, 3, 4, 5, 0}), "(D:20260102030405Z)");
    // A moment out of range keeps every field's width: the string stays a date.
    EXPECT_EQ(pdf_date_string({12026, 112, 131, 124, 160, 199, 1500}), "(D:20261231246099+01'00')");
    EXPECT_EQ(pdf_text_string("~"), "(~)");  // the last printable character; DEL and controls are not
    EXPECT_EQ(pdf_text_string("\x7F"), "<FEFF007F>");
    EXPECT_EQ(pdf_text_string("\x1F"), "<FEFF001F>");
    EXPECT_EQ(pdf_text_string("Sato (a\\b)"), "(Sato \\(a\\\\b\\))");
    EXPECT_EQ(pdf_text_string("A 印"), "<FEFF004100205370>");
}

}  // namespace
}  // namespace markomi
