#pragma once
// Measurers for the layout and fit tests, standing in for the rendering of
// real glyphs.
#include <cstdlib>
#include <map>
#include <string>

#include "render/font_description.h"
#include "render/line_record.h"
#include "render/text_measurer.h"

namespace markomi::testing {

struct Box {
    std::int32_t width;
    std::int32_t height;
};

// Measures a line as units x size by size (size = |height|) unless the
// table gives its box; counts the calls.
class FakeMeasurer : public TextMeasurer {
public:
    std::map<std::u16string, Box> table;
    int calls = 0;

    void measure_line(const FontDescription& font, LineRecord& line) override {
        ++calls;
        line.width = line.height = 0;
        line.top_margin = line.bottom_margin = line.left_margin = line.right_margin = 0;
        if (line.text.empty()) return;
        auto it = table.find(line.text.str());
        if (it != table.end()) {
            line.width = it->second.width;
            line.height = it->second.height;
            return;
        }
        const std::int32_t size = std::abs(font.height);
        line.width = static_cast<std::int32_t>(line.text.size()) * size;
        line.height = size;
    }
};

// Every line measures 0 x 0: layout and fitting must not divide by it.
class ZeroMeasurer : public TextMeasurer {
public:
    void measure_line(const FontDescription&, LineRecord& line) override { line.width = line.height = 0; }
};

inline FontDescription font_of_size(std::int32_t size) {
    FontDescription f;
    f.height = -size;
    return f;
}

}  // namespace markomi::testing
