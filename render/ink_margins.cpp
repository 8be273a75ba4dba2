#include "render/ink_margins.h"

namespace markomi {
namespace {

bool blank(const PixelReader& pixel, int x, int y) {
    std::uint32_t colour = 0;
    return pixel(x, y, &colour) && colour == kBlankPixel;
}

bool row_blank(const PixelReader& pixel, int y, int left, int right) {
    for (int x = left; x < right; ++x)
        if (!blank(pixel, x, y)) return false;
    return true;
}

bool column_blank(const PixelReader& pixel, int x, int top, int bottom) {
    for (int y = top; y < bottom; ++y)
        if (!blank(pixel, x, y)) return false;
    return true;
}

}  // namespace

InkMargins stamp_ink_margins(const PixelReader& pixel, int left, int top, int right, int bottom) {
    int top_count = 0;
    for (int y = top; y < bottom && row_blank(pixel, y, left, right); ++y) ++top_count;
    int bottom_count = 0;
    for (int y = bottom - 1; y >= top && row_blank(pixel, y, left, right); --y) ++bottom_count;
    int left_count = 0;
    for (int x = left; x < right && column_blank(pixel, x, top, bottom); ++x) ++left_count;
    int right_count = 0;
    for (int x = right - 1; x >= left && column_blank(pixel, x, top, bottom); --x) ++right_count;

    // "Everything blank" is judged against the area's own width and height,
    // so the rule holds for an area that does not start at 0 too.
    InkMargins m;
    m.left = left_count == right - left ? 0 : left_count;
    m.top = top_count == bottom - top ? 0 : top_count;
    m.right = right_count;
    m.bottom = bottom_count == bottom - top ? 0 : bottom_count;
    return m;
}

}  // namespace markomi
