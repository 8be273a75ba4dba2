#include "support/render_canvas.h"

#include "support/golden.h"

namespace markomi::testing {

RenderCanvas::RenderCanvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    bits_ = static_cast<std::uint32_t*>(bits);
    old_ = SelectObject(dc_, bitmap_);
    PatBlt(dc_, 0, 0, width, height, WHITENESS);
    gdip::GdipCreateFromHDC(dc_, &graphics_.graphics);
    gdip::GdipSetPageUnit(graphics_.graphics, Gdiplus::UnitPixel);
    gdip::GdipSetSmoothingMode(graphics_.graphics, Gdiplus::SmoothingModeAntiAlias);
    gdip::GdipSetTextRenderingHint(graphics_.graphics, Gdiplus::TextRenderingHintAntiAlias);
    gdip::GdipSetInterpolationMode(graphics_.graphics, Gdiplus::InterpolationModeHighQuality);
}

RenderCanvas::~RenderCanvas() {
    if (graphics_.graphics) gdip::GdipDeleteGraphics(graphics_.graphics);
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

std::uint32_t RenderCanvas::pixel(int x, int y) {
    gdip::GdipFlush(graphics_.graphics, Gdiplus::FlushIntentionSync);
    GdiFlush();
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || !bits_) return 0xFFFFFF;
    return bits_[static_cast<size_t>(y) * width_ + x] & 0xFFFFFF;
}

void RenderCanvas::save_png(const std::wstring& name) {
    gdip::GdipFlush(graphics_.graphics, Gdiplus::FlushIntentionSync);
    GdiFlush();
    save_bitmap_artifact(bitmap_, name);
}

}  // namespace markomi::testing
