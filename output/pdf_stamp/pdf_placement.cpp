#include "output/pdf_stamp/pdf_placement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace markomi {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

// The PDF reference's implementation limits: a page is at most 14,400 units
// on a side (200 inches at the default unit), and /UserUnit, which scales
// the unit, goes up to 75,000 (pages of 15,000,000 inches). A unit below a
// thousandth of a point is refused too: the stamp's matrix would then scale
// by more than a thousand, and its translation leave readers' precision.
constexpr double kMaxPageSide = 14400;
constexpr double kMaxUserUnit = 75000;
constexpr double kMinUserUnit = 0.001;
// Box corners farther out than this from the origin: readers that compute
// in single precision would misplace the stamp by more than a tenth of a
// point; no writer puts a page there.
constexpr double kMaxCoordinate = 1e6;

bool is_sane_coordinate(double v) {
    return std::isfinite(v) && std::fabs(v) <= kMaxCoordinate;
}

bool is_sane_box(const PdfBox& b) {
    return is_sane_coordinate(b.left) && is_sane_coordinate(b.bottom) &&
           is_sane_coordinate(b.right) && is_sane_coordinate(b.top);
}

}  // namespace

PdfBox readers_media_box(const PdfPageGeometry& page) {
    if (!page.media) return kPdfDefaultMediaBox;
    const PdfBox& m = *page.media;
    if (m.left == 0 && m.bottom == 0 && m.right == 0 && m.top == 0) return kPdfDefaultMediaBox;
    return m;
}

namespace {

PdfBox normalised(const PdfBox& b) {
    return PdfBox{std::min(b.left, b.right), std::min(b.bottom, b.top), std::max(b.left, b.right),
                  std::max(b.bottom, b.top)};
}

// The visible area: the crop box clipped to the media box, as viewers show it.
PdfBox visible_box(const PdfPageGeometry& page) {
    const PdfBox media = normalised(readers_media_box(page));
    // A crop box of numbers that are no numbers is ignored; one reaching
    // however far is cut to the media box below.
    if (!page.crop || std::isnan(page.crop->left) || std::isnan(page.crop->bottom) ||
        std::isnan(page.crop->right) || std::isnan(page.crop->top))
        return media;
    const PdfBox crop = normalised(*page.crop);
    PdfBox v{std::max(crop.left, media.left), std::max(crop.bottom, media.bottom),
             std::min(crop.right, media.right), std::min(crop.top, media.top)};
    // A crop box wholly outside the media box is ignored by viewers.
    if (v.right <= v.left || v.top <= v.bottom) return media;
    return v;
}

// Quarter turns clockwise, 0..3. A /Rotate that is no multiple of 90 is
// no turn at all: poppler draws a page of /Rotate 45 or 135 upright
// (pdftoppm), as it does one of a real 90.0 or of an integer too large for
// its 32 bits.
int quarter_turns(long long rotate) {
    if (rotate % 90 != 0 || rotate > INT32_MAX || rotate < INT32_MIN) return 0;
    return static_cast<int>(((rotate / 90) % 4 + 4) % 4);
}

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::vector<std::u16string_view> split(std::u16string_view text, char16_t by) {
    std::vector<std::u16string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(by, start);
        parts.push_back(text.substr(start, at == std::u16string_view::npos ? std::u16string_view::npos : at - start));
        if (at == std::u16string_view::npos) return parts;
        start = at + 1;
    }
}

}  // namespace

namespace {

bool is_corner(PdfAnchor a) {
    return a == PdfAnchor::kTopLeft || a == PdfAnchor::kTopRight || a == PdfAnchor::kBottomLeft ||
           a == PdfAnchor::kBottomRight;
}

}  // namespace

PdfPosition position_from_nearest_corner(double page_w_mm, double page_h_mm, double centre_x_mm,
                                         double centre_y_mm) {
    const bool left = centre_x_mm <= page_w_mm / 2, top = centre_y_mm <= page_h_mm / 2;
    PdfPosition p;
    p.anchor = PdfAnchor::kFromCorner;
    p.corner = top ? (left ? PdfAnchor::kTopLeft : PdfAnchor::kTopRight)
                   : (left ? PdfAnchor::kBottomLeft : PdfAnchor::kBottomRight);
    p.x_mm = left ? centre_x_mm : page_w_mm - centre_x_mm;
    p.y_mm = top ? centre_y_mm : page_h_mm - centre_y_mm;
    return p;
}

