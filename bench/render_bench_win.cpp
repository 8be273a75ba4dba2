// Timings of the stamp engine under realistic use, against the goals it is
// held to. Every figure is a multiple of a floor measured in the same run
// (a bare GDI+ fill of one stamp), so runs on different machines compare.
// Not a test: nothing is asserted. Run:
//   scripts/wine build/win/bin/markomi2_bench.exe
#include <windows.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "dates/era_table.h"
#include "output/clipboard/stamp_copy_win.h"
#include "output/clipboard/transparent_formats_win.h"
#include "output/emf/metafile_output_win.h"
#include "output/preview/preview_output_win.h"
#include "output/preview/preview_render_geometry.h"
#include "output/raster/bitmap_output_win.h"
#include "render/font_fallback_win.h"
#include "render/layout_pass.h"
#include "render/measure_cache.h"
#include "render/measure_rules.h"
#include "render/row_fit.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"
#include "render/text_path_gdiplus.h"
#include "start_to_ready_win.h"

using namespace markomi;
using namespace markomi::bench;

namespace {

// Characters a department name is typed in: common ones every Japanese face
// has, so that a keystroke costs what typing costs.
constexpr char16_t kTypedCharacters[] =
    u"一二三四五六七八九十上下左右本部課長営業総務経理人事開発製造品質管理企画広報法務情報"
    u"東西南北中央支店工場研究所室係第販売購買資材設計技術保守安全教育調査分析"
    u"新規推進門国際車両電気機械化学医薬食品物流";
// Characters no Japanese face has: each keystroke makes the face check search
// every installed face.
constexpr char16_t kFacelessCharacters[] = u"가나다라마바사아자차카타파하거너더러머버";

constexpr int kFloorRuns = 101;
constexpr int kClickRuns = 15;
constexpr int kKeystrokes = 41;
constexpr int kPassRuns = 15;
constexpr int kStartRuns = 7;

struct Canvas {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    GraphicsWrapper g;
    Canvas(int width, int height) {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, width, height);
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
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
};

// ---- The floor ------------------------------------------------------------------

Gdiplus::GpStringFormat* typographic_format() {
    Gdiplus::GpStringFormat* format = nullptr;
    gdip::GdipStringFormatGetGenericTypographic(&format);
    return format;
}

Gdiplus::GpFontFamily* family_by_name(const FontDescription& d) {
    Gdiplus::GpFontFamily* family = nullptr;
    std::wstring face(d.face_name.view().begin(), d.face_name.view().end());
    if (gdip::GdipCreateFontFamilyFromName(face.c_str(), nullptr, &family) == Gdiplus::Ok)
        return family;
    Gdiplus::GpFontFamily* generic = nullptr;
    gdip::GdipGetGenericFontFamilySansSerif(&generic);
    gdip::GdipCloneFontFamily(generic, &family);
    return family;
}

// One row as the renderer draws it: the family and font made from the face,
// the family made again for the path, the em size from the font, the glyph
// path filled. Plain GDI+ calls, so that the floor does not move when the
// project's own code gets faster.
void bare_row(Gdiplus::GpGraphics* graphics, Gdiplus::GpBrush* brush, const FontDescription& d,
              const std::u16string& text, float x, float y) {
    Gdiplus::GpFontFamily* family = family_by_name(d);
    Gdiplus::GpFont* font = nullptr;
    gdip::GdipCreateFont(family, static_cast<float>(d.height < 0 ? -d.height : d.height),
                         font_style_of(d), Gdiplus::UnitPixel, &font);
    Gdiplus::GpFontFamily* path_family = family_by_name(d);
    INT style = 0;
    gdip::GdipGetFontStyle(font, &style);
    Gdiplus::GpFontFamily* own = nullptr;
    gdip::GdipGetFamily(font, &own);
    float font_height = 0;
    UINT16 em_height = 0, line_spacing = 0;
    gdip::GdipGetFontHeight(font, graphics, &font_height);
    gdip::GdipGetEmHeight(own, style, &em_height);
    gdip::GdipGetLineSpacing(own, style, &line_spacing);
    gdip::GdipDeleteFontFamily(own);
    Gdiplus::GpPath* path = nullptr;
    gdip::GdipCreatePath(Gdiplus::FillModeAlternate, &path);
    std::wstring wide(text.begin(), text.end());
    Gdiplus::RectF origin(x, y, 0, 0);
    gdip::GdipStartPathFigure(path);
    gdip::GdipAddPathString(path, wide.c_str(), static_cast<INT>(wide.size()), path_family, style,
                            em_size_of(font_height, em_height, line_spacing), &origin,
                            typographic_format());
    gdip::GdipClosePathFigures(path);
    gdip::GdipFillPath(graphics, brush, path);
    gdip::GdipDeletePath(path);
    gdip::GdipDeleteFontFamily(path_family);
    gdip::GdipDeleteFont(font);
    gdip::GdipDeleteFontFamily(family);
}

// The floor: the stamp's three rows filled and its frame drawn, with the
// layout already known, no measuring and no fitting.
void bare_fill(Gdiplus::GpGraphics* graphics, const SettingsSet& set) {
    const SlotSettings& slot = set.slots[0];
    const struct {
        const FontSpec* spec;
        std::u16string text;
        float y;
    } rows[] = {{&slot.busho, set.global.busho.str(), 175},
                {&slot.date, slot_date_text(slot, set.date, g_era_table), 194},
                {&slot.name, set.global.name.str(), 213}};
    Gdiplus::GpSolidFill* brush = nullptr;
    gdip::GdipCreateSolidFill(0xFFFF0000, &brush);
    for (const auto& row : rows)
        bare_row(graphics, brush, font_description_of(*row.spec), row.text, 185, row.y);
    gdip::GdipDeleteBrush(brush);
    Gdiplus::GpPen* pen = nullptr;
    gdip::GdipCreatePen1(0xFFFF0000, 1.0f, Gdiplus::UnitWorld, &pen);
    gdip::GdipDrawLineI(graphics, pen, 167, 192, 233, 192);
    gdip::GdipDrawLineI(graphics, pen, 167, 208, 233, 208);
    gdip::GdipDrawEllipseI(graphics, pen, 165, 165, 70, 70);
    gdip::GdipDeletePen(pen);
    gdip::GdipFlush(graphics, Gdiplus::FlushIntentionSync);
}

// ---- Goals ------------------------------------------------------------------------

struct Goal {
    const char* name;
    double ratio;  // the figure, × floor
    double limit;  // the goal, × floor (or × the bare program); 0: report only
    bool measured;
};
std::vector<Goal> g_goals;

const char* verdict(const Goal& goal) {
    if (!goal.measured) return "not measured";
    if (goal.limit <= 0) return "report only";
    return goal.ratio <= goal.limit ? "holds" : "MISSED";
}

// Prints the figure's goal and verdict after its line and keeps it for the summary.
void goal_line(const char* name, double ratio, double limit, bool measured = true) {
    g_goals.push_back(Goal{name, ratio, limit, measured});
    const Goal& goal = g_goals.back();
    if (limit > 0)
        std::printf("    goal <= %.1fx: %s\n", limit, verdict(goal));
    else
        std::printf("    no goal: %s\n", verdict(goal));
}

// ---- Measuring through a counting measurer -----------------------------------------

// A line that missed the measurement cache, as it was measured.
struct MissedLine {
    FontDescription font;
    std::u16string text;
};

// The renderer's measurer (through the process's cache), counting lookups
// and misses and timing the misses' ink measurements.
class CountingMeasurer : public TextMeasurer {
public:
    int lookups = 0;
    int misses = 0;
    double ink_ms = 0;
    std::vector<MissedLine>* missed = nullptr;  // where the misses are kept, if anywhere

