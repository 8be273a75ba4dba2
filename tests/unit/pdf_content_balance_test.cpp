#include <gtest/gtest.h>

#include <string>

#include "output/pdf_stamp/pdf_content_balance.h"

namespace markomi {
namespace {

// Only the q and Q operators count, split from their neighbours as readers
// split them: not the same letters inside strings, comments, names, hex
// strings, dictionaries or inline image data, nor a longer word; but a
// number ends at its last digit ("1Q" restores, "q0" is another word).
// Content that ends inside something, leaves operands without their
// operator, or leaves text or marked content open is not closed by a plain
// wrap. Fed whole or a byte at a time, the answer is the same.
TEST(PdfContentBalance, OnlyTheSaveAndRestoreOperatorsCount) {
    const struct {
        std::string content;
        int unmatched_restores, open_saves;
        bool unclosed, wrap_is_enough;
    } cases[] = {
        {"q 1 0 0 1 0 0 cm 0 0 1 rg 0 0 9 9 re f Q", 0, 0, false, true},
        {"Q Q 0.5 0 0 0.5 0 0 cm q", 2, 1, false, false},
        {"0.5 0 0 0.5 0 0 cm q\nq Q", 0, 1, false, false},
        {"q Q Q q q", 1, 2, false, false},
        {"BT (q \\) Q \\( (Q)) Tj ET % Q Q\rq", 0, 1, false, false},
        {"/q gs /Q Do <51> Tj <</Q 1/q[Q]>> BDC EMC", 0, 0, false, true},
        {"BI /W 2 /H 1 /BPC 8 /CS /G ID \nQ EIQ q\n EI Q", 1, 0, false, false},
        {"q BI /W 1 /H 1 ID x EI\nQ", 0, 0, false, true},
        {"qQ Qq q0 Q", 1, 0, false, false},
        {"q 0 0 1 rg 1Q 0q -Q 1.5Q", 1, 0, false, false},
        {std::string("q\0Q", 3), 0, 0, false, true},
        {"q (unterminated Q", 0, 1, true, false},
        {"q Q (a (nested) string", 0, 0, true, false},
        {"q Q <51", 0, 0, true, false},
        {"q Q [1 (Q) 2", 0, 0, true, false},
        {"q Q << /A 1", 0, 0, true, false},
        {"q Q 1 0 0", 0, 0, true, false},
        {"q Q BI /W 1 ID Q", 0, 0, true, false},
        {"q Q BT /F1 9 Tf (Q) Tj", 0, 0, false, false},
        {"/OC /off BDC q Q", 0, 0, false, false},
        {"", 0, 0, false, true},
    };
    for (const auto& c : cases) {
        const PdfContentBalance b = pdf_content_balance(c.content);
        EXPECT_EQ(b.unmatched_restores, c.unmatched_restores) << c.content;
        EXPECT_EQ(b.open_saves, c.open_saves) << c.content;
        EXPECT_EQ(b.unclosed, c.unclosed) << c.content;
        EXPECT_EQ(b.wrap_is_enough(), c.wrap_is_enough) << c.content;
        PdfContentScanner bytewise;
        for (char byte : c.content) bytewise.feed(std::string_view(&byte, 1));
        const PdfContentBalance p = bytewise.finish();
        EXPECT_EQ(p.unmatched_restores, b.unmatched_restores) << c.content;
        EXPECT_EQ(p.open_saves, b.open_saves) << c.content;
        EXPECT_EQ(p.open_marked, b.open_marked) << c.content;
        EXPECT_EQ(p.open_text, b.open_text) << c.content;
        EXPECT_EQ(p.unclosed, b.unclosed) << c.content;
    }
}

}  // namespace
}  // namespace markomi
