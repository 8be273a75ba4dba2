#include "support/render_canvas.h"

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
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe, n);
    folder = folder.substr(0, folder.find_last_of(L'\\'));
    folder += L"\\render-artifacts";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring path = folder + L"\\" + name + L".png";

    Gdiplus::GpBitmap* image = nullptr;
    if (gdip::GdipCreateBitmapFromHBITMAP(bitmap_, nullptr, &image) != Gdiplus::Ok) return;
    // PNG encoder
    static const CLSID kPng = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    gdip::GdipSaveImageToFile(image, path.c_str(), &kPng, nullptr);
    gdip::GdipDisposeImage(image);
}

}  // namespace markomi::testing