    void measure_line(const FontDescription& font, LineRecord& line) override {
        ++lookups;
        measure_line_through_cache(g_measure_cache, font, line,
                                   [this](const FontDescription& f, std::u16string_view text) {
                                       ++misses;
                                       if (missed) missed->push_back({f, std::u16string(text)});
                                       const double start = now_ms();
                                       MeasuredSize size = measure_line_ink(f, text);
                                       ink_ms += now_ms() - start;
                                       return size;
                                   });
    }
};

// ---- Clipboard owners -----------------------------------------------------------------

// The resident program's main window as far as the clipboard goes: it makes
// the offered formats when a program asks for them.
LRESULT CALLBACK DelayedOwnerProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_RENDERFORMAT: render_offered_format(static_cast<UINT>(wparam)); return 0;
        case WM_RENDERALLFORMATS: render_remaining_offered_formats(hwnd); return 0;
        case WM_DESTROYCLIPBOARD: forget_offered_formats(); return 0;
        default: return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
}

HWND create_delayed_owner() {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DelayedOwnerProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"Markomi2BenchClipboardOwner";
    RegisterClassW(&window_class);
    return CreateWindowExW(0, window_class.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           window_class.hInstance, nullptr);
}

// ---- The figures ------------------------------------------------------------------------

