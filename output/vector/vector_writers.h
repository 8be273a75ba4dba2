#pragma once
// SVG and PDF files of the stamp's drawing (output/emf/vector_drawing.h):
// the page is the metafile's picture frame, the paths keep their colours,
// and nothing is painted behind them.
#include <string>
#include <vector>

#include "output/emf/vector_drawing.h"

namespace markomi {

// An SVG document: width and height in millimetres, a viewBox in the
// drawing's device units, one <path> per path.
std::string write_svg(const VectorDrawing& drawing);

// A one-page PDF 1.4 document: MediaBox in points, one uncompressed content
// stream whose `cm` maps the device units onto the page with y upwards.
std::string write_pdf(const VectorDrawing& drawing);

// A PDF 1.4 file of the given object bodies, numbered from 1 in order, with
// its cross-reference table; object 1 is the catalog.
std::string pdf_document(const std::vector<std::string>& objects);

// The drawing as PDF content that fills [0 0 width_pt height_pt] with y
// upwards, at the frame's physical size: the page of write_pdf, or the form
// that a stamp on another document's page is drawn from.
std::string pdf_drawing_content(const VectorDrawing& drawing, double* width_pt, double* height_pt);

// A number in plain decimal (no exponent, at most `decimals` places of 0 to
// 9, fewer where the number is too large to hold them, trailing zeros
// dropped), whatever the C locale says about the point; "0" for a value
// that is not finite.
std::string vector_number(double value, int decimals = 3);

}  // namespace markomi
