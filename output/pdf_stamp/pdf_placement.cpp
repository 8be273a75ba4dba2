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
    const double w = width_pt / unit, h = height_pt / unit;
    const double margin = position.margin_mm * kPointsPerMm / unit;

    double vx = 0, vy = 0;
    if (position.anchor == PdfAnchor::kPoint) {
        vx = position.x_mm * kPointsPerMm / unit;
        vy = position.y_mm * kPointsPerMm / unit;
    } else {
        const int index = static_cast<int>(position.anchor);
        const int column = index % 3, row = index / 3;
        vx = column == 0 ? margin + w / 2 : column == 1 ? page_w / 2 : page_w - margin - w / 2;
        vy = row == 0 ? margin + h / 2 : row == 1 ? page_h / 2 : page_h - margin - h / 2;
    }
    if (vx < 0 || vx > page_w || vy < 0 || vy > page_h) return out;

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
    out.centre_x_mm = vx * unit / kPointsPerMm;
    out.centre_y_mm = vy * unit / kPointsPerMm;
    out.page_width_mm = page_w * unit / kPointsPerMm;
    out.page_height_mm = page_h * unit / kPointsPerMm;
    out.ok = true;
    return out;
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
    const std::vector<std::u16string_view> parts = split(text, u',');
    if (parts.size() != 2) return std::nullopt;
    const std::optional<double> x = parse_millimetres(parts[0]), y = parse_millimetres(parts[1]);
    if (!x || !y) return std::nullopt;
    p.anchor = PdfAnchor::kPoint;
    p.x_mm = *x;
    p.y_mm = *y;
    return p;
}

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
    choice.kind = PdfPageChoice::kList;
    for (std::u16string_view part : split(text, u',')) {
        if (part.empty() || part.size() > 7 || !std::all_of(part.begin(), part.end(), is_digit)) return std::nullopt;
        int page = 0;
        for (char16_t c : part) page = page * 10 + (c - u'0');
        if (page < 1) return std::nullopt;
        choice.pages.push_back(page);
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
        case PdfPageChoice::kList:
            for (int page : choice.pages) {
                if (page > page_count) {
                    *missing = page;
                    return {};
                }
                pages.push_back(page);
            }
            std::sort(pages.begin(), pages.end());
            pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
            break;
    }
    if (*missing) pages.clear();
    return pages;
}

}  // namespace markomi
