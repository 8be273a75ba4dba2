#pragma once
// Choosing the installed face that draws a stamp row's text (the order and
// the rules are in render/font_fallback.h). Single-threaded, like all
// rendering.
#include <cstdint>
#include <string>
#include <string_view>

#include "render/gdiplus_handles_gdiplus.h"

namespace markomi {

// The face that draws `text` for a row set in `chosen`: `chosen` itself when
// it is installed and has a glyph for every character that needs one, else
// the first face of the fallback order that has them all, else a Japanese
// face installed on this system (Shift-JIS faces as GDI lists them). When no
// face has them all, the one missing the fewest, the earliest on a tie.
// Empty when none of these faces is installed. Answers are remembered per
// chosen face and needed characters; a face used instead of the chosen one
// is named once in the debug log.
std::u16string resolve_face(std::u16string_view chosen, std::u16string_view text);

// How many of `needed` (see glyphs_needed) the face has no glyph for, or -1
// when GDI+ knows no family of that name.
int missing_glyphs(std::u16string_view face, std::u16string_view needed);

// GDI+'s family of that name, or null when GDI+ knows none. Each answer is
// made once and kept (asking GDI+ means listing the installed fonts); the
// caller gets a copy of its own.
GdipFamilyPtr installed_family(std::u16string_view face);

// A font of `size` pixels in `style` (GDI+ FontStyle bits) of the family.
// Each is made once and kept, per family name, size and style; the caller
// gets a copy of its own. Null when GDI+ makes none.
GdipFontPtr installed_font(Gdiplus::GpFontFamily* family, float size, std::int32_t style);

// Forgets every resolved face and every kept family and font, e.g. after fonts were
// added or removed (a kept family could name a font that is gone), and
// before GDI+ shuts down.
void reset_face_fallback();

}  // namespace markomi
