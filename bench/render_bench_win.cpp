// Timings of the rendering engine under realistic use, printed as a table.
// Not a test: nothing is asserted. Run: scripts/wine build/win/bin/markomi2_bench.exe
#include <windows.h>
#include <gdiplus.h>

#include <cstdio>
#include <functional>
#include <string>

#include "dates/era_table.h"
#include "output/bitmap_output_win.h"
#include "output/metafile_output_win.h"
#include "output/preview_output_win.h"
#include "render/layout_pass.h"
#include "render/measure_cache.h"
#include "render/row_fit.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"
#include "render/text_path_gdiplus.h"

using namespace markomi;

namespace {

double now_ms() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// Mean milliseconds of `body` over `runs` runs, each after `prepare`.
double time_ms(int runs, const std::function<void()>& prepare, const std::function<void()>& body) {
    double total = 0;
    for (int i = 0; i < runs; ++i) {
        prepare();
        double start = now_ms();
        body();
        total += now_ms() - start;
    }
    return total / runs;
}

struct Canvas {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    GraphicsWrapper g;
    explicit Canvas(int size) {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, size, size);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bitmap);
        gdip::GdipCreateFromHDC(dc, &g.graphics);
        gdip::GdipSetPageUnit(g.graphics, Gdiplus::UnitPixel);
        gdip::GdipSetSmoothingMode(g.graphics, Gdiplus::SmoothingModeAntiAlias);
    }
    ~Canvas() {
        gdip::GdipDeleteGraphics(g.graphics);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

// The floor: the same stamp's glyph paths filled and frame drawn, with the
// layout already known, no measuring and no fitting.
void bare_fill(GraphicsWrapper& g, const SettingsSet& set) {
    const SlotSettings& slot = set.slots[0];
    const struct { const FontSpec* spec; std::u16string text; int y; } rows[] = {
        {&slot.busho, set.global.busho.str(), 181},
        {&slot.date, slot_date_text(slot, set.date, g_era_table), 200},
        {&slot.name, set.global.name.str(), 219}};
    Gdiplus::GpSolidFill* brush = nullptr;
    gdip::GdipCreateSolidFill(0xFFFF0000, &brush);
    for (const auto& row : rows) {
        FontDescription d = font_description_of(*row.spec);
        GdipFamilyPtr family = create_font_family(d);
        GdipFontPtr font = create_font(d, family.get());
        LineRecord line;
        line.text = row.text;
        line.x = 200;
        line.y = row.y;
        line.width = 30;
        line.height = 12;
        draw_line(g, font.get(), brush, d, line);
    }
    gdip::GdipDeleteBrush(brush);
    Gdiplus::GpPen* pen = nullptr;
    gdip::GdipCreatePen1(0xFFFF0000, 1.0f, Gdiplus::UnitWorld, &pen);
    gdip::GdipDrawLineI(g.graphics, pen, 167, 192, 233, 192);
    gdip::GdipDrawLineI(g.graphics, pen, 167, 208, 233, 208);
    gdip::GdipDrawEllipseI(g.graphics, pen, 165, 165, 70, 70);
    gdip::GdipDeletePen(pen);
    gdip::GdipFlush(g.graphics, Gdiplus::FlushIntentionSync);
}

}  // namespace

