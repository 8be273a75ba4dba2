#pragma once
// The rules of the stamp tab sheet that are not platform calls: its controls
// and where they sit in units of the control font's average character width
// (cw) and line height (lh), the captions of the cycling buttons, the
// keyboard focus ring, and the drag-out gesture that stamps into another
// program.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "render/preview_geometry.h"
#include "ui/window_layouts.h"

namespace markomi {

// ---- Control and command identifiers ----
constexpr int kSheetIdDatePicker = 117;
constexpr int kSheetIdBusho = 119;
constexpr int kSheetIdName = 120;
constexpr int kSheetIdOk = 121;
constexpr int kSheetIdRadius = 123;
constexpr int kSheetIdThick = 124;
constexpr int kSheetIdDateFont = 125;
constexpr int kSheetIdBushoFont = 126;
constexpr int kSheetIdNameFont = 137;
constexpr int kSheetIdFrameColour = 138;
constexpr int kSheetIdDivisions = 139;
constexpr int kSheetIdShadow = 140;
constexpr int kSheetIdEra = 141;
constexpr int kSheetIdDelimiter = 142;
constexpr int kSheetIdMonth = 143;
// Commands the sheet takes besides its buttons'.
constexpr int kSheetCmdTakeControls = 144;  // read texts and date into the settings
constexpr int kSheetCmdTextsChanged = 154;  // read the texts and redraw the preview

// The department and name boxes give at most this many characters.
constexpr std::size_t kSheetTextLimit = 99;

enum class SheetControlKind {
    kLabel,
    kValueLabel,  // right-aligned number beside a slider
    kTextBox,
    kDatePicker,
    kSlider,
    kButton,
    kFlatButton,
};

// Labels the sheet changes after creation; the rest are fixed.
enum class SheetLabel { kNone, kDateCaption, kRadiusValue, kThickValue, kDivisionsValue,
                        kDivisionsCaption };

// One control of the sheet. Position and size are x = x_cw·cw + x_lh·lh,
// y = y_lh·lh, width = w_cw·cw + w_lh·lh, height = h_lh·lh, truncated.
struct SheetControl {
    int id;  // 0 for labels
    SheetControlKind kind;
    SheetLabel label;
    std::u16string_view caption;
    double x_cw, x_lh, y_lh, w_cw, w_lh, h_lh;
};

constexpr int kSheetControlCount = 26;
// In creation order (which is also their order top to bottom, left to right).
const std::array<SheetControl, kSheetControlCount>& sheet_controls();
LayoutRect sheet_control_rect(const SheetControl& control, int cw, int lh);
// All controls' rectangles in creation order, each label cut short where the
// next control of its row begins: a label repaints its whole rectangle, and
// must not paint over its neighbour (the date caption beside its font
// button, the division caption over the value beside it).
std::array<LayoutRect, kSheetControlCount> sheet_control_rects(int cw, int lh);

// The fifteen controls that take the keyboard focus, in the order Tab
// visits them.
constexpr std::array<int, 15> kSheetFocusRing = {
    kSheetIdBusho,     kSheetIdBushoFont, kSheetIdDatePicker,  kSheetIdDateFont, kSheetIdName,
    kSheetIdNameFont,  kSheetIdRadius,    kSheetIdFrameColour, kSheetIdThick,    kSheetIdShadow,
    kSheetIdDivisions, kSheetIdOk,        kSheetIdEra,         kSheetIdDelimiter, kSheetIdMonth,
};

// The division row (label, value, slider) belongs to the decorated slots only.
inline bool division_row_shown(std::int32_t active) { return active != 0; }

// ---- Cycling buttons ----
// Captions by value; none for a value outside the button's table (the
// button then keeps whatever it showed).
std::optional<std::u16string_view> shadow_caption(std::int32_t shadow);
std::optional<std::u16string_view> era_caption(std::int32_t era);
std::optional<std::u16string_view> delimiter_caption(std::int32_t delimiter);
std::optional<std::u16string_view> month_caption(std::int32_t month_lang);
// One press: 0→1→2→3→0, 1→…→5→1, 1→2→3→1, 0↔1. A value outside the cycle
// stays as it is.
std::int32_t next_shadow(std::int32_t shadow);
std::int32_t next_era(std::int32_t era);
std::int32_t next_delimiter(std::int32_t delimiter);
std::int32_t next_month_lang(std::int32_t month_lang);

// ---- Keyboard ----
// The control after (`forward`) or before `id` in the focus ring that
// `can_take` (when given) accepts; the division slider is left out while the
// first slot is active. `id` itself when no other is taken, 0 for an id
// outside the ring.
int next_sheet_focus(int id, bool forward, bool first_slot,
                     const std::function<bool(int)>& can_take = nullptr);
// Moving onto the text boxes selects all their text.
inline bool selects_all_on_arrival(int id) { return id == kSheetIdBusho || id == kSheetIdName; }
// Enter moves on from the date picker, the text boxes and the sliders; on
// the push buttons Enter and Space press.
bool enter_moves_on(int id);
bool is_sheet_push_button(int id);

// ---- Drag-out stamping ----
// The process-wide drag state: the mode and the cursor shown last.
constexpr int kDragDragging = 1;
constexpr int kDragIdle = 2;
enum class DragCursor { kArrow = 0, kHover, kGrab, kNoDrop, kDrop };  // g_drag_cursors order

enum class DragZone { kPreview, kInside, kOutside };
enum class DragEvent { kMove, kPress, kRelease };

struct DragStep {
    int mode = kDragIdle;
    DragCursor cursor = DragCursor::kArrow;
    bool capture = false;          // start capturing the mouse
    bool release_capture = false;  // stop capturing
    bool stamp = false;            // stamp at the release point
};
DragStep drag_step(int mode, DragZone zone, DragEvent event);

// Strictly inside the preview box (sheet client coordinates).
bool over_preview(LayoutPoint p, const PreviewSize& size, const PreviewOrigin& origin);
// Where a point lies for the gesture: `p` in sheet coordinates, `screen`
// the same point on the screen, `window` the settings window's rectangle.
DragZone drag_zone(LayoutPoint p, LayoutPoint screen, const LayoutRect& window,
                   const PreviewSize& size, const PreviewOrigin& origin);

}  // namespace markomi
