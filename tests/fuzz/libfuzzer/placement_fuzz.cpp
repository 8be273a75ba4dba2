// Where the stamp goes on a page whose boxes, /Rotate and /UserUnit come from
// anyone's PDF: any number a file can hold (NaN, infinities, 1e300, -0),
// then the `cm` text the companion writes for a placement it accepts.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "output/pdf_stamp/pdf_placement.h"
#include "output/vector/vector_writers.h"

namespace {

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | byte();
        return v;
    }
    // A number as a file gives it: a whole or fractional coordinate, one of
    // the awkward values, or any bit pattern of a double.
    double number() {
        static const double kAwkward[] = {0, -0.0, 1, 612, 792, 1e7, 1e13, 1e300, 1e-300,
                                          std::numeric_limits<double>::infinity(),
                                          -std::numeric_limits<double>::infinity(),
                                          std::numeric_limits<double>::quiet_NaN(),
                                          std::numeric_limits<double>::denorm_min(),
                                          std::numeric_limits<double>::max(), -1e13, 14400};
        const std::uint8_t how = byte();
        switch (how % 4) {
            case 0: return static_cast<std::int32_t>(u32());
            case 1: return static_cast<std::int32_t>(u32()) / 65536.0;
            case 2: return kAwkward[byte() % (sizeof kAwkward / sizeof kAwkward[0])];
            default: {
                const std::uint64_t bits = static_cast<std::uint64_t>(u32()) << 32 | u32();
                double d;
                std::memcpy(&d, &bits, sizeof d);
                return d;
            }
        }
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

markomi::PdfBox box(Bytes& in) {
    markomi::PdfBox b;
    b.left = in.number();
    b.bottom = in.number();
    b.right = in.number();
    b.top = in.number();
    return b;
}

bool finite(const markomi::PdfPlacement& p) {
    for (double v : p.matrix)
        if (!std::isfinite(v)) return false;
    return std::isfinite(p.centre_x_mm) && std::isfinite(p.centre_y_mm) &&
           std::isfinite(p.page_width_mm) && std::isfinite(p.page_height_mm);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes in(data, size);
    markomi::PdfPageGeometry page;
    page.media = box(in);
    if (in.byte() & 1) page.crop = box(in);
    page.rotate = static_cast<std::int32_t>(in.u32());
    page.user_unit = in.number();
    // The stamp's size and the position are the program's own, in the
    // ranges its settings and its argument parser allow.
    const double width_pt = in.u32() % 200001 / 100.0, height_pt = in.u32() % 200001 / 100.0;
    markomi::PdfPosition position;
    position.anchor = static_cast<markomi::PdfAnchor>(in.byte() % 10);
    position.x_mm = in.u32() % 1000001 / 100.0;
    position.y_mm = in.u32() % 1000001 / 100.0;
    position.margin_mm = in.u32() % 100001 / 100.0;

    // An annotation's /Rect read back on the page as shown: finite, or refused.
    if (const auto shown = markomi::shown_box_of_rect(page, box(in)))
        if (!std::isfinite(shown->left_mm) || !std::isfinite(shown->top_mm) ||
            !(shown->width_mm >= 0) || !(shown->height_mm >= 0) || !std::isfinite(shown->width_mm) ||
            !std::isfinite(shown->height_mm))
            std::abort();
    const markomi::PdfPlacement p = markomi::place_stamp_on_page(page, width_pt, height_pt, position);
    if (!p.ok) return 0;
    // An accepted placement draws the stamp: finite numbers, a matrix that
    // does not squash it to nothing, its centre on the page.
    if (!finite(p) || p.matrix[0] * p.matrix[3] - p.matrix[1] * p.matrix[2] == 0) std::abort();
    if (p.centre_x_mm < 0 || p.centre_x_mm > p.page_width_mm || p.centre_y_mm < 0 ||
        p.centre_y_mm > p.page_height_mm)
        std::abort();
    std::string cm;  // as the companion writes the form's matrix
    for (double v : p.matrix) cm += markomi::vector_number(v, 6) + " ";
    return 0;
}
