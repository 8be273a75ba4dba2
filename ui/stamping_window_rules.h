#pragma once
// The arithmetic of the stamping window 「PDFに捺印」: the page fitted into the
// view, pixels to millimetres and back, the resolution the companion is asked
// to draw at, the pages drawn ahead, the stamp moved by keys, and the texts
// and replies of the window. The placement rules themselves are
// output/pdf_stamp/pdf_placement.h's.
#include <string>
#include <string_view>
#include <vector>

#include "output/pdf_stamp/pdf_placement.h"
#include "output/pdf_stamp/pdf_stamp_result.h"

namespace markomi {

// The visible page fitted whole into a view of view_w x view_h pixels, with
// `border` pixels kept free on every side, and centred there.
struct PageFit {
    double left = 0, top = 0;  // the page's top-left in the view
    double px_per_mm = 0;      // 0: nothing to show
    double width_px = 0, height_px = 0;
};
PageFit fit_page(int view_w, int view_h, double page_w_mm, double page_h_mm, int border);

// A point of the view in millimetres from the visible page's top-left.
PdfMmPoint page_point_mm(const PageFit& fit, double x_px, double y_px);

// The stamp's box in view pixels around `centre` (mm on the page).
struct ViewRect {
    double left = 0, top = 0, right = 0, bottom = 0;
};
ViewRect stamp_box_in_view(const PageFit& fit, PdfMmPoint centre, double stamp_w_mm,
                           double stamp_h_mm);

// The resolution a page is drawn at to fill `fit` pixel for pixel, within
// the companion's 10 to 600 dpi.
int render_dpi_for(const PageFit& fit);

// Whether a page drawn at `drawn_dpi` should be drawn again for a view that
// wants `wanted_dpi`: only when the scale changed a lot (a quarter larger, or
// under half), so a resize by a few pixels keeps the picture.
bool render_is_stale(int drawn_dpi, int wanted_dpi);

// The pages to draw, in order: the shown one, then up to two after it.
std::vector<int> pages_to_draw(int shown, int page_count);

// `place` moved by (dx_mm, dy_mm) on a visible page of that size and kept
// again from the nearest corner of where it lands.
PdfPosition nudged_position(const PdfPosition& place, double page_w_mm, double page_h_mm,
                            double stamp_w_mm, double stamp_h_mm, double dx_mm, double dy_mm);

// 「3 / 12 ページ」.
std::u16string page_count_text(int page, int page_count);

// What is wrong with a page list as typed, for a document of `page_count`
// pages (0: not known yet): empty when nothing is.
std::u16string page_list_problem(std::u16string_view text, int page_count);

// The companion's reply to --render: about the page, or its refusal.
struct PdfRenderReply {
    bool answered = false;  // a reply of --render was read
    bool rendered = false;  // the page was drawn into the file
    PdfRefusal refusal = PdfRefusal::kNone;
    int pages = 0, page = 0;
    double width_mm = 0, height_mm = 0;
    int rotation = 0;
    int width_px = 0, height_px = 0;
    bool forbids_changes = false;
    bool is_signed = false;
};
PdfRenderReply read_pdf_render_reply(std::u16string_view line);

// Why a document cannot be stamped, known from its first reply: its
// refusal, or kForbidsChanges; kNone when it can be.
PdfRefusal refusal_at_open(const PdfRenderReply& reply);

}  // namespace markomi
