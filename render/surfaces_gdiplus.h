#pragma once
// The scratch surfaces shared by measuring and output for the whole run, the
// frame pens of the sunken preview frame, and their start and end.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>

#include "render/measure_rules.h"
#include "render/preview_geometry.h"

namespace markomi {

// A 1-bit surface: every pixel is white (the background) or ink. It is a
// top-down DIB section, so scans can read its bits in place instead of one
// GetPixel call per pixel.
struct MonochromeSurface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old_bitmap = nullptr;
    int width = 0;
    int height = 0;
    const std::uint8_t* bits = nullptr;  // row-major, 1 = white, most significant bit first
    int stride = 0;                      // bytes per row
};

// How pixel scans read a surface: through GetPixel, or from its bits after
// a flush. Both give identical results (reads outside the surface fail and
// count as ink); the bits are read by default as they are much faster.
enum class SurfaceScan { kGetPixel, kBits };
extern SurfaceScan g_surface_scan;

// A reader of the surface's pixels (as COLORREF) in the current scan mode.
PixelReader surface_reader(const MonochromeSurface& surface);

// When the current scan mode reads bits and the surface has them: true, and
// `bits` is the surface's, ready to read (GDI has finished drawing).
bool surface_bits(const MonochromeSurface& surface, BitBuffer* bits);

struct ScratchSurfaces {
    MonochromeSurface ink;                         // stamps drawn black on white, scanned for crops
    MonochromeSurface measuring;                   // one line at a time, scanned for its ink box
    Gdiplus::GpGraphics* measuring_graphics = nullptr;
    HDC reference = nullptr;                       // reference device of metafile recording
    int reference_dpi_x = 0;
    int reference_dpi_y = 0;
};

struct FramePens {
    HPEN shadow = nullptr;
    HPEN dark_shadow = nullptr;
    HPEN light = nullptr;
    HPEN highlight = nullptr;
};

extern ScratchSurfaces g_surfaces;
extern FramePens g_frame_pens;
// Measured by the windows that show text (settings, preferences, overlay);
// 0 until one of them has.
extern UiFontMetrics g_ui_font_metrics;

// Empties the measurement cache and makes the four frame pens from the
// button-face colour.
void init_measure_cache();
// Makes the ink, measuring and reference surfaces (5W x 5H for the first two).
void create_surfaces();
// Releases everything the two calls above made and the font families kept
// for measuring and drawing, once, and writes the cache statistics to the
// debug log.
void release_surfaces();

void draw_sunken_frame(HDC dc, int left, int top, int right, int bottom);
void draw_preview_frame(HDC dc);

PreviewSize current_preview_box_size();
PreviewOrigin current_preview_box_origin();

}  // namespace markomi
