#pragma once
// A white 32-bit canvas for rendering tests: a GDI+ graphics on a DIB whose
// pixels the test reads directly, and a PNG copy for a person to look at.
#include <windows.h>

#include <cstdint>
#include <string>

#include "render/gdiplus_handles_gdiplus.h"

namespace markomi::testing {

class RenderCanvas {
public:
    RenderCanvas(int width, int height);
    ~RenderCanvas();
    RenderCanvas(const RenderCanvas&) = delete;
    RenderCanvas& operator=(const RenderCanvas&) = delete;

    // The graphics prepared as the output pipelines prepare theirs.
    GraphicsWrapper& graphics() { return graphics_; }
    // Flushes drawing; pixels are 0x00RRGGBB.
    std::uint32_t pixel(int x, int y);
    int width() const { return width_; }
    int height() const { return height_; }
    // Writes build/<tree>/render-artifacts/<name>.png beside the test program.
    void save_png(const std::wstring& name);

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    GraphicsWrapper graphics_;
};

inline bool is_white(std::uint32_t rgb) { return (rgb & 0xFFFFFF) == 0xFFFFFF; }

}  // namespace markomi::testing
