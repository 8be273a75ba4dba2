#include "render/surfaces_gdiplus.h"

#include "diag/debug_log.h"
#include "diag/debug_log_win.h"
#include "render/font_fallback_win.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "render/measure_cache.h"

namespace markomi {

ScratchSurfaces g_surfaces;
SurfaceScan g_surface_scan = SurfaceScan::kBits;
FramePens g_frame_pens;
UiFontMetrics g_ui_font_metrics;

namespace {

// Set by init_measure_cache, cleared by the one release that counts.
bool g_render_state_live = false;

HPEN solid_pen(ColorRef colour) { return CreatePen(PS_SOLID, 1, static_cast<COLORREF>(colour)); }

void delete_pen(HPEN& pen) {
    if (pen) DeleteObject(pen);
    pen = nullptr;
}

MonochromeSurface make_monochrome_surface(HDC screen, int width, int height) {
    MonochromeSurface s;
    s.dc = CreateCompatibleDC(screen);
    if (!s.dc) return s;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = width;
    info.header.biHeight = -height;  // top-down
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = 2;
    info.colours[1] = RGBQUAD{255, 255, 255, 0};  // index 0 black, 1 white
    void* bits = nullptr;
    s.bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                nullptr, 0);
    if (s.bitmap && bits) {
        s.old_bitmap = SelectObject(s.dc, s.bitmap);
        s.width = width;
        s.height = height;
        s.bits = static_cast<const std::uint8_t*>(bits);
        s.stride = ((width + 31) / 32) * 4;
        PatBlt(s.dc, 0, 0, width, height, WHITENESS);
    }
    // Left in MM_TEXT: one logical unit is one pixel, origin at the top left.
    return s;
}

void release_monochrome_surface(MonochromeSurface& s) {
    if (s.dc && s.old_bitmap) SelectObject(s.dc, s.old_bitmap);
    if (s.bitmap) DeleteObject(s.bitmap);
    if (s.dc) DeleteDC(s.dc);
    s = MonochromeSurface();
}

void write_cache_statistics() {
    if (!g_debug_enabled) return;
    for (const std::u16string& message : measure_cache_statistics_messages(g_measure_cache))
        write_log_line(message);
}

}  // namespace

PixelReader surface_reader(const MonochromeSurface& surface) {
    if (g_surface_scan == SurfaceScan::kGetPixel || !surface.bits) {
        HDC dc = surface.dc;
        return [dc](int x, int y, std::uint32_t* colour) {
            if (!dc) return false;
            COLORREF c = GetPixel(dc, x, y);
            if (c == CLR_INVALID) return false;
            *colour = static_cast<std::uint32_t>(c);
            return true;
        };
    }
    BitBuffer bits;
    surface_bits(surface, &bits);
    return [bits](int x, int y, std::uint32_t* colour) { return bit_buffer_pixel(bits, x, y, colour); };
}

bool surface_bits(const MonochromeSurface& surface, BitBuffer* bits) {
    if (g_surface_scan == SurfaceScan::kGetPixel || !surface.bits) return false;
    GdiFlush();  // GDI may still hold drawing for the DIB section
    *bits = BitBuffer{surface.bits, surface.width, surface.height, surface.stride};
    return true;
}

void init_measure_cache() {
    g_render_state_live = true;
    g_measure_cache.reset();
    FramePenColours colours = frame_pen_colours(static_cast<ColorRef>(GetSysColor(COLOR_BTNFACE)));
    g_frame_pens.shadow = solid_pen(colours.shadow);
    g_frame_pens.dark_shadow = solid_pen(colours.dark_shadow);
    g_frame_pens.light = solid_pen(colours.light);
    g_frame_pens.highlight = solid_pen(colours.highlight);
}

PreviewSize current_preview_box_size() { return preview_box_size(g_ui_font_metrics); }
PreviewOrigin current_preview_box_origin() { return preview_box_origin(g_ui_font_metrics); }

