#pragma once
// Whether an annotation of the page (a form field's widget, a shape, a
// note) is drawn over the place of a stamp: readers draw annotations above
// the page's content, so such a one may hide the stamp put into it.
#include <string_view>

#include "output/pdf_stamp/pdf_placement.h"

namespace markomi {

// Whether an annotation of `subtype` ("/Widget", "/Link", ...) with the
// flags `flags` is drawn on the page at all: links and pop-ups paint
// nothing there, hidden ones (flags 2 and 32) nothing anywhere.
bool annotation_is_drawn(std::string_view subtype, int flags);

// Whether `rect` (an annotation's /Rect, its corners in either order)
// shares area with the stamp drawn by `placement` over [0 0 width height].
// Numbers that are not finite share nothing.
bool rect_overlaps_stamp(const PdfBox& rect, const PdfPlacement& placement, double width_pt,
                         double height_pt);

}  // namespace markomi
