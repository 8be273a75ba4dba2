#include "ui/tab_sheet_rules.h"

#include "ui/focus_ring.h"

namespace markomi {
namespace {

using K = SheetControlKind;
using L = SheetLabel;

// x_cw, x_lh, y_lh, w_cw, w_lh, h_lh
const std::array<SheetControl, kSheetControlCount> kControls = {{
    {0, K::kLabel, L::kNone, u"部　署", 38, 0, 1.3, 8, 0, 1.5},
    {kSheetIdBusho, K::kTextBox, L::kNone, u"", 47, 0, 1.1, 30, 0, 1.5},
    {kSheetIdBushoFont, K::kButton, L::kNone, u"フォント変更", 79, 0, 1.1, 15, 0, 1.5},
    {0, K::kLabel, L::kNone, u"日　付", 38, 0, 3.5, 8, 0, 1.5},
    {kSheetIdDatePicker, K::kDatePicker, L::kNone, u"", 47, 0, 3.3, 0, 1.5, 1.5},
    {0, K::kLabel, L::kDateCaption, u"", 47, 1.5, 3.5, 30, 0, 1.5},
    {kSheetIdDateFont, K::kButton, L::kNone, u"フォント変更", 79, 0, 3.3, 15, 0, 1.5},
    {0, K::kLabel, L::kNone, u"名　前", 38, 0, 5.7, 8, 0, 1.5},
    {kSheetIdName, K::kTextBox, L::kNone, u"", 47, 0, 5.5, 30, 0, 1.5},
    {kSheetIdNameFont, K::kButton, L::kNone, u"フォント変更", 79, 0, 5.5, 15, 0, 1.5},
    {0, K::kLabel, L::kNone, u"半　径", 38, 0, 7.9, 8, 0, 1.5},
    {0, K::kValueLabel, L::kRadiusValue, u"", 47, 0, 7.9, 3, 0, 1.5},
    {kSheetIdRadius, K::kSlider, L::kNone, u"", 51, 0, 7.7, 26, 0, 1.5},
    {kSheetIdFrameColour, K::kButton, L::kNone, u"枠 色 変 更", 79, 0, 7.7, 15, 0, 1.5},
    {0, K::kLabel, L::kNone, u"枠　太", 38, 0, 10.1, 8, 0, 1.5},
    {0, K::kValueLabel, L::kThickValue, u"", 47, 0, 10.1, 3, 0, 1.5},
    {kSheetIdThick, K::kSlider, L::kNone, u"", 51, 0, 9.9, 26, 0, 1.5},
    {kSheetIdShadow, K::kButton, L::kNone, u"立体", 79, 0, 9.9, 15, 0, 1.5},
    {0, K::kLabel, L::kDivisionsCaption, u"分　割", 38, 0, 12.3, 12, 0, 1.5},
    {0, K::kValueLabel, L::kDivisionsValue, u"", 47, 0, 12.3, 3, 0, 1.5},
    {kSheetIdDivisions, K::kSlider, L::kNone, u"", 51, 0, 12.1, 26, 0, 1.5},
    {kSheetIdOk, K::kButton, L::kNone, u"Ｏ　Ｋ", 79, 0, 12.1, 15, 0, 1.5},
    {0, K::kLabel, L::kNone, u"日付形式", 38, 0, 14.5, 12, 0, 1.8},
    {kSheetIdEra, K::kFlatButton, L::kNone, u"和暦記号", 51, 0, 14.2, 14, 0, 1.5},
    {kSheetIdDelimiter, K::kFlatButton, L::kNone, u"/ 区切", 65, 0, 14.2, 12, 0, 1.5},
    {kSheetIdMonth, K::kFlatButton, L::kNone, u"月 数字", 78, 0, 14.2, 12, 0, 1.5},
}};

constexpr std::array<std::u16string_view, 4> kShadowCaptions = {u"平　面", u"立体 １",
                                                                u"立体 ２", u"立体 ３"};
constexpr std::array<std::u16string_view, 5> kEraCaptions = {u"和　暦", u"和暦略称", u"和暦記号",
                                                             u"西暦４桁", u"西暦２桁"};
constexpr std::array<std::u16string_view, 3> kDelimiterCaptions = {u"/ 区切", u"．区切",
                                                                   u"- 区切"};
constexpr std::array<std::u16string_view, 2> kMonthCaptions = {u"月 数字", u"月 英語"};

// Index `value - first` into `captions`, when it is one.
template <std::size_t N>
std::optional<std::u16string_view> caption_of(const std::array<std::u16string_view, N>& captions,
                                              std::int32_t value, std::int32_t first) {
    const std::int64_t i = static_cast<std::int64_t>(value) - first;
    if (i < 0 || i >= static_cast<std::int64_t>(N)) return std::nullopt;
    return captions[static_cast<std::size_t>(i)];
}

std::int32_t cycle(std::int32_t value, std::int32_t first, std::int32_t last) {
    if (value < first || value > last) return value;
    return value == last ? first : value + 1;
}

int truncated(double v) { return static_cast<int>(v); }

}  // namespace

const std::array<SheetControl, kSheetControlCount>& sheet_controls() { return kControls; }

LayoutRect sheet_control_rect(const SheetControl& c, int cw, int lh) {
    return LayoutRect{truncated(c.x_cw * cw + c.x_lh * lh), truncated(c.y_lh * lh),
                      truncated(c.w_cw * cw + c.w_lh * lh), truncated(c.h_lh * lh)};
}

std::array<LayoutRect, kSheetControlCount> sheet_control_rects(int cw, int lh) {
    std::array<LayoutRect, kSheetControlCount> rects{};
    for (std::size_t i = 0; i < rects.size(); ++i) rects[i] = sheet_control_rect(kControls[i], cw, lh);
    for (std::size_t i = 0; i + 1 < rects.size(); ++i) {
        const SheetControlKind kind = kControls[i].kind;
        if (kind != SheetControlKind::kLabel && kind != SheetControlKind::kValueLabel) continue;
        LayoutRect& label = rects[i];
        const LayoutRect& next = rects[i + 1];
        const bool same_row = next.y < label.y + label.height && label.y < next.y + next.height;
        if (same_row && next.x > label.x && next.x < label.x + label.width) label.width = next.x - label.x;
    }
    return rects;
}

std::optional<std::u16string_view> shadow_caption(std::int32_t v) { return caption_of(kShadowCaptions, v, 0); }
std::optional<std::u16string_view> era_caption(std::int32_t v) { return caption_of(kEraCaptions, v, 1); }
std::optional<std::u16string_view> delimiter_caption(std::int32_t v) {
    return caption_of(kDelimiterCaptions, v, 1);
}
std::optional<std::u16string_view> month_caption(std::int32_t v) { return caption_of(kMonthCaptions, v, 0); }

std::int32_t next_shadow(std::int32_t v) { return cycle(v, 0, 3); }
std::int32_t next_era(std::int32_t v) { return cycle(v, 1, 5); }
std::int32_t next_delimiter(std::int32_t v) { return cycle(v, 1, 3); }
std::int32_t next_month_lang(std::int32_t v) { return cycle(v, 0, 1); }

int next_sheet_focus(int id, bool forward, bool first_slot, const std::function<bool(int)>& can_take) {
    return next_in_focus_ring(kSheetFocusRing, id, forward, [&](int next) {
        return !(first_slot && next == kSheetIdDivisions) && (!can_take || can_take(next));
    });
}

bool enter_moves_on(int id) {
    switch (id) {
        case kSheetIdDatePicker:
        case kSheetIdBusho:
        case kSheetIdName:
        case kSheetIdRadius:
        case kSheetIdThick:
        case kSheetIdDivisions: return true;
        default: return false;
    }
}

bool is_sheet_push_button(int id) {
    switch (id) {
        case kSheetIdOk:
        case kSheetIdDateFont:
        case kSheetIdBushoFont:
        case kSheetIdNameFont:
        case kSheetIdFrameColour:
        case kSheetIdShadow:
        case kSheetIdEra:
        case kSheetIdDelimiter:
        case kSheetIdMonth: return true;
        default: return false;
    }
}

DragStep drag_step(int mode, DragZone zone, DragEvent event) {
    const bool dragging = mode == kDragDragging;
    DragStep cancel{kDragIdle, DragCursor::kArrow, false, dragging, false};
    switch (zone) {
        case DragZone::kPreview:
            if (event == DragEvent::kMove)
                return DragStep{mode, dragging ? DragCursor::kGrab : DragCursor::kHover};
            if (event == DragEvent::kPress && !dragging)
                return DragStep{kDragDragging, DragCursor::kGrab, true};
            // A press or release while dragging drops back onto the preview.
            return DragStep{kDragIdle, DragCursor::kHover, false, dragging};
        case DragZone::kInside:
            if (!dragging) return DragStep{mode, DragCursor::kArrow};
            if (event == DragEvent::kMove) return DragStep{mode, DragCursor::kNoDrop};
            return cancel;
        case DragZone::kOutside:
            if (!dragging) return DragStep{mode, DragCursor::kArrow};
            if (event == DragEvent::kMove) return DragStep{mode, DragCursor::kDrop};
            if (event == DragEvent::kPress) return cancel;
            return DragStep{kDragIdle, DragCursor::kArrow, false, true, true};
    }
    return cancel;
}

bool over_preview(LayoutPoint p, const PreviewSize& size, const PreviewOrigin& origin) {
    return origin.x < p.x && p.x < 2 * size.width - origin.x && origin.y < p.y &&
           p.y < 2 * size.height - origin.y;
}

DragZone drag_zone(LayoutPoint p, LayoutPoint screen, const LayoutRect& window,
                   const PreviewSize& size, const PreviewOrigin& origin) {
    if (over_preview(p, size, origin)) return DragZone::kPreview;
    const bool outside = screen.x < window.x || screen.x >= window.x + window.width ||
                         screen.y < window.y || screen.y >= window.y + window.height;
    return outside ? DragZone::kOutside : DragZone::kInside;
}

}  // namespace markomi
