#include <gtest/gtest.h>

#include <string>

#include "output/pdf_content_balance.h"

namespace markomi {
namespace {

// Only the q and Q operators count: not the same letters inside strings,
// comments, names, hex strings, dictionaries or inline image data, nor a
// longer word. Cut-off strings and images end the stream without reading
// past it (the sanitized run checks that).
TEST(PdfContentBalance, OnlyTheSaveAndRestoreOperatorsCount) {
    const struct {
        std::string content;
        int unmatched_restores, open_saves;
    } cases[] = {
        {"q 1 0 0 1 0 0 cm 0 0 1 rg 0 0 9 9 re f Q", 0, 0},
        {"Q Q 0.5 0 0 0.5 0 0 cm q", 2, 1},
        {"0.5 0 0 0.5 0 0 cm q\nq Q", 0, 1},
        {"q Q Q q q", 1, 2},
        {"BT (q \\) Q \\( (Q)) Tj ET % Q Q\rq", 0, 1},
        {"/q gs /Q Do <51> Tj <</Q 1/q[Q]>> BDC EMC", 0, 0},
        {"BI /W 2 /H 1 /BPC 8 /CS /G ID \nQ EIQ q\n EI Q", 1, 0},
        {"qQ Qq q0 Q", 1, 0},
        {std::string("q\0Q", 3), 0, 0},
        {"q (unterminated Q", 0, 1},
        {"q BI ID Q", 0, 1},
        {"q <51", 0, 1},
        {"", 0, 0},
    };
    for (const auto& c : cases) {
        const PdfContentBalance b = pdf_content_balance(c.content);
        EXPECT_EQ(b.unmatched_restores, c.unmatched_restores) << c.content;
        EXPECT_EQ(b.open_saves, c.open_saves) << c.content;
    }
}

}  // namespace
}  // namespace markomi