int wmain() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    init_measure_cache();
    create_surfaces();
    g_era_table = builtin_era_table();
    g_settings.date.year = 2025;
    g_settings.date.month = 5;
    g_settings.date.day = 1;
    const SettingsSet defaults = g_settings;
    GdiplusTextMeasurer measurer;
    StampPoint centre = fit_reference_centre();
    auto cold = [] { g_measure_cache.reset(); };
    auto nothing = [] {};

    Canvas canvas(400);
    double floor = time_ms(50, nothing, [&] { bare_fill(canvas.g, defaults); });
    std::printf("bare GDI+ fill of one stamp (floor): %.3f ms\n", floor);

    for (SurfaceScan mode : {SurfaceScan::kGetPixel, SurfaceScan::kBits}) {
        g_surface_scan = mode;
        std::printf("\nscan by %s\n", mode == SurfaceScan::kGetPixel ? "GetPixel" : "surface bits");
        double pass = time_ms(3, [&] { cold(); g_settings = defaults; },
                              [&] { run_layout_pass(true); });
        double fit_cold = time_ms(5, [&] { cold(); g_settings = defaults; },
                                  [&] { auto_fit_slot(g_settings, 0, g_era_table, centre, measurer); });
        double fit_warm = time_ms(20, nothing,
                                  [&] { auto_fit_slot(g_settings, 0, g_era_table, centre, measurer); });
        int n = 0;
        double line = time_ms(200, nothing, [&] {
            FontDescription d = font_description_of(defaults.slots[0].busho);
            measure_line_ink(d, u"技術部第" + std::u16string(1, static_cast<char16_t>(u'一' + (n++ % 50))));
        });
        double render = time_ms(20, nothing, [&] { render_stamp(canvas.g, g_settings, 0, 200, 200, 0, 1); });
        std::printf("  layout pass, 7 slots, cold cache : %9.2f ms  (%6.0f x floor)\n", pass, pass / floor);
        std::printf("  auto-fit of a slot, cold cache   : %9.2f ms  (%6.0f x floor)\n", fit_cold, fit_cold / floor);
        std::printf("  auto-fit of a slot, warm cache   : %9.3f ms  (%6.1f x floor)\n", fit_warm, fit_warm / floor);
        std::printf("  one line measurement (uncached)  : %9.3f ms  (%6.1f x floor)\n", line, line / floor);
        std::printf("  render with auto-fit, warm cache : %9.3f ms  (%6.1f x floor)\n", render, render / floor);
    }

    // Typing a ten-character department name, the preview redrawn (with
    // auto-fit) after each character.
    g_surface_scan = SurfaceScan::kBits;
    cold();
    g_settings = defaults;
    run_layout_pass(true);
    std::int32_t accesses = g_measure_cache.accesses(), hits = g_measure_cache.hits();
    const std::u16string name = u"営業本部第二営業課長";
    for (std::size_t i = 1; i <= name.size(); ++i) {
        g_settings.global.busho = name.substr(0, i);
        render_stamp(canvas.g, g_settings, 0, 200, 200, 0, 1);
    }
    accesses = g_measure_cache.accesses() - accesses;
    hits = g_measure_cache.hits() - hits;
    std::printf("\ntyping a 10-character department: %d accesses, %d hits, hit rate %.1f%%\n", accesses,
                hits, accesses ? 100.0 * hits / accesses : 0.0);

    // Click to clipboard, per slot and format, with the cache warm as in a session.
    std::printf("\nclick to clipboard (warm cache), ms and x floor\n  slot  bitmap            metafile\n");
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    g_settings = defaults;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        double bitmap = time_ms(5, nothing, [&] { copy_bitmap_to_clipboard(g_settings, slot, owner); });
        double metafile = time_ms(5, nothing, [&] { copy_metafile_to_clipboard(g_settings, slot, owner); });
        std::printf("  %d     %7.2f (%5.1fx)  %7.2f (%5.1fx)\n", slot + 1, bitmap, bitmap / floor, metafile,
                    metafile / floor);
    }
    DestroyWindow(owner);

    // Preview redraw after a one-character change of the department text.
    HDC screen = GetDC(nullptr);
    HDC preview_dc = CreateCompatibleDC(screen);
    HBITMAP preview_bitmap = CreateCompatibleBitmap(screen, 400, 400);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(preview_dc, preview_bitmap);
    g_settings = defaults;
    const std::u16string base = u"技術部";
    int k = 0;
    double redraw = time_ms(30, [&] { g_settings.global.busho = base + static_cast<char16_t>(u'一' + (k++ % 40)); },
                            [&] { draw_preview_slot(preview_dc, g_settings, 0, 96); });
    std::printf("\npreview redraw after a one-character change: %.2f ms (%.1fx floor)\n", redraw, redraw / floor);
    SelectObject(preview_dc, old);
    DeleteObject(preview_bitmap);
    DeleteDC(preview_dc);

    release_surfaces();
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