std::optional<PdfMmPoint> stamp_centre_on_page(const PdfPosition& position, double page_w_mm, double page_h_mm,
                                               double stamp_w_mm, double stamp_h_mm) {
    if (!std::isfinite(position.x_mm) || !std::isfinite(position.y_mm) || !std::isfinite(position.margin_mm) ||
        !std::isfinite(page_w_mm) || !std::isfinite(page_h_mm) || !std::isfinite(stamp_w_mm) ||
        !std::isfinite(stamp_h_mm))
        return std::nullopt;
    if (position.anchor == PdfAnchor::kPoint) return PdfMmPoint{position.x_mm, position.y_mm};
    if (position.anchor == PdfAnchor::kFromCorner) {
        if (!is_corner(position.corner)) return std::nullopt;
        const int index = static_cast<int>(position.corner);
        const bool right = index % 3 == 2, bottom = index / 3 == 2;
        return PdfMmPoint{right ? page_w_mm - position.x_mm : position.x_mm,
                          bottom ? page_h_mm - position.y_mm : position.y_mm};
    }
    const int index = static_cast<int>(position.anchor);
    if (index < 0 || index > 8) return std::nullopt;
    const int column = index % 3, row = index / 3;
    const double m = position.margin_mm;
    return PdfMmPoint{column == 0 ? m + stamp_w_mm / 2 : column == 1 ? page_w_mm / 2 : page_w_mm - m - stamp_w_mm / 2,
                      row == 0 ? m + stamp_h_mm / 2 : row == 1 ? page_h_mm / 2 : page_h_mm - m - stamp_h_mm / 2};
}

bool stamp_fits_page(double page_w_mm, double page_h_mm, double stamp_w_mm, double stamp_h_mm,
                     PdfMmPoint centre) {
    // A stamp set flush against an edge (margin 0) comes out of the sums a
    // rounding error beyond it, and writers round page boxes to a thousandth
    // of a point; a hundredth of a millimetre over is not "off the page".
    constexpr double kSlack = 0.01;
    return centre.x_mm - stamp_w_mm / 2 >= -kSlack && centre.x_mm + stamp_w_mm / 2 <= page_w_mm + kSlack &&
           centre.y_mm - stamp_h_mm / 2 >= -kSlack && centre.y_mm + stamp_h_mm / 2 <= page_h_mm + kSlack;
}

PdfPlacement place_stamp_on_page(const PdfPageGeometry& page, double width_pt, double height_pt,
                                 const PdfPosition& position) {
    PdfPlacement out;
    // Every number from the file or the caller is checked before any
    // arithmetic with it. A unit that is no positive number is ignored.
    const double unit = page.user_unit > 0 ? page.user_unit : 1;
    const bool sane = is_sane_box(readers_media_box(page)) && std::isfinite(unit) && unit >= kMinUserUnit &&
                      unit <= kMaxUserUnit && std::isfinite(width_pt) && std::isfinite(height_pt) &&
                      std::isfinite(position.margin_mm) && std::isfinite(position.x_mm) &&
                      std::isfinite(position.y_mm);
    if (!sane) {
        out.bad_geometry = true;
        return out;
    }
    const PdfBox box = visible_box(page);
    const int turns = quarter_turns(page.rotate);
    const bool sideways = turns % 2 == 1;
    // The visible page in user space units, x to the right and y downwards.
    const double page_w = sideways ? box.top - box.bottom : box.right - box.left;
    const double page_h = sideways ? box.right - box.left : box.top - box.bottom;
    if (!(page_w > 0) || !(page_h > 0) || !(width_pt > 0) || !(height_pt > 0)) return out;
    if (page_w > kMaxPageSide || page_h > kMaxPageSide) {
        out.bad_geometry = true;
        return out;
    }
    // The centre is worked out in millimetres of the visible page by the
    // same function the stamping window uses, so both agree by construction.
    const double to_mm = unit / kPointsPerMm;
    const double page_w_mm = page_w * to_mm, page_h_mm = page_h * to_mm;
    const double w_mm = width_pt / kPointsPerMm, h_mm = height_pt / kPointsPerMm;
    const std::optional<PdfMmPoint> centre = stamp_centre_on_page(position, page_w_mm, page_h_mm, w_mm, h_mm);
    // A place that does not hold the whole stamp is refused, never moved:
    // a margin too wide for the page would put the centre past the middle,
    // in another corner, and a check of the centre alone let that through.
    if (!centre || !stamp_fits_page(page_w_mm, page_h_mm, w_mm, h_mm, *centre)) return out;
    // The fit's slack must not put the centre of a stamp thinner than it
    // off the page: the form would then be drawn outside the visible page.
    if (centre->x_mm < 0 || centre->x_mm > page_w_mm || centre->y_mm < 0 || centre->y_mm > page_h_mm) return out;
    const double vx = centre->x_mm / to_mm, vy = centre->y_mm / to_mm;

    // The visible point in user space: the viewer turns the page clockwise
    // by /Rotate, so the visible top-left corner is the crop box's top-left,
    // bottom-left, bottom-right or top-right corner.
    double ux = 0, uy = 0;
    double cos_r = 1, sin_r = 0;  // the form turned anticlockwise by /Rotate stands upright
    switch (turns) {
        case 0: ux = box.left + vx; uy = box.top - vy; break;
        case 1: ux = box.left + vy; uy = box.bottom + vx; cos_r = 0; sin_r = 1; break;
        case 2: ux = box.right - vx; uy = box.bottom + vy; cos_r = -1; break;
        default: ux = box.right - vy; uy = box.top - vx; cos_r = 0; sin_r = -1; break;
    }
    const double a = cos_r / unit, b = sin_r / unit, c = -sin_r / unit, d = cos_r / unit;
    out.matrix[0] = a;
    out.matrix[1] = b;
    out.matrix[2] = c;
    out.matrix[3] = d;
    out.matrix[4] = ux - (a * width_pt / 2 + c * height_pt / 2);
    out.matrix[5] = uy - (b * width_pt / 2 + d * height_pt / 2);
    out.centre_x_mm = centre->x_mm;
    out.centre_y_mm = centre->y_mm;
    out.page_width_mm = page_w_mm;
    out.page_height_mm = page_h_mm;
    out.ok = true;
    return out;
}

