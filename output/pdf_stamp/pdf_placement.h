#pragma once
// Where a stamp goes on a PDF page: the page as the user sees it (the crop
// box within the media box, turned by /Rotate), a corner, edge or the centre
// of it with a margin, or a point given in millimetres from its top-left
// corner; and the matrix that draws the stamp's form, upright, there.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace markomi {

struct PdfBox {
    double left = 0, bottom = 0, right = 0, top = 0;  // default user space, points
};

// The page's numbers as the file gives them, unchecked: the placement
// checks them before it works with them.
struct PdfPageGeometry {
    std::optional<PdfBox> media;  // none when missing or not four numbers
    std::optional<PdfBox> crop;
    long long rotate = 0;  // /Rotate, an integer
    double user_unit = 1;  // /UserUnit: points per user space unit
};

// Readers' page when the media box is missing or is no box: US Letter.
constexpr PdfBox kPdfDefaultMediaBox{0, 0, 612, 792};

// The media box readers use: theirs for a missing one, or one of four zeros
// (which poppler takes as missing too).
PdfBox readers_media_box(const PdfPageGeometry& page);

// The nine places of the position grid, a centre given in millimetres from
// the visible top-left, or one given from a chosen corner.
enum class PdfAnchor {
    kTopLeft, kTop, kTopRight,
    kLeft, kCentre, kRight,
    kBottomLeft, kBottom, kBottomRight,
    kPoint,
    kFromCorner,
};

struct PdfPosition {
    PdfAnchor anchor = PdfAnchor::kTopRight;
    // kPoint: the stamp's centre from the visible top-left; kFromCorner: from
    // `corner` of the visible page, measured inwards.
    double x_mm = 0, y_mm = 0;
    double margin_mm = 10;  // the anchors: from the visible edges
    PdfAnchor corner = PdfAnchor::kTopRight;  // kFromCorner: kTopLeft, kTopRight, kBottomLeft or kBottomRight
};

struct PdfMmPoint {
    double x_mm = 0, y_mm = 0;
};

// A click at (centre_x, centre_y) mm from the visible top-left, kept as the
// distances from the nearest corner, so that on pages of other sizes the
// stamp keeps its distance from that corner.
PdfPosition position_from_nearest_corner(double page_w_mm, double page_h_mm, double centre_x_mm,
                                         double centre_y_mm);

// Where the position puts the stamp's centre on a visible page of that size,
// in mm from its top-left; nullopt for numbers that are no numbers or a
// kFromCorner position whose corner is none. Whether it fits is not checked.
std::optional<PdfMmPoint> stamp_centre_on_page(const PdfPosition& position, double page_w_mm, double page_h_mm,
                                               double stamp_w_mm, double stamp_h_mm);

// True only when the whole stamp lies on the visible page.
bool stamp_fits_page(double page_w_mm, double page_h_mm, double stamp_w_mm, double stamp_h_mm,
                     PdfMmPoint centre);

struct PdfPlacement {
    bool ok = false;
    bool bad_geometry = false;  // not ok: a number of the page is beyond what readers show
    double matrix[6] = {1, 0, 0, 1, 0, 0};  // the `cm` for a form whose BBox is [0 0 w h]
    double centre_x_mm = 0, centre_y_mm = 0;  // the stamp's centre on the visible page
    double page_width_mm = 0, page_height_mm = 0;
};

// Places a stamp of `width_pt` x `height_pt` points on the page. Not ok when
// the page has no area or any part of the stamp would fall outside it, and
// with bad_geometry when its boxes or unit are not finite or beyond the
// limits of PDF (see pdf_placement.cpp).
PdfPlacement place_stamp_on_page(const PdfPageGeometry& page, double width_pt, double height_pt,
                                 const PdfPosition& position);

// A box on the page as shown, in millimetres from its top-left.
struct PdfMmRect {
    double left_mm = 0, top_mm = 0, width_mm = 0, height_mm = 0;
};

// Where a rectangle of default user space (an annotation's /Rect, corners in
// any order) shows on the page: the inverse of the placement's mapping, after
// /Rotate, from the top-left of the visible box, /UserUnit applied. Not cut
// to the page. nullopt for numbers the placement would refuse.
std::optional<PdfMmRect> shown_box_of_rect(const PdfPageGeometry& page, const PdfBox& rect);

// The name the companion's --at takes for an anchor of the grid ("top-left",
// ..., "bottom-right"); empty for kPoint and kFromCorner.
std::u16string_view pdf_anchor_name(PdfAnchor anchor);

// "top-right", "top", ..., "centre" (or "center"), "X,Y" in millimetres from
// the top-left, or "CORNER:X,Y" in millimetres from that corner.
std::optional<PdfPosition> parse_pdf_position(std::u16string_view text);

// Which pages: "first", "last", "all" or a list of pages and ranges
// ("1,3", "2-4"), 1-based. Ranges stay ranges: they are bounded only by the
// document they are applied to.
struct PdfPageRange {
    int first = 1, last = 1;
    bool operator==(const PdfPageRange& o) const { return first == o.first && last == o.last; }
};
struct PdfPageChoice {
    enum Kind { kFirst, kLast, kAll, kList } kind = kFirst;
    std::vector<PdfPageRange> pages;  // kList, as given
};
// Full-width digits, commas (，、), spaces (also U+3000) and range signs
// (- － ～ 〜) are taken as typed with an IME; a range that runs backwards
// or a page 0 is refused.
std::optional<PdfPageChoice> parse_pdf_pages(std::u16string_view text);

// The 1-based pages of a document of `page_count` pages, ascending and each
// once; `missing` receives the first page, in the order listed, that the
// document lacks (0 when none), in which case the result is empty.
std::vector<int> chosen_pages(const PdfPageChoice& choice, int page_count, int* missing);

// A decimal number of millimetres ("12", "7.5"); nullopt for anything else.
std::optional<double> parse_millimetres(std::u16string_view text);

}  // namespace markomi
