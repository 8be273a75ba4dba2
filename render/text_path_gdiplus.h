#pragma once
// Stamp text as glyph outlines: measuring a line's true ink box on the
// measuring surface (through the measurement cache) and filling a line's
// path on any GDI+ graphics.
#include "render/font_description.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "render/line_record.h"
#include "render/measure_cache.h"
#include "render/text_measurer.h"

namespace markomi {

// A family for the description's face that has glyphs for `text`: a face
// that is not installed, or lacks some of the text's characters, gives way to
// an installed face that has them (render/font_fallback_win.h), and with no
// such face at all to the generic sans-serif family, so the stamp keeps its
// text instead of losing it. Measuring and drawing a line pass the same text
// and so get the same face.
GdipFamilyPtr create_font_family(const FontDescription& font, std::u16string_view text = {});

// Font of |height| pixels in the description's style.
GdipFontPtr create_font(const FontDescription& font, Gdiplus::GpFontFamily* family);

// The true measurement of a line that missed the cache: rendered at (1, 1)
// on the measuring surface and scanned.
MeasuredSize measure_line_ink(const FontDescription& font, std::u16string_view text);

// Measures through the measurement cache.
void measure_line(const FontDescription& font, LineRecord& line);

class GdiplusTextMeasurer : public TextMeasurer {
public:
    void measure_line(const FontDescription& font, LineRecord& line) override;
};

// Fills the record's text as a path so that its ink box is centred on (x, y).
void draw_line(GraphicsWrapper& target, Gdiplus::GpFont* font, Gdiplus::GpBrush* brush,
               const FontDescription& description, const LineRecord& line);

// Whether the face draws at all: "■" must leave ink at its centre.
bool face_usable(std::u16string_view face_name);

}  // namespace markomi