std::optional<PdfMmRect> shown_box_of_rect(const PdfPageGeometry& page, const PdfBox& rect) {
    const double unit = page.user_unit > 0 ? page.user_unit : 1;
    if (!is_sane_box(readers_media_box(page)) || !is_sane_box(rect) || !std::isfinite(unit) ||
        unit < kMinUserUnit || unit > kMaxUserUnit)
        return std::nullopt;
    const PdfBox box = visible_box(page);
    const PdfBox r = normalised(rect);
    // The placement's turns undone: (x, y) of the visible page, y downwards,
    // of the rectangle's corners that become the shown top-left and
    // bottom-right.
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    switch (quarter_turns(page.rotate)) {
        case 0: x0 = r.left - box.left; y0 = box.top - r.top; x1 = r.right - box.left; y1 = box.top - r.bottom; break;
        case 1: x0 = r.bottom - box.bottom; y0 = r.left - box.left; x1 = r.top - box.bottom; y1 = r.right - box.left; break;
        case 2: x0 = box.right - r.right; y0 = r.bottom - box.bottom; x1 = box.right - r.left; y1 = r.top - box.bottom; break;
        default: x0 = box.top - r.top; y0 = box.right - r.right; x1 = box.top - r.bottom; y1 = box.right - r.left; break;
    }
    const double to_mm = unit / kPointsPerMm;
    return PdfMmRect{x0 * to_mm, y0 * to_mm, (x1 - x0) * to_mm, (y1 - y0) * to_mm};
}

std::optional<double> parse_millimetres(std::u16string_view text) {
    if (text.empty() || text.size() > 12) return std::nullopt;
    double value = 0, scale = 0;
    bool digits = false;
    for (char16_t c : text) {
        if (c == u'.') {
            if (scale != 0) return std::nullopt;
            scale = 1;
        } else if (is_digit(c)) {
            digits = true;
            if (scale != 0) {
                scale /= 10;
                value += (c - u'0') * scale;
            } else {
                value = value * 10 + (c - u'0');
            }
        } else {
            return std::nullopt;
        }
    }
    if (!digits || value > 10000) return std::nullopt;
    return value;
}

std::u16string_view pdf_anchor_name(PdfAnchor anchor) {
    // In the order of the grid, as PdfAnchor counts it.
    static const char16_t* const kNames[] = {u"top-left",    u"top",    u"top-right",
                                             u"left",        u"centre", u"right",
                                             u"bottom-left", u"bottom", u"bottom-right"};
    const int index = static_cast<int>(anchor);
    return index >= 0 && index < 9 ? kNames[index] : u"";
}

std::optional<PdfPosition> parse_pdf_position(std::u16string_view text) {
    PdfPosition p;
    for (int i = 0; i < 9; ++i) {
        const PdfAnchor anchor = static_cast<PdfAnchor>(i);
        if (text == pdf_anchor_name(anchor) || (anchor == PdfAnchor::kCentre && text == u"center")) {
            p.anchor = anchor;
            return p;
        }
    }
    p.anchor = PdfAnchor::kPoint;
    const std::size_t colon = text.find(u':');
    if (colon != std::u16string_view::npos) {
        const std::u16string_view corner = text.substr(0, colon);
        for (PdfAnchor a : {PdfAnchor::kTopLeft, PdfAnchor::kTopRight, PdfAnchor::kBottomLeft, PdfAnchor::kBottomRight})
            if (corner == pdf_anchor_name(a)) p.corner = a;
        if (corner != pdf_anchor_name(p.corner)) return std::nullopt;
        p.anchor = PdfAnchor::kFromCorner;
        text.remove_prefix(colon + 1);
    }
    const std::vector<std::u16string_view> parts = split(text, u',');
    if (parts.size() != 2) return std::nullopt;
    const std::optional<double> x = parse_millimetres(parts[0]), y = parse_millimetres(parts[1]);
    if (!x || !y) return std::nullopt;
    p.x_mm = *x;
    p.y_mm = *y;
    return p;
}