void click_to_clipboard(const SettingsSet& defaults, double floor) {
    std::printf("\nclick to clipboard, warm cache: ms (x floor), median of %d per slot\n",
                kClickRuns);
    std::printf("  slot  bitmap, resident    bitmap, at once     metafile\n");
    HWND delayed = create_delayed_owner();
    set_delayed_rendering_window(delayed);
    HWND at_once =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    g_settings = defaults;
    run_layout_pass(true);
    double worst_resident = 0, worst_at_once = 0, worst_metafile = 0;
    auto nothing = [] {};
    for (int slot = 0; slot < kSlotCount; ++slot) {
        // One of each first: the first copy of a slot fits it at twice the size.
        copy_bitmap_to_clipboard(g_settings, slot, delayed);
        copy_metafile_to_clipboard(g_settings, slot, at_once);
        const double resident = median_ms(
            kClickRuns, nothing, [&] { copy_bitmap_to_clipboard(g_settings, slot, delayed); });
        const double all_formats = median_ms(
            kClickRuns, nothing, [&] { copy_bitmap_to_clipboard(g_settings, slot, at_once); });
        const double metafile = median_ms(
            kClickRuns, nothing, [&] { copy_metafile_to_clipboard(g_settings, slot, at_once); });
        std::printf("  %d     %7.2f (%5.1fx)   %7.2f (%5.1fx)   %7.2f (%5.1fx)\n", slot + 1,
                    resident, resident / floor, all_formats, all_formats / floor, metafile,
                    metafile / floor);
        worst_resident = std::max(worst_resident, resident);
        worst_at_once = std::max(worst_at_once, all_formats);
        worst_metafile = std::max(worst_metafile, metafile);
    }
    // Whoever owns the clipboard at the end makes what it only offered.
    set_delayed_rendering_window(nullptr);
    DestroyWindow(delayed);
    DestroyWindow(at_once);
    std::printf(
        "  slowest slot, bitmap, resident (CF_BITMAP made, PNG and CF_DIBV5 offered): %.1fx\n",
        worst_resident / floor);
    goal_line("click to clipboard, bitmap, resident", worst_resident / floor, 3.0);
    std::printf(
        "  slowest slot, bitmap, at once (every format made, as the companion does): %.1fx\n",
        worst_at_once / floor);
    goal_line("click to clipboard, bitmap, at once", worst_at_once / floor, 0);
    std::printf("  slowest slot, metafile: %.1fx\n", worst_metafile / floor);
    goal_line("click to clipboard, metafile", worst_metafile / floor, 2.5);
}

// A one-character change of the department: "技術部" and the keystroke's character.
std::u16string department_after(const char16_t* characters, int keystroke) {
    const std::u16string_view all(characters);
    return u"技術部" + std::u16string(1, all[static_cast<std::size_t>(keystroke) % all.size()]);
}

