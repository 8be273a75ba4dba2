#include "render/text_path_gdiplus.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/wide_text_win.h"
#include "diag/debug_log_win.h"
#include "render/font_fallback_win.h"
#include "render/measure_rules.h"
#include "render/path_capture_gdiplus.h"
#include "render/surfaces_gdiplus.h"

namespace markomi {
namespace {

constexpr Gdiplus::ARGB kOpaqueBlack = 0xFF000000;
constexpr Gdiplus::ARGB kOpaqueWhite = 0xFFFFFFFF;

// The generic typographic format is a shared object of GDI+; it is fetched
// at each use and never deleted.
Gdiplus::GpStringFormat* typographic_format() {
    Gdiplus::GpStringFormat* format = nullptr;
    gdip::GdipStringFormatGetGenericTypographic(&format);
    return format;
}

// The font's em size in the graphics' units, from the font's own family: the
// path may be set in another family (one with the text's glyphs) and must
// still come out at the font's size.
float em_size_on(Gdiplus::GpGraphics* graphics, Gdiplus::GpFont* font, std::int32_t style) {
    float font_height = 0;
    UINT16 em_height = 0, line_spacing = 0;
    Gdiplus::GpFontFamily* own = nullptr;
    gdip::GdipGetFamily(font, &own);  // a copy, ours to delete
    GdipFamilyPtr family(own);
    gdip::GdipGetFontHeight(font, graphics, &font_height);
    gdip::GdipGetEmHeight(family.get(), style, &em_height);
    gdip::GdipGetLineSpacing(family.get(), style, &line_spacing);
    return em_size_of(font_height, em_height, line_spacing);
}

// Adds `text` to a new path at `origin` and fills it.
void fill_text_path(GraphicsWrapper& target, Gdiplus::GpBrush* brush, Gdiplus::GpFontFamily* family,
                    std::int32_t style, float em_size, std::u16string_view text,
                    const Gdiplus::RectF& origin) {
    Gdiplus::GpPath* raw = nullptr;
    if (target.note(gdip::GdipCreatePath(Gdiplus::FillModeAlternate, &raw)) != Gdiplus::Ok) return;
    GdipPathPtr path(raw);
    std::wstring wide = to_wide(text);
    target.note(gdip::GdipStartPathFigure(path.get()));
    target.note(gdip::GdipAddPathString(path.get(), wide.c_str(), static_cast<INT>(wide.size()), family,
                                        style, em_size, &origin, typographic_format()));
    target.note(gdip::GdipClosePathFigures(path.get()));
    fill_path(target, brush, path.get());
}

PixelReader measuring_surface_reader() { return surface_reader(g_surfaces.measuring); }

void log_failed_read(const FontDescription& font, std::u16string_view text, const InkScan& scan) {
    log_message(L"CLR_INVALID");
    log_text(L"st", text);
    log_int(L"lf.lfHeight", font.height);
    log_int(L"x", scan.failed_x);
    log_int(L"y", scan.failed_y);
}

}  // namespace

GdipFamilyPtr create_font_family(const FontDescription& font, std::u16string_view text) {
    std::u16string face = resolve_face(font.face_name.view(), text);
    if (!face.empty()) {
        if (GdipFamilyPtr family = installed_family(face)) return family;
    }
    Gdiplus::GpFontFamily* generic = nullptr;
    gdip::GdipGetGenericFontFamilySansSerif(&generic);
    // The generic family is shared; a clone is ours to delete.
    Gdiplus::GpFontFamily* clone = nullptr;
    if (generic && gdip::GdipCloneFontFamily(generic, &clone) == Gdiplus::Ok) return GdipFamilyPtr(clone);
    return nullptr;
}

GdipFontPtr create_font(const FontDescription& font, Gdiplus::GpFontFamily* family) {
    float size = static_cast<float>(std::abs(static_cast<double>(font.height)));
    return installed_font(family, size, font_style_of(font));
}

MeasuredSize measure_line_ink(const FontDescription& font, std::u16string_view text) {
    MeasuredSize none;
    GraphicsWrapper surface{g_surfaces.measuring_graphics};
    if (!surface.graphics || text.empty()) return none;
    GdipFamilyPtr family = create_font_family(font, text);
    GdipFontPtr gp_font = create_font(font, family.get());
    Gdiplus::GpSolidFill* raw_brush = nullptr;
    gdip::GdipCreateSolidFill(kOpaqueBlack, &raw_brush);
    GdipBrushPtr brush(raw_brush);
    if (!family || !gp_font || !brush) return none;

    // The string's box first: it tells how much of the surface the scans
    // read, and only that is cleared (the whole surface is many times a
    // line's box, and clearing all of it cost about as much as the scans).
    std::wstring wide = to_wide(text);
    Gdiplus::RectF origin(1.0f, 1.0f, 0.0f, 0.0f);
    Gdiplus::RectF box(0, 0, 0, 0);
    surface.note(gdip::GdipMeasureString(surface.graphics, wide.c_str(), static_cast<INT>(wide.size()),
                                         gp_font.get(), &origin, typographic_format(), &box, nullptr,
                                         nullptr));
    const ScanExtent read = ink_scan_extent(box.X, box.Y, box.Width, box.Height, text.size());
    PatBlt(g_surfaces.measuring.dc, 0, 0, std::max(read.width, 0) + 2, std::max(read.height, 0) + 2,
           WHITENESS);

    std::int32_t style = font_style_of(font);
    fill_text_path(surface, brush.get(), family.get(), style,
                   em_size_on(surface.graphics, gp_font.get(), style), text, origin);
    gdip::GdipFlush(surface.graphics, Gdiplus::FlushIntentionSync);

    BitBuffer bits;
    InkMeasurement m = surface_bits(g_surfaces.measuring, &bits)
                           ? measure_ink_box(box.X, box.Y, box.Width, box.Height, text.size(), bits)
                           : measure_ink_box(box.X, box.Y, box.Width, box.Height, text.size(),
                                             measuring_surface_reader());
    if (m.scan.top_read_failed) log_failed_read(font, text, m.scan);
    return m.size;
}

void measure_line(const FontDescription& font, LineRecord& line) {
    measure_line_through_cache(g_measure_cache, font, line, measure_line_ink);
}

void GdiplusTextMeasurer::measure_line(const FontDescription& font, LineRecord& line) {
    markomi::measure_line(font, line);
}

void draw_line(GraphicsWrapper& target, Gdiplus::GpFont* font, Gdiplus::GpBrush* brush,
               const FontDescription& description, const LineRecord& line) {
    if (!target.graphics || !font || !brush || line.text.empty()) return;
    float left = static_cast<float>(line.x - line.left_margin - line.width / 2);
    float top = static_cast<float>(line.y - line.top_margin - line.height / 2);
    GdipFamilyPtr family = create_font_family(description, line.text.view());
    if (!family) return;
    INT style = 0;
    gdip::GdipGetFontStyle(font, &style);
    float em_size = em_size_on(target.graphics, font, style);
    fill_text_path(target, brush, family.get(), style, em_size, line.text.view(),
                   Gdiplus::RectF(left, top, 0.0f, 0.0f));
}

bool face_usable(std::u16string_view face_name) {
    GraphicsWrapper surface{g_surfaces.measuring_graphics};
    if (!surface.graphics) return false;
    FontDescription description = face_check_font(face_name);
    // No fallback here: the question is whether this very face draws.
    GdipFamilyPtr family = installed_family(description.face_name.view());
    if (!family) return false;
    GdipFontPtr font = create_font(description, family.get());
    Gdiplus::GpSolidFill* raw_brush = nullptr;
    gdip::GdipCreateSolidFill(kOpaqueBlack, &raw_brush);
    GdipBrushPtr brush(raw_brush);
    if (!font || !brush) return false;

    surface.note(gdip::GdipGraphicsClear(surface.graphics, kOpaqueWhite));
    const wchar_t kMark[] = L"■";
    Gdiplus::RectF origin(1.0f, 1.0f, 0.0f, 0.0f);
    surface.note(gdip::GdipDrawString(surface.graphics, kMark, 1, font.get(), &origin,
                                      typographic_format(), brush.get()));
    Gdiplus::RectF box(0, 0, 0, 0);
    surface.note(gdip::GdipMeasureString(surface.graphics, kMark, 1, font.get(), &origin,
                                         typographic_format(), &box, nullptr, nullptr));
    gdip::GdipFlush(surface.graphics, Gdiplus::FlushIntentionSync);
    return face_draws_check_mark(box.X, box.Y, box.Width, box.Height, measuring_surface_reader());
}

}  // namespace markomi
