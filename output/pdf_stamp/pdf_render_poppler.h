#pragma once
// Drawing one page of a PDF document as a reader shows it (crop box, the
// page's own rotation), with poppler's Splash renderer, into 24-bit RGB
// rows. Linked into the companion alone. The caller has checked that the
// file is there and not held by another program.
#include <cstdint>
#include <string>
#include <vector>

namespace markomi {

enum class PdfRenderRefusal { kNone, kNotPdf, kPassword, kUnreadable, kNoSuchPage, kMissing, kLocked, kTooLarge };

// The refusal's name in the companion's replies ("not-pdf", "too-large", ...).
const char16_t* pdf_render_refusal_name(PdfRenderRefusal refusal);

// Bounds of a drawn page: resolution and the picture's pixel count.
constexpr int kRenderMinDpi = 10;
constexpr int kRenderMaxDpi = 600;
constexpr long long kRenderMaxPixels = 40'000'000;

struct PdfPageRender {
    PdfRenderRefusal refusal = PdfRenderRefusal::kNone;
    int pages = 0;
    int page = 0;
    double width_mm = 0;   // the visible page as shown (after rotation)
    double height_mm = 0;
    int rotation = 0;      // 0, 90, 180 or 270
    bool forbids_changes = false;
    bool is_signed = false;
    int width_px = 0;      // the drawing, when one was asked for
    int height_px = 0;
    std::vector<std::uint8_t> rgb;  // rows top to bottom, 3 bytes a pixel, no padding
};

// Reads `path` and, when `dpi` > 0, draws page `page` (1-based) at that
// resolution. Never prints: poppler's messages are silenced.
PdfPageRender render_pdf_page(const std::wstring& path, int page, int dpi);

}  // namespace markomi