void preview_redraw(const SettingsSet& defaults, double floor) {
    HDC screen = GetDC(nullptr);
    HDC preview_dc = CreateCompatibleDC(screen);
    HBITMAP preview_bitmap = CreateCompatibleBitmap(screen, 400, 400);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(preview_dc, preview_bitmap);
    g_settings = defaults;
    run_layout_pass(true);
    draw_preview_slot(preview_dc, g_settings, 0, 96);  // the unchanged text, as the window opened

    int k = 0;
    const double redraw = median_ms(
        kKeystrokes, [&] { g_settings.global.busho = department_after(kTypedCharacters, k++); },
        [&] { draw_preview_slot(preview_dc, g_settings, 0, 96); });
    std::printf(
        "\npreview redraw after one keystroke (the department's last character changed,\n"
        "auto-fit on), median of %d keystrokes: %.2f ms (%.1fx floor)\n",
        kKeystrokes, redraw, redraw / floor);
    goal_line("preview redraw after one keystroke", redraw / floor, 6.0);

    // Where the time goes: the same steps on further keystrokes, apart.
    SlotSettings& slot = g_settings.slots[0];
    const bool ajust = g_settings.global.ajust == 1;
    const PreviewWork work =
        preview_work(current_preview_box_size(), current_preview_box_origin(), kSupersampleFactor);
    Canvas canvas(work.bitmap_width, work.bitmap_height);
    std::vector<double> fit, draw, ink;
    std::vector<double> misses;
    for (int i = 0; i < kKeystrokes; ++i) {
        g_settings.global.busho = department_after(kTypedCharacters, k++);
        const SlotSizes stored = slot_sizes_of(slot);
        write_slot_sizes(slot,
                         preview_slot_sizes(stored, ajust, preview_scale(96), kSupersampleFactor));
        CountingMeasurer measurer;
        double start = now_ms();
        auto_fit_slot(g_settings, 0, g_era_table, fit_reference_centre(), measurer);
        fit.push_back(now_ms() - start);
        ink.push_back(measurer.ink_ms);
        misses.push_back(measurer.misses);
        start = now_ms();
        render_stamp(canvas.g, g_settings, 0, work.centre.x, work.centre.y, 0, 0);
        gdip::GdipFlush(canvas.g.graphics, Gdiplus::FlushIntentionSync);
        draw.push_back(now_ms() - start);
        restore_slot_sizes(slot, stored, preview_restores_heights(ajust));
    }
    const double rest = redraw - median(fit) - median(draw);
    std::printf(
        "  where the time goes (medians):\n"
        "    auto-fit at twice the size   %6.2f ms, of which ink measurement %.2f ms (%.0f lines "
        "missed the cache)\n"
        "    drawing at twice the size    %6.2f ms\n"
        "    surface, halving and blit    %6.2f ms (the rest)\n",
        median(fit), median(ink), median(misses), median(draw), rest);

    const double faceless = median_ms(
        11, [&] { g_settings.global.busho = department_after(kFacelessCharacters, k++); },
        [&] { draw_preview_slot(preview_dc, g_settings, 0, 96); });
    std::printf(
        "  a keystroke of a character no Japanese face has (every face searched): %.2f ms "
        "(%.1fx)\n",
        faceless, faceless / floor);
    goal_line("preview redraw, character no face has", faceless / floor, 0);

    SelectObject(preview_dc, old);
    DeleteObject(preview_bitmap);
    DeleteDC(preview_dc);
}

