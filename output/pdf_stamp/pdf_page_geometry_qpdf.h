#pragma once
// A page's boxes, turn and unit as readers take them from the page tree,
// for the placement rules (pdf_placement.h), which check the numbers.
#include <qpdf/QPDFPageObjectHelper.hh>

#include "output/pdf_stamp/pdf_placement.h"

namespace markomi {

// /MediaBox, /CropBox and /Rotate from the page or the nearest node above it
// that holds a fitting value (each node visited once); /UserUnit of the page.
PdfPageGeometry page_geometry(QPDFPageObjectHelper& page);

// An annotation's /Rect; none when it is no rectangle.
std::optional<PdfBox> rect_of(QPDFObjectHandle annotation);

}  // namespace markomi