namespace {

// A page list as typed, full-width or not, reduced to ASCII digits, ',' and
// '-', with spaces kept as ' '; nullopt for any other character.
std::optional<std::u16string> ascii_page_list(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text) {
        if (c >= u'０' && c <= u'９') c = static_cast<char16_t>(u'0' + (c - u'０'));
        else if (c == u'，' || c == u'、') c = u',';
        else if (c == u'－' || c == u'～' || c == u'〜') c = u'-';
        else if (c == u'　') c = u' ';
        if (!is_digit(c) && c != u',' && c != u'-' && c != u' ') return std::nullopt;
        out.push_back(c);
    }
    // Spaces around a sign are nothing; those left between numbers part them.
    std::u16string tight;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] != u' ') {
            tight.push_back(out[i]);
            continue;
        }
        std::size_t next = i;
        while (next < out.size() && out[next] == u' ') ++next;
        const bool between_numbers = !tight.empty() && is_digit(tight.back()) && next < out.size() && is_digit(out[next]);
        if (between_numbers) tight.push_back(u',');
        i = next - 1;
    }
    return tight;
}

std::optional<int> page_number(std::u16string_view digits) {
    if (digits.empty() || digits.size() > 7 || !std::all_of(digits.begin(), digits.end(), is_digit))
        return std::nullopt;
    int page = 0;
    for (char16_t c : digits) page = page * 10 + (c - u'0');
    if (page < 1) return std::nullopt;
    return page;
}

}  // namespace

std::optional<PdfPageChoice> parse_pdf_pages(std::u16string_view text) {
    PdfPageChoice choice;
    if (text == u"first") return choice;
    if (text == u"last") {
        choice.kind = PdfPageChoice::kLast;
        return choice;
    }
    if (text == u"all") {
        choice.kind = PdfPageChoice::kAll;
        return choice;
    }
    // Bounded work: a list longer than any a person types is refused.
    if (text.size() > 1000) return std::nullopt;
    const std::optional<std::u16string> ascii = ascii_page_list(text);
    if (!ascii) return std::nullopt;
    choice.kind = PdfPageChoice::kList;
    for (std::u16string_view part : split(*ascii, u',')) {
        const std::size_t dash = part.find(u'-');
        const std::optional<int> first = page_number(part.substr(0, dash));
        const std::optional<int> last =
            dash == std::u16string_view::npos ? first : page_number(part.substr(dash + 1));
        if (!first || !last || *last < *first) return std::nullopt;
        choice.pages.push_back(PdfPageRange{*first, *last});
    }
    return choice;
}

std::vector<int> chosen_pages(const PdfPageChoice& choice, int page_count, int* missing) {
    *missing = 0;
    std::vector<int> pages;
    switch (choice.kind) {
        case PdfPageChoice::kFirst:
            if (page_count >= 1) pages.push_back(1);
            else *missing = 1;
            break;
        case PdfPageChoice::kLast:
            if (page_count >= 1) pages.push_back(page_count);
            else *missing = 1;
            break;
        case PdfPageChoice::kAll:
            for (int i = 1; i <= page_count; ++i) pages.push_back(i);
            if (page_count < 1) *missing = 1;
            break;
        case PdfPageChoice::kList: {
            // Ranges are expanded only within the document, after they are
            // sorted and merged: "1-2000000000" costs no more than "all".
            std::vector<PdfPageRange> ranges;
            for (const PdfPageRange& r : choice.pages) {
                if (r.last > page_count) {
                    *missing = std::max(r.first, page_count + 1);
                    return {};
                }
                ranges.push_back(r);
            }
            std::sort(ranges.begin(), ranges.end(),
                      [](const PdfPageRange& a, const PdfPageRange& b) { return a.first < b.first; });
            int next = 1;  // the first page not yet taken
            for (const PdfPageRange& r : ranges) {
                for (int page = std::max(r.first, next); page <= r.last; ++page) pages.push_back(page);
                next = std::max(next, r.last + 1);
            }
            break;
        }
    }
    if (*missing) pages.clear();
    return pages;
}

}  // namespace markomi