// The costs the lines that missed the cache in a cold pass are made of,
// each taken alone with the calls measure_line_ink makes, in its order, on
// the pass's own misses replayed in the pass's order (so whatever GDI+ and
// GDI keep from one font to the next is kept as in the pass).
void parts_of_misses(const std::vector<MissedLine>& missed) {
    GraphicsWrapper surface{g_surfaces.measuring_graphics};
    std::vector<double> family, font, box, box_again, clear, fill, scan;
    int fonts = 0;
    for (std::size_t i = 0; i < missed.size(); ++i) {
        const FontDescription& d = missed[i].font;
        const std::u16string& text = missed[i].text;
        bool new_font = true;
        for (std::size_t j = 0; j < i && new_font; ++j)
            new_font = !(missed[j].font.height == d.height && missed[j].font.weight == d.weight &&
                         missed[j].font.italic == d.italic &&
                         missed[j].font.face_name.view() == d.face_name.view());
        fonts += new_font;
        double t = now_ms();
        GdipFamilyPtr gp_family = create_font_family(d, text);
        family.push_back(now_ms() - t);
        t = now_ms();
        GdipFontPtr gp_font = create_font(d, gp_family.get());
        font.push_back(now_ms() - t);
        std::wstring wide(text.begin(), text.end());
        Gdiplus::RectF origin(1, 1, 0, 0), measured;
        t = now_ms();
        gdip::GdipMeasureString(surface.graphics, wide.c_str(), static_cast<INT>(wide.size()),
                                gp_font.get(), &origin, typographic_format(), &measured, nullptr,
                                nullptr);
        box.push_back(now_ms() - t);
        // The same call again at once: what the first paid for the font.
        t = now_ms();
        gdip::GdipMeasureString(surface.graphics, wide.c_str(), static_cast<INT>(wide.size()),
                                gp_font.get(), &origin, typographic_format(), &measured, nullptr,
                                nullptr);
        box_again.push_back(now_ms() - t);
        const ScanExtent read =
            ink_scan_extent(measured.X, measured.Y, measured.Width, measured.Height, text.size());
        t = now_ms();
        PatBlt(g_surfaces.measuring.dc, 0, 0, read.width + 2, read.height + 2, WHITENESS);
        clear.push_back(now_ms() - t);
        Gdiplus::GpSolidFill* brush = nullptr;
        gdip::GdipCreateSolidFill(0xFF000000, &brush);
        LineRecord line;
        line.text = text;
        line.x = 200;
        line.y = 100;
        t = now_ms();
        draw_line(surface, gp_font.get(), brush, d, line);
        gdip::GdipFlush(surface.graphics, Gdiplus::FlushIntentionSync);
        fill.push_back(now_ms() - t);
        gdip::GdipDeleteBrush(brush);
        t = now_ms();
        BitBuffer bits;
        if (surface_bits(g_surfaces.measuring, &bits))
            measure_ink_box(measured.X, measured.Y, measured.Width, measured.Height, text.size(),
                            bits);
        scan.push_back(now_ms() - t);
    }
    std::printf(
        "  a missed line apart, the pass's %zu misses (in %d fonts) replayed in its order, medians:\n"
        "    family %.3f, font %.3f, string box %.3f (the same call again at once %.3f),\n"
        "    clearing what the scans read %.3f, glyph path and fill %.3f, ink scan %.3f ms\n",
        missed.size(), fonts, median(family), median(font), median(box), median(box_again),
        median(clear), median(fill), median(scan));

    const FontDescription d = missed.empty() ? FontDescription() : missed.front().font;
    const std::u16string_view all(kTypedCharacters);
    auto text_of = [&](int i) {
        return std::u16string(all.substr(static_cast<std::size_t>(i * 3) % (all.size() - 4), 4));
    };
    // Apart, as a search over every face leaves the next check slower.
    std::vector<double> known, searched;
    auto text_for_check = [&](int i) {
        return text_of(i) + all[static_cast<std::size_t>(i * 7) % all.size()];
    };
    for (int i = 0; i < 21; ++i) {
        const std::u16string text = text_for_check(i) + u"様";
        const double t = now_ms();
        resolve_face(d.face_name.view(), text);
        known.push_back(now_ms() - t);
    }
    for (int i = 0; i < 21; ++i) {
        const std::u16string text = text_for_check(i) + kFacelessCharacters[i % 10];
        const double t = now_ms();
        resolve_face(d.face_name.view(), text);
        searched.push_back(now_ms() - t);
    }
    std::printf(
        "  face check of a new text: the chosen face has it %.3f ms; no face has it (every face "
        "searched) %.3f ms\n",
        median(known), median(searched));
}

void layout_pass(const SettingsSet& defaults, double floor) {
    auto cold = [&] {
        g_measure_cache.reset();
        g_settings = defaults;
    };
    const double pass = median_ms(kPassRuns, cold, [] { run_layout_pass(true); });
    std::printf(
        "\nlayout pass, 7 slots, cold measurement cache, median of %d: %.2f ms (%.1fx floor)\n",
        kPassRuns, pass, pass / floor);
    goal_line("layout pass, 7 slots, cold cache", pass / floor, 3.0);

    std::vector<double> ink, rest, lookups, misses;
    std::vector<MissedLine> missed;
    for (int i = 0; i < kPassRuns; ++i) {
        cold();
        CountingMeasurer measurer;
        measurer.missed = &missed;
        missed.clear();
        const double start = now_ms();
        run_layout_pass(g_settings, g_era_table, fit_reference_centre(), measurer, true);
        const double total = now_ms() - start;
        ink.push_back(measurer.ink_ms);
        rest.push_back(total - measurer.ink_ms);
        lookups.push_back(measurer.lookups);
        misses.push_back(measurer.misses);
    }
    std::printf(
        "  where the time goes (medians): %.0f line measurements, %.0f missed the cache;\n"
        "    ink measurement of the misses %.2f ms (%.3f ms each), everything else %.2f ms\n",
        median(lookups), median(misses), median(ink), median(ink) / std::max(1.0, median(misses)),
        median(rest));
    parts_of_misses(missed);

    const double start_up = median_ms(
        kPassRuns,
        [&] {
            cold();
            reset_face_fallback();
        },
        [] { run_layout_pass(true); });
    std::printf(
        "  the pass at start-up (no face checked and no GDI+ family kept yet either): %.2f ms "
        "(%.1fx)\n",
        start_up, start_up / floor);
    goal_line("layout pass at start-up", start_up / floor, 0);
}

