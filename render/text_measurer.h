#pragma once
// How layout and fitting measure a line: the platform side renders the line
// off-screen and scans its ink (through the measurement cache); tests pass
// a measurer of their own.
#include "render/font_description.h"
#include "render/line_record.h"

namespace markomi {

class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    // Fills the record's width, height and four margins for its text in the
    // given font; x, y and the text stay as they are. An empty text measures
    // 0 x 0 with zero margins.
    virtual void measure_line(const FontDescription& font, LineRecord& line) = 0;
};

}  // namespace markomi
