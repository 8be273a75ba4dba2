#pragma once
// One text line of a stamp row: its characters, where its ink box sits and
// how much blank space the measuring box left around the ink. Measuring fills
// the size and margins, layout fills the centre point.
#include <cstdint>

#include "base/fixed_text.h"

namespace markomi {

struct LineRecord {
    FixedText<499> text;             // 500 units with the terminator
    std::int32_t x = 0;              // horizontal centre of the ink box
    std::int32_t y = 0;              // vertical centre of the ink box
    std::int32_t width = 0;          // ink width
    std::int32_t height = 0;         // ink height
    std::int32_t top_margin = 0;     // blank rows above the ink
    std::int32_t bottom_margin = 0;  // blank rows below the ink
    std::int32_t right_margin = 0;   // blank columns right of the ink
    std::int32_t left_margin = 0;    // blank columns left of the ink
};

}  // namespace markomi