// Figures kept from earlier versions of the bench, for comparison.
void other_figures(const SettingsSet& defaults, Canvas& canvas, double floor) {
    GdiplusTextMeasurer measurer;
    const StampPoint centre = fit_reference_centre();
    auto nothing = [] {};
    std::printf("\nmore figures (medians, no goals)\n");
    for (SurfaceScan mode : {SurfaceScan::kGetPixel, SurfaceScan::kBits}) {
        g_surface_scan = mode;
        const char* name = mode == SurfaceScan::kGetPixel ? "GetPixel" : "surface bits";
        const double fit_cold = median_ms(
            9,
            [&] {
                g_measure_cache.reset();
                g_settings = defaults;
            },
            [&] { auto_fit_slot(g_settings, 0, g_era_table, centre, measurer); });
        int n = 0;
        const FontDescription d = font_description_of(defaults.slots[0].busho);
        const double line = median_ms(
            101, nothing, [&] { measure_line_ink(d, department_after(kTypedCharacters, n++)); });
        std::printf(
            "  scan by %-12s: auto-fit of a slot, cold cache %.2f ms (%.1fx); one line measured "
            "%.3f ms (%.2fx)\n",
            name, fit_cold, fit_cold / floor, line, line / floor);
    }
    g_surface_scan = SurfaceScan::kBits;
    const double fit_warm = median_ms(
        21, nothing, [&] { auto_fit_slot(g_settings, 0, g_era_table, centre, measurer); });
    const double render =
        median_ms(21, nothing, [&] { render_stamp(canvas.g, g_settings, 0, 200, 200, 0, 1); });
    std::printf(
        "  auto-fit of a slot, warm cache %.3f ms (%.2fx); render with auto-fit, warm cache %.3f "
        "ms (%.2fx)\n",
        fit_warm, fit_warm / floor, render, render / floor);

    // Typing a ten-character department name, the stamp redrawn (with
    // auto-fit) after each character: the cache's hit rate while typing.
    g_measure_cache.reset();
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
    std::printf("  typing a 10-character department: %d accesses, %d hits, hit rate %.1f%%\n",
                accesses, hits, accesses ? 100.0 * hits / accesses : 0.0);
}

void start_to_ready() {
    std::printf(
        "\nstart to ready: Markomi2.exe in resident mode until its notification icon is there,\n"
        "against a bare program that creates one window and ends (median of %d starts each)\n",
        kStartRuns);
    std::fflush(stdout);
    const StartToReady s = measure_start_to_ready(kStartRuns);
    if (!s.measured) {
        std::printf("  not measured: %ls\n", s.not_measured_because.c_str());
        goal_line("start to ready, x the bare program", 0, 3.0, false);
        return;
    }
    std::printf("  bare program %.1f ms, Markomi2 to its icon %.1f ms: %.1fx the bare program\n",
                s.bare_ms, s.ready_ms, s.ready_ms / s.bare_ms);
    goal_line("start to ready, x the bare program", s.ready_ms / s.bare_ms, 3.0);
}

void summary() {
    std::printf("\nsummary (figures x floor; start to ready x the bare program)\n");
    std::printf("  %-42s %9s %9s  %s\n", "figure", "now", "goal", "verdict");
    for (const Goal& goal : g_goals) {
        char now[32] = "-", limit[32] = "-";
        // Two decimals: at one, 3.04 would read "3.0x" beside "<= 3.0x MISSED".
        if (goal.measured) std::snprintf(now, sizeof now, "%.2fx", goal.ratio);
        if (goal.limit > 0) std::snprintf(limit, sizeof limit, "<= %.1fx", goal.limit);
        std::printf("  %-42s %9s %9s  %s\n", goal.name, now, limit, verdict(goal));
    }
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

    std::printf(
        "markomi2_bench: timings as multiples of a floor measured in this run. The machine may be\n"
        "shared with other work, so each figure is the median of many runs, not their mean.\n\n");
    Canvas canvas(400, 400);
    g_settings = defaults;
    run_layout_pass(true);  // faces checked and families known, as in a session
    const double floor = median_ms(
        kFloorRuns, [] {}, [&] { bare_fill(canvas.g.graphics, defaults); });
    std::printf("floor: bare GDI+ fill of one stamp, median of %d: %.3f ms\n", kFloorRuns, floor);

    click_to_clipboard(defaults, floor);
    preview_redraw(defaults, floor);
    layout_pass(defaults, floor);
    other_figures(defaults, canvas, floor);
    start_to_ready();
    summary();

    release_surfaces();
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