void create_surfaces() {
    PreviewSize surface = scratch_surface_size(current_preview_box_size());
    HDC screen = GetDC(nullptr);
    g_surfaces.ink = make_monochrome_surface(screen, surface.width, surface.height);
    g_surfaces.measuring = make_monochrome_surface(screen, surface.width, surface.height);
    if (g_surfaces.measuring.dc) {
        Gdiplus::GpGraphics* graphics = nullptr;
        if (gdip::GdipCreateFromHDC(g_surfaces.measuring.dc, &graphics) == Gdiplus::Ok) {
            gdip::GdipSetPageUnit(graphics, Gdiplus::UnitPixel);
            gdip::GdipSetTextRenderingHint(graphics, Gdiplus::TextRenderingHintAntiAliasGridFit);
            g_surfaces.measuring_graphics = graphics;
        }
    }
    g_surfaces.reference = CreateCompatibleDC(screen);
    if (g_surfaces.reference) {
        // Left in MM_TEXT, where one logical unit is one device pixel. An
        // isotropic mapping would not keep that: switching to it sets the
        // extents of MM_LOMETRIC (tenths of the monitor's millimetres, y up),
        // which every recording and its frame would inherit.
        Gdiplus::GpGraphics* probe = nullptr;
        if (gdip::GdipCreateFromHDC(g_surfaces.reference, &probe) == Gdiplus::Ok) {
            float dpi_x = 0, dpi_y = 0;
            gdip::GdipGetDpiX(probe, &dpi_x);
            gdip::GdipGetDpiY(probe, &dpi_y);
            g_surfaces.reference_dpi_x = static_cast<int>(dpi_x);
            g_surfaces.reference_dpi_y = static_cast<int>(dpi_y);
            gdip::GdipDeleteGraphics(probe);
        }
    }
    if (screen) ReleaseDC(nullptr, screen);
}

void release_surfaces() {
    if (!g_render_state_live) return;
    g_render_state_live = false;
    delete_pen(g_frame_pens.shadow);
    delete_pen(g_frame_pens.dark_shadow);
    delete_pen(g_frame_pens.light);
    delete_pen(g_frame_pens.highlight);
    release_monochrome_surface(g_surfaces.ink);
    if (g_surfaces.measuring_graphics) gdip::GdipDeleteGraphics(g_surfaces.measuring_graphics);
    g_surfaces.measuring_graphics = nullptr;
    release_monochrome_surface(g_surfaces.measuring);
    if (g_surfaces.reference) DeleteDC(g_surfaces.reference);
    g_surfaces.reference = nullptr;
    g_measure_cache.release_keys();
    // The kept GDI+ font families go too, while GDI+ still runs.
    reset_face_fallback();
    write_cache_statistics();
}

void draw_sunken_frame(HDC dc, int left, int top, int right, int bottom) {
    PreviewRect rect{left, top, right, bottom};
    HGDIOBJ previous = nullptr;
    for (const FrameStep& step : sunken_frame_steps(rect)) {
        HPEN pen = step.pen == FramePen::kShadow       ? g_frame_pens.shadow
                   : step.pen == FramePen::kDarkShadow ? g_frame_pens.dark_shadow
                   : step.pen == FramePen::kLight      ? g_frame_pens.light
                                                       : g_frame_pens.highlight;
        HGDIOBJ old = pen ? SelectObject(dc, pen) : nullptr;
        if (!previous) previous = old;
        if (step.move)
            MoveToEx(dc, step.x, step.y, nullptr);
        else
            LineTo(dc, step.x, step.y);
    }
    if (previous) SelectObject(dc, previous);
}

void draw_preview_frame(HDC dc) {
    PreviewRect r = preview_frame_rect(current_preview_box_size(), current_preview_box_origin());
    draw_sunken_frame(dc, r.left, r.top, r.right, r.bottom);
}

}  // namespace markomi
