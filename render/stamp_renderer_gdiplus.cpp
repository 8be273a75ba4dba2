#include "render/stamp_renderer_gdiplus.h"

#include <type_traits>
#include <variant>

#include "dates/era_table.h"
#include "render/font_description.h"
#include "render/layout_pass.h"
#include "render/ornament_geometry.h"
#include "render/path_capture_gdiplus.h"
#include "render/row_fit.h"
#include "render/row_layout.h"
#include "render/shade.h"
#include "render/surfaces_gdiplus.h"
#include "render/text_path_gdiplus.h"

namespace markomi {
namespace {

GdipBrushPtr solid_brush(Argb colour) {
    Gdiplus::GpSolidFill* brush = nullptr;
    gdip::GdipCreateSolidFill(colour, &brush);
    return GdipBrushPtr(brush);
}

void draw_lines(GraphicsWrapper& target, const FontDescription& description,
                std::vector<LineRecord>& lines, ColorRef colour, int shade_mode) {
    GdipFamilyPtr family = create_font_family(description);
    GdipFontPtr font = create_font(description, family.get());
    GdipBrushPtr brush = solid_brush(shade_colour(colour, shade_mode));
    for (LineRecord& line : lines) {
        measure_line(description, line);
        draw_line(target, font.get(), brush.get(), description, line);
    }
}

void draw_text_row(GraphicsWrapper& target, const StampGeometry& g, const FontSpec& spec,
                   std::u16string_view text, RowBand band, int shade_mode) {
    GdiplusTextMeasurer measurer;
    FontDescription description = font_description_of(spec);
    std::vector<LineRecord> lines = lay_out_row(g, description, text, band, measurer);
    draw_lines(target, description, lines, spec.color, shade_mode);
}

void draw_date_row(GraphicsWrapper& target, const StampGeometry& g, const SlotSettings& slot,
                   const StampDate& date, int shade_mode) {
    GdiplusTextMeasurer measurer;
    FontDescription description = font_description_of(slot.date);
    std::vector<LineRecord> lines{
        lay_out_date_row(g.cx, g.cy, description, slot_date_text(slot, date, g_era_table), measurer)};
    draw_lines(target, description, lines, slot.date.color, shade_mode);
}

void draw_shape(GraphicsWrapper& target, Gdiplus::GpPen* pen, const OrnamentShape& shape) {
    std::visit(
        [&](const auto& s) {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, ArcShape>) {
                stroke_arc(target, pen, s.x, s.y, s.width, s.height, s.start, s.sweep);
            } else if constexpr (std::is_same_v<T, LineShape>) {
                stroke_line(target, pen, s.from.x, s.from.y, s.to.x, s.to.y);
            } else if constexpr (std::is_same_v<T, PolygonShape>) {
                std::vector<Gdiplus::Point> points;
                for (const StampPoint& p : s.points) points.emplace_back(p.x, p.y);
                if (!points.empty())
                    stroke_polygon(target, pen, points.data(), static_cast<int>(points.size()));
            } else {
                stroke_ellipse(target, pen, s.x, s.y, s.width, s.height);
            }
        },
        shape);
}

void draw_frame(GraphicsWrapper& target, int slot_index, int cx, int cy, const FrameSpec& frame,
                int shade_mode) {
    Gdiplus::GpPen* raw = nullptr;
    if (target.note(gdip::GdipCreatePen1(shade_colour(frame.color, shade_mode),
                                         static_cast<float>(frame.thick), Gdiplus::UnitWorld, &raw)) !=
        Gdiplus::Ok)
        return;
    GdipPenPtr pen(raw);
    // The diamond's polygon and cut chords replace the ring; every other
    // design draws the ring and chords, then its ornament over them.
    if (slot_index != kDiamondSlotIndex) {
        FrameGeometry f = frame_geometry(cx, cy, frame.hankei);
        stroke_line(target, pen.get(), f.upper_chord_from.x, f.upper_chord_from.y, f.upper_chord_to.x,
                    f.upper_chord_to.y);
        stroke_line(target, pen.get(), f.lower_chord_from.x, f.lower_chord_from.y, f.lower_chord_to.x,
                    f.lower_chord_to.y);
        stroke_ellipse(target, pen.get(), f.ring_left, f.ring_top, f.ring_size, f.ring_size);
    }
    for (const OrnamentShape& shape : slot_ornament(slot_index + 1, cx, cy, frame))
        draw_shape(target, pen.get(), shape);
}

}  // namespace

StampPoint fit_reference_centre() {
    PreviewSize box = current_preview_box_size();
    return StampPoint{box.width, box.height};
}

void render_stamp(GraphicsWrapper& target, SettingsSet& set, int slot_index, int cx, int cy,
                  int shade_mode, int auto_fit) {
    if (!target.graphics || slot_index < 0 || slot_index >= kSlotCount) return;
    SlotSettings& slot = set.slots[static_cast<std::size_t>(slot_index)];
    if (auto_fit == 1) {
        GdiplusTextMeasurer measurer;
        auto_fit_slot(set, slot_index, g_era_table, fit_reference_centre(), measurer);
    }
    StampGeometry g = stamp_geometry(cx, cy, slot.frame.hankei, slot.frame.thick);
    if (!set.global.busho.empty())
        draw_text_row(target, g, slot.busho, set.global.busho.view(), RowBand::kDepartment, shade_mode);
    draw_date_row(target, g, slot, set.date, shade_mode);
    if (!set.global.name.empty())
        draw_text_row(target, g, slot.name, set.global.name.view(), RowBand::kName, shade_mode);
    draw_frame(target, slot_index, cx, cy, slot.frame, shade_mode);
}

void render_stamp_with_shadow(GraphicsWrapper& target, SettingsSet& set, int slot_index, int cx,
                              int cy, int auto_fit, int shadow_distance) {
    if (slot_index < 0 || slot_index >= kSlotCount) return;
    int shadow = set.slots[static_cast<std::size_t>(slot_index)].frame.shadow;
    for (const RenderPass& pass : stamp_passes(shadow, shadow_distance))
        render_stamp(target, set, slot_index, cx + pass.dx, cy + pass.dy, pass.shade_mode, auto_fit);
}

void render_stamp(GraphicsWrapper& target, int slot_index, int cx, int cy, int shade_mode,
                  int auto_fit) {
    render_stamp(target, g_settings, slot_index, cx, cy, shade_mode, auto_fit);
}

void run_layout_pass(bool keep_frame) {
    GdiplusTextMeasurer measurer;
    run_layout_pass(g_settings, g_era_table, fit_reference_centre(), measurer, keep_frame);
}

}  // namespace markomi
