#include "output/pdf_stamp/pdf_stamp_cover.h"

#include <algorithm>
#include <cmath>

namespace markomi {

bool annotation_is_drawn(std::string_view subtype, int flags) {
    constexpr int kHidden = 2, kNoView = 32;
    if (flags & (kHidden | kNoView)) return false;
    return subtype != "/Link" && subtype != "/Popup";
}

bool rect_overlaps_stamp(const PdfBox& rect, const PdfPlacement& placement, double width_pt,
                         double height_pt) {
    const double* m = placement.matrix;
    const double corners[4][2] = {{0, 0}, {width_pt, 0}, {0, height_pt}, {width_pt, height_pt}};
    double left = HUGE_VAL, right = -HUGE_VAL, bottom = HUGE_VAL, top = -HUGE_VAL;
    for (const auto& c : corners) {
        const double x = m[0] * c[0] + m[2] * c[1] + m[4];
        const double y = m[1] * c[0] + m[3] * c[1] + m[5];
        left = std::min(left, x);
        right = std::max(right, x);
        bottom = std::min(bottom, y);
        top = std::max(top, y);
    }
    for (double v : {rect.left, rect.right, rect.bottom, rect.top, left, right, bottom, top})
        if (!std::isfinite(v)) return false;
    return std::min(right, std::max(rect.left, rect.right)) >
               std::max(left, std::min(rect.left, rect.right)) &&
           std::min(top, std::max(rect.bottom, rect.top)) >
               std::max(bottom, std::min(rect.bottom, rect.top));
}

}  // namespace markomi
