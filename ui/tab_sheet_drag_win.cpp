// Stamping by dragging the preview out of the settings window: pressed on
// the preview, released over another program's window, the stamp is pasted
// there. The right button takes the other output format for that one stamp.
#include <windows.h>
#include <windowsx.h>

#include "render/surfaces_gdiplus.h"
#include "settings/settings_record.h"
#include "ui/program_windows_win.h"
#include "ui/tab_sheet_parts_win.h"
#include "ui/tab_sheet_rules.h"

namespace markomi {
namespace {

// Set while the sheet gives the capture up itself, so that the capture
// notice that follows is not taken for a lost drag.
bool g_releasing_capture = false;

void show_cursor(DragCursor cursor) {
    const int index = static_cast<int>(cursor);
    g_drag_substate = index;
    if (HCURSOR shape = g_drag_cursors[index]) SetCursor(shape);
}

void release_capture() {
    g_releasing_capture = true;
    ReleaseCapture();
    g_releasing_capture = false;
}

LayoutRect window_rect_of(HWND window) {
    RECT r{};
    if (window) GetWindowRect(window, &r);
    return LayoutRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

DragZone zone_of(HWND sheet, LayoutPoint p) {
    POINT screen{p.x, p.y};
    ClientToScreen(sheet, &screen);
    HWND settings_window = GetAncestor(sheet, GA_ROOT);
    return drag_zone(p, LayoutPoint{screen.x, screen.y}, window_rect_of(settings_window),
                     current_preview_box_size(), current_preview_box_origin());
}

void stamp_at(HWND sheet, LayoutPoint p, bool right_button) {
    auto& format = g_settings.global.format;
    const auto stored = format;
    if (right_button) format = format == u"M" ? u"B" : u"M";
    program_actions().drop_paste(sheet, POINT{p.x, p.y});
    format = stored;
}

}  // namespace

void on_sheet_mouse(HWND sheet, SheetMouse event, LPARAM lparam) {
    const LayoutPoint p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    const DragEvent drag_event = event == SheetMouse::kMove                                   ? DragEvent::kMove
                                 : event == SheetMouse::kLeftDown || event == SheetMouse::kRightDown ? DragEvent::kPress
                                                                                              : DragEvent::kRelease;
    const DragStep step = drag_step(g_drag_state, zone_of(sheet, p), drag_event);
    g_drag_state = step.mode;
    if (step.capture) SetCapture(sheet);
    if (step.release_capture) release_capture();
    show_cursor(step.cursor);
    if (step.stamp) stamp_at(sheet, p, event == SheetMouse::kRightUp);
}

bool on_sheet_set_cursor(HWND sheet, LPARAM lparam) {
    if (LOWORD(lparam) != HTCLIENT) return false;
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    ScreenToClient(sheet, &cursor);
    const bool hover = over_preview(LayoutPoint{cursor.x, cursor.y}, current_preview_box_size(),
                                    current_preview_box_origin());
    show_cursor(g_drag_state == kDragDragging ? DragCursor::kGrab
                : hover                       ? DragCursor::kHover
                                              : DragCursor::kArrow);
    return true;
}

void on_sheet_capture_lost(HWND sheet, HWND new_owner) {
    if (g_releasing_capture || new_owner == sheet || g_drag_state != kDragDragging) return;
    g_drag_state = kDragIdle;
    show_cursor(DragCursor::kArrow);
}

void end_sheet_drag(HWND sheet) {
    if (g_drag_state != kDragDragging) return;
    g_drag_state = kDragIdle;
    if (GetCapture() == sheet) release_capture();
}

}  // namespace markomi
