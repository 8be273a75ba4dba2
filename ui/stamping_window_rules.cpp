#include "ui/stamping_window_rules.h"

#include <algorithm>
#include <cmath>

#include "base/u16_format.h"
#include "ui/pdf_stamp_rules.h"

namespace markomi {
namespace {

constexpr double kMmPerInch = 25.4;
constexpr int kLowestDpi = 10, kHighestDpi = 600;

// A JSON number at the start of `text` (the companion writes plain decimals,
// no exponent); 0 when there is none. Bounded to the digits of a double.
double number_at(std::u16string_view text) {
    double value = 0, scale = 0;
    bool negative = !text.empty() && text[0] == u'-';
    std::size_t i = negative ? 1 : 0;
    for (std::size_t digits = 0; i < text.size() && digits < 18; ++i, ++digits) {
        const char16_t c = text[i];
        if (c == u'.' && scale == 0) {
            scale = 1;
        } else if (c >= u'0' && c <= u'9') {
            if (scale != 0) {
                scale /= 10;
                value += (c - u'0') * scale;
            } else {
                value = value * 10 + (c - u'0');
            }
        } else {
            break;
        }
    }
    return negative ? -value : value;
}

int int_at(std::u16string_view text) {
    const double v = number_at(text);
    return v > 1e9 || v < -1e9 ? 0 : static_cast<int>(v);
}

bool true_at(std::u16string_view text) {
    return text.substr(0, 4) == u"true";
}

}  // namespace

PageFit fit_page(int view_w, int view_h, double page_w_mm, double page_h_mm, int border) {
    PageFit fit;
    const double room_w = view_w - 2.0 * border, room_h = view_h - 2.0 * border;
    if (!(page_w_mm > 0) || !(page_h_mm > 0) || room_w < 1 || room_h < 1) return fit;
    fit.px_per_mm = std::min(room_w / page_w_mm, room_h / page_h_mm);
    fit.width_px = page_w_mm * fit.px_per_mm;
    fit.height_px = page_h_mm * fit.px_per_mm;
    fit.left = (view_w - fit.width_px) / 2;
    fit.top = (view_h - fit.height_px) / 2;
    return fit;
}

PdfMmPoint page_point_mm(const PageFit& fit, double x_px, double y_px) {
    if (fit.px_per_mm <= 0) return PdfMmPoint{};
    return PdfMmPoint{(x_px - fit.left) / fit.px_per_mm, (y_px - fit.top) / fit.px_per_mm};
}

ViewRect stamp_box_in_view(const PageFit& fit, PdfMmPoint centre, double stamp_w_mm,
                           double stamp_h_mm) {
    const double x = fit.left + centre.x_mm * fit.px_per_mm,
                 y = fit.top + centre.y_mm * fit.px_per_mm;
    const double half_w = stamp_w_mm * fit.px_per_mm / 2, half_h = stamp_h_mm * fit.px_per_mm / 2;
    return ViewRect{x - half_w, y - half_h, x + half_w, y + half_h};
}

int render_dpi_for(const PageFit& fit) {
    const double dpi = std::ceil(fit.px_per_mm * kMmPerInch);
    if (!(dpi >= kLowestDpi)) return kLowestDpi;
    return dpi > kHighestDpi ? kHighestDpi : static_cast<int>(dpi);
}

bool render_is_stale(int drawn_dpi, int wanted_dpi) {
    return drawn_dpi <= 0 || wanted_dpi * 4 > drawn_dpi * 5 || wanted_dpi * 2 < drawn_dpi;
}

std::vector<int> pages_to_draw(int shown, int page_count) {
    std::vector<int> pages;
    for (int p = shown; p >= 1 && p <= page_count && p <= shown + 2; ++p) pages.push_back(p);
    return pages;
}

PdfPosition nudged_position(const PdfPosition& place, double page_w_mm, double page_h_mm,
                            double stamp_w_mm, double stamp_h_mm, double dx_mm, double dy_mm) {
    const std::optional<PdfMmPoint> centre =
        stamp_centre_on_page(place, page_w_mm, page_h_mm, stamp_w_mm, stamp_h_mm);
    if (!centre) return place;
    return position_from_nearest_corner(page_w_mm, page_h_mm, centre->x_mm + dx_mm,
                                        centre->y_mm + dy_mm);
}

std::u16string page_count_text(int page, int page_count) {
    return decimal_text(page) + u" / " + decimal_text(page_count) + u" ページ";
}

std::u16string page_list_problem(std::u16string_view text, int page_count) {
    const std::optional<PdfPageChoice> choice = parse_pdf_pages(text);
    if (!choice || choice->kind != PdfPageChoice::kList)
        return u"ページは 1,3 や 2-4 のように指定してください";
    if (page_count <= 0) return u"";
    int missing = 0;
    chosen_pages(*choice, page_count, &missing);
    if (missing == 0) return u"";
    return decimal_text(missing) + u" ページはありません(全 " + decimal_text(page_count) +
           u" ページ)";
}

PdfRenderReply read_pdf_render_reply(std::u16string_view line) {
    PdfRenderReply reply;
    const std::u16string_view rendered = reply_value_of(line, u"rendered");
    if (rendered.empty()) return reply;
    reply.answered = true;
    reply.rendered = true_at(rendered);
    std::u16string_view refusal = reply_value_of(line, u"refusal");
    if (!refusal.empty()) {
        refusal.remove_prefix(1);  // the opening quote
        reply.refusal = pdf_refusal_named(refusal.substr(0, refusal.find(u'"')));
        reply.rendered = false;
    }
    reply.pages = int_at(reply_value_of(line, u"pages"));
    reply.page = int_at(reply_value_of(line, u"page"));
    reply.width_mm = number_at(reply_value_of(line, u"width_mm"));
    reply.height_mm = number_at(reply_value_of(line, u"height_mm"));
    reply.rotation = int_at(reply_value_of(line, u"rotation"));
    reply.width_px = int_at(reply_value_of(line, u"width_px"));
    reply.height_px = int_at(reply_value_of(line, u"height_px"));
    reply.forbids_changes = true_at(reply_value_of(line, u"forbids_changes"));
    reply.is_signed = true_at(reply_value_of(line, u"signed"));
    return reply;
}

PdfRefusal refusal_at_open(const PdfRenderReply& reply) {
    if (!reply.answered) return PdfRefusal::kUnreadable;
    if (reply.refusal != PdfRefusal::kNone) return reply.refusal;
    if (reply.forbids_changes) return PdfRefusal::kForbidsChanges;
    if (reply.pages <= 0 || !(reply.width_mm > 0) || !(reply.height_mm > 0))
        return PdfRefusal::kUnreadable;
    return PdfRefusal::kNone;
}

}  // namespace markomi
