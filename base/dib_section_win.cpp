#include "base/dib_section_win.h"

namespace markomi {

DibSection::DibSection(int width, int height, int bits_per_pixel)
    : width_(width),
      height_(height),
      stride_(((static_cast<std::size_t>(width) * static_cast<std::size_t>(bits_per_pixel) + 31) / 32) * 4) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bits_per_pixel);
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    if (dc_) bitmap_.reset(CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<BYTE*>(bits);
    if (dc_ && bitmap_ && bits_) {
        HGDIOBJ previous = SelectObject(dc_, bitmap_.get());
        if (previous && previous != HGDI_ERROR) old_ = previous;
    }
}

DibSection::~DibSection() {
    if (old_) SelectObject(dc_, old_);  // before the bitmap goes
    if (dc_) DeleteDC(dc_);
}

BYTE* DibSection::bits() const {
    if (!dc()) return nullptr;
    GdiFlush();
    return bits_;
}

}  // namespace markomi
