#include "ui/tab_sheet_win.h"

#include <commctrl.h>

#include <array>
#include <cstdio>
#include <string>

#include "base/process_globals_win.h"
#include "base/wide_text_win.h"
#include "dates/date_text.h"
#include "output/preview/preview_output_win.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"
#include "settings/settings_record.h"
#include "settings/settings_rules.h"
#include "ui/program_windows_win.h"
#include "ui/stamp_date_win.h"
#include "ui/tab_sheet_parts_win.h"
#include "ui/tab_sheet_rules.h"
#include "ui/window_fonts_win.h"

namespace markomi {
namespace {

constexpr wchar_t kSettingsTitle[] = L"マルコミ２　設定画面";
constexpr wchar_t kBushoFontTitle[] = L"  部署のフォント変更";
constexpr wchar_t kDateFontTitle[] = L"  日付のフォント変更";
constexpr wchar_t kNameFontTitle[] = L"  名前のフォント変更";
// Posted to itself at creation: the focus goes to "Ｏ　Ｋ" once the window
// is up.
constexpr UINT kMsgFocusOk = WM_APP + 1;

// The labels the sheet changes; the one sheet of the process owns them.
struct SheetLabels {
    HWND date_caption = nullptr;
    HWND radius_value = nullptr;
    HWND thick_value = nullptr;
    HWND divisions_value = nullptr;
    HWND divisions_caption = nullptr;
};
SheetLabels g_labels;
// Set while the controls are being filled, so that the edit boxes' change
// notices do not read half-filled controls back.
bool g_refreshing = false;

HWND create_control(HWND sheet, const SheetControl& c, const LayoutRect& r) {
    const wchar_t* window_class = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD ex_style = 0;
    switch (c.kind) {
        case SheetControlKind::kLabel: style |= SS_LEFT | SS_NOPREFIX; break;
        case SheetControlKind::kValueLabel: style |= SS_RIGHT | SS_NOPREFIX; break;
        case SheetControlKind::kTextBox:
            window_class = L"EDIT";
            style |= ES_AUTOHSCROLL | WS_TABSTOP;
            ex_style = WS_EX_CLIENTEDGE;
            break;
        case SheetControlKind::kDatePicker:
            window_class = DATETIMEPICK_CLASSW;
            style |= DTS_LONGDATEFORMAT | WS_TABSTOP;
            break;
        case SheetControlKind::kSlider:
            window_class = TRACKBAR_CLASSW;
            style |= TBS_BOTH | TBS_AUTOTICKS | WS_TABSTOP;
            ex_style = WS_EX_CLIENTEDGE;
            break;
        case SheetControlKind::kButton:
            window_class = L"BUTTON";
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        case SheetControlKind::kFlatButton:
            window_class = L"BUTTON";
            style |= BS_PUSHBUTTON | BS_FLAT | WS_TABSTOP;
            break;
    }
    const std::wstring caption = to_wide(c.caption);
    HWND control = CreateWindowExW(ex_style, window_class, caption.c_str(), style, r.x, r.y,
                                   r.width, r.height, sheet,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), g_instance,
                                   nullptr);
    if (control && g_window_fonts.normal)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_window_fonts.normal), FALSE);
    return control;
}

void set_slider(HWND sheet, int id, int low, int high, std::int32_t value) {
    HWND slider = GetDlgItem(sheet, id);
    if (!slider) return;
    SendMessageW(slider, TBM_SETRANGE, FALSE, MAKELPARAM(low, high));
    SendMessageW(slider, TBM_SETPOS, TRUE, value);
}

void set_number(HWND label, std::int32_t value) {
    if (!label) return;
    wchar_t text[16];
    std::swprintf(text, 16, L"%d", static_cast<int>(value));
    SetWindowTextW(label, text);
}

void set_caption(HWND sheet, int id, const std::optional<std::u16string_view>& caption) {
    if (!caption) return;  // an unknown value keeps what the button shows
    if (HWND button = GetDlgItem(sheet, id)) SetWindowTextW(button, to_wide(*caption).c_str());
}

void update_date_caption() {
    if (!g_labels.date_caption) return;
    SetWindowTextW(g_labels.date_caption, to_wide(date_picker_caption(g_settings.date)).c_str());
}

// The stamp date wherever the window shows it: the picker, its caption and,
// while a picked day is in force, the end of the title.
void show_stamp_date(HWND sheet) {
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(g_settings.date.year);
    date.wMonth = static_cast<WORD>(g_settings.date.month);
    date.wDay = static_cast<WORD>(g_settings.date.day);
    date.wDayOfWeek = static_cast<WORD>(weekday_of(g_settings.date.year, g_settings.date.month,
                                                   g_settings.date.day));
    const bool refreshing = g_refreshing;
    g_refreshing = true;  // setting the picker is no pick
    if (HWND picker = GetDlgItem(sheet, kSheetIdDatePicker))
        SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date));
    g_refreshing = refreshing;
    update_date_caption();
    const std::wstring title = kSettingsTitle + to_wide(stamp_date_note());
    SetWindowTextW(GetParent(sheet), title.c_str());
}

// The preview, of today's date unless a day was picked: a window left open
// over midnight shows the new day at its next redraw.
void redraw_preview(HWND sheet) {
    if (follow_stamp_date()) show_stamp_date(sheet);
    draw_preview(sheet);
}

void refresh_controls(HWND sheet) {
    g_refreshing = true;
    const SlotSettings& slot = g_settings.active_slot();
    const int show = division_row_shown(g_settings.global.active) ? SW_SHOW : SW_HIDE;
    for (HWND w : {g_labels.divisions_caption, g_labels.divisions_value,
                   GetDlgItem(sheet, kSheetIdDivisions)}) {
        if (w) ShowWindow(w, show);
    }

    follow_stamp_date();
    show_stamp_date(sheet);

    SetDlgItemTextW(sheet, kSheetIdBusho, as_wide(g_settings.global.busho.c_str()));
    SetDlgItemTextW(sheet, kSheetIdName, as_wide(g_settings.global.name.c_str()));

    set_slider(sheet, kSheetIdRadius, 20, 80, slot.frame.hankei);
    set_slider(sheet, kSheetIdThick, 1, 10, slot.frame.thick);
    set_slider(sheet, kSheetIdDivisions, 3, 20, slot.frame.bunkatu);
    set_number(g_labels.radius_value, slot.frame.hankei);
    set_number(g_labels.thick_value, slot.frame.thick);
    set_number(g_labels.divisions_value, slot.frame.bunkatu);

    set_caption(sheet, kSheetIdShadow, shadow_caption(slot.frame.shadow));
    set_caption(sheet, kSheetIdEra, era_caption(slot.date_format.era));
    set_caption(sheet, kSheetIdDelimiter, delimiter_caption(slot.date_format.delimiter));
    set_caption(sheet, kSheetIdMonth, month_caption(slot.date_format.month_lang));
    g_refreshing = false;
}

// The read-back step: the two texts. The date is taken only when the user
// picks one (OnNotify): read back at other times, the picker would put the
// day the window opened on over today's.
void take_controls(HWND sheet) {
    for (int id : {kSheetIdBusho, kSheetIdName}) {
        HWND box = GetDlgItem(sheet, id);
        if (!box) continue;
        // The whole text, then cleaned and cut: another program, an input
        // method or a paste can put line breaks and control characters into
        // the box, and a break would end the value in the settings file.
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
        const int length = GetWindowTextW(box, text.data(), static_cast<int>(text.size()));
        text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
        const std::u16string taken = clean_line_text(as_u16(text), kSheetTextLimit);
        if (id == kSheetIdBusho)
            g_settings.global.busho = taken;
        else
            g_settings.global.name = taken;
    }
}

void take_and_redraw(HWND sheet) {
    take_controls(sheet);
    redraw_preview(sheet);
}

LRESULT OnCreate(HWND sheet) {
    g_tab_sheet_window = sheet;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_DATE_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    const FontSetMetrics m = g_window_fonts.metrics;
    g_labels = SheetLabels{};
    const auto rects = sheet_control_rects(m.a, m.l);
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const SheetControl& c = sheet_controls()[i];
        HWND control = create_control(sheet, c, rects[i]);
        switch (c.label) {
            case SheetLabel::kDateCaption: g_labels.date_caption = control; break;
            case SheetLabel::kRadiusValue: g_labels.radius_value = control; break;
            case SheetLabel::kThickValue: g_labels.thick_value = control; break;
            case SheetLabel::kDivisionsValue: g_labels.divisions_value = control; break;
            case SheetLabel::kDivisionsCaption: g_labels.divisions_caption = control; break;
            case SheetLabel::kNone: break;
        }
        if (c.kind == SheetControlKind::kDatePicker && control) {
            // Only the drop-down button: the date is written in the caption.
            SendMessageW(control, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"''"));
        }
        if (c.kind == SheetControlKind::kTextBox && control)
            SendMessageW(control, EM_SETLIMITTEXT, kSheetTextLimit, 0);
    }
    for (int id : kSheetFocusRing) {
        if (HWND control = GetDlgItem(sheet, id)) install_sheet_keys(control);
    }
    refresh_controls(sheet);  // the title too
    if (HWND w = GetDlgItem(sheet, kSheetIdBusho)) EnableWindow(w, g_settings.enable.busho != 0);
    if (HWND w = GetDlgItem(sheet, kSheetIdName)) EnableWindow(w, g_settings.enable.name != 0);
    if (HWND w = GetDlgItem(sheet, kSheetIdDatePicker)) EnableWindow(w, g_settings.enable.date != 0);
    PostMessageW(sheet, kMsgFocusOk, 0, 0);
    return 0;
}

LRESULT OnDestroy(HWND sheet) {
    end_sheet_drag(sheet);
    for (int id : kSheetFocusRing) {
        if (HWND control = GetDlgItem(sheet, id)) remove_sheet_keys(control);
    }
    g_labels = SheetLabels{};
    if (g_tab_sheet_window == sheet) g_tab_sheet_window = nullptr;
    return 0;
}

FontSpec* row_font_of_button(int id, const wchar_t** title) {
    SlotSettings& slot = g_settings.active_slot();
    switch (id) {
        case kSheetIdBushoFont: *title = kBushoFontTitle; return &slot.busho;
        case kSheetIdDateFont: *title = kDateFontTitle; return &slot.date;
        case kSheetIdNameFont: *title = kNameFontTitle; return &slot.name;
        default: return nullptr;
    }
}

void change_font(HWND sheet, int id) {
    // The dialog starts from the heights the fit would give now.
    run_layout_pass(false);
    const wchar_t* title = L"";
    FontSpec* font = row_font_of_button(id, &title);
    if (font && choose_row_font(GetAncestor(sheet, GA_ROOT), *font, title)) redraw_preview(sheet);
    if (HWND button = GetDlgItem(sheet, id)) SetFocus(button);
}

void change_frame_colour(HWND sheet) {
    if (choose_frame_colour(GetAncestor(sheet, GA_ROOT), g_settings.active_slot().frame.color,
                            g_settings.global.cust_colors))
        redraw_preview(sheet);
    if (HWND button = GetDlgItem(sheet, kSheetIdFrameColour)) SetFocus(button);
}

// "Ｏ　Ｋ": in normal mode the stamp goes to the clipboard first; a stamp
// that could not be put there keeps the window open (the user was told).
void press_ok(HWND sheet) {
    take_controls(sheet);
    if (!resident_mode() && !program_actions().copy_active_stamp()) return;
    SendMessageW(GetParent(sheet), WM_CLOSE, 0, 0);
}

void cycle_and_refresh(HWND sheet, std::int32_t& value, std::int32_t (*next)(std::int32_t)) {
    value = next(value);
    refresh_controls(sheet);
    redraw_preview(sheet);
}

LRESULT OnCommand(HWND sheet, WPARAM wparam) {
    const int id = LOWORD(wparam);
    const int code = HIWORD(wparam);
    if (id == kSheetIdBusho || id == kSheetIdName) {
        if (code == EN_KILLFOCUS) take_and_redraw(sheet);
        // Typing, deleting, pasting or an input-method result: the preview
        // follows once the box has taken the change.
        if (code == EN_CHANGE && !g_refreshing) PostMessageW(sheet, WM_COMMAND, kSheetCmdTextsChanged, 0);
        return 0;
    }
    if (code != BN_CLICKED) return 0;
    SlotSettings& slot = g_settings.active_slot();
    switch (id) {
        case kSheetCmdTakeControls: take_controls(sheet); break;
        case kSheetCmdTextsChanged:
            take_controls(sheet);
            redraw_preview(sheet);
            break;
        case kSheetIdOk: press_ok(sheet); break;
        case kSheetIdBushoFont:
        case kSheetIdDateFont:
        case kSheetIdNameFont: change_font(sheet, id); break;
        case kSheetIdFrameColour: change_frame_colour(sheet); break;
        case kSheetIdShadow: cycle_and_refresh(sheet, slot.frame.shadow, next_shadow); break;
        case kSheetIdEra: cycle_and_refresh(sheet, slot.date_format.era, next_era); break;
        case kSheetIdDelimiter:
            cycle_and_refresh(sheet, slot.date_format.delimiter, next_delimiter);
            break;
        case kSheetIdMonth: cycle_and_refresh(sheet, slot.date_format.month_lang, next_month_lang); break;
        default: break;
    }
    return 0;
}

LRESULT OnSlider(HWND sheet, HWND slider) {
    if (!slider) return 0;
    const auto position = static_cast<std::int32_t>(SendMessageW(slider, TBM_GETPOS, 0, 0));
    FrameSpec& frame = g_settings.active_slot().frame;
    switch (GetDlgCtrlID(slider)) {
        case kSheetIdRadius:
            frame.hankei = position;
            set_number(g_labels.radius_value, position);
            break;
        case kSheetIdThick:
            frame.thick = position;
            set_number(g_labels.thick_value, position);
            break;
        case kSheetIdDivisions:
            frame.bunkatu = position;
            set_number(g_labels.divisions_value, position);
            break;
        default: return 0;
    }
    redraw_preview(sheet);
    return 0;
}

// A day picked in the calendar is kept; picking today follows the clock again.
void take_picked_day(HWND sheet, const NMDATETIMECHANGE& change) {
    if (g_refreshing || change.dwFlags != GDT_VALID) return;
    StampDate picked;
    picked.year = change.st.wYear;
    picked.month = change.st.wMonth;
    picked.day = change.st.wDay;
    pick_stamp_day(picked);
    show_stamp_date(sheet);
    program_actions().stamp_date_changed();
    take_controls(sheet);
    draw_preview(sheet);
}

LRESULT OnNotify(HWND sheet, const NMHDR* header) {
    if (header && header->idFrom == kSheetIdDatePicker && header->code == DTN_DATETIMECHANGE)
        take_picked_day(sheet, *reinterpret_cast<const NMDATETIMECHANGE*>(header));
    return 0;
}

LRESULT OnPaint(HWND sheet) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(sheet, &ps);
    if (dc) {
        if (follow_stamp_date()) show_stamp_date(sheet);
        draw_preview_on_dc(dc);
        draw_preview_frame(dc);
    }
    EndPaint(sheet, &ps);
    return 0;
}

LRESULT OnFocusOk(HWND sheet) {
    if (HWND ok = GetDlgItem(sheet, kSheetIdOk)) SetFocus(ok);
    return 0;
}

}  // namespace

void refresh_tab_sheet(HWND sheet) {
    if (!sheet) return;
    refresh_controls(sheet);
    redraw_preview(sheet);
}

LRESULT CALLBACK TabSheetWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_CREATE: return OnCreate(hwnd);
        case WM_DESTROY: return OnDestroy(hwnd);
        case WM_COMMAND: return OnCommand(hwnd, wparam);
        case WM_HSCROLL: return OnSlider(hwnd, reinterpret_cast<HWND>(lparam));
        case WM_NOTIFY: return OnNotify(hwnd, reinterpret_cast<const NMHDR*>(lparam));
        case WM_PAINT: return OnPaint(hwnd);
        case WM_MOUSEMOVE: on_sheet_mouse(hwnd, SheetMouse::kMove, lparam); return 0;
        case WM_LBUTTONDOWN: on_sheet_mouse(hwnd, SheetMouse::kLeftDown, lparam); return 0;
        case WM_LBUTTONUP: on_sheet_mouse(hwnd, SheetMouse::kLeftUp, lparam); return 0;
        case WM_RBUTTONDOWN: on_sheet_mouse(hwnd, SheetMouse::kRightDown, lparam); return 0;
        case WM_RBUTTONUP: on_sheet_mouse(hwnd, SheetMouse::kRightUp, lparam); return 0;
        case WM_CAPTURECHANGED: on_sheet_capture_lost(hwnd, reinterpret_cast<HWND>(lparam)); return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wparam) == hwnd && on_sheet_set_cursor(hwnd, lparam)) return TRUE;
            break;
        case kMsgFocusOk: return OnFocusOk(hwnd);
        default: break;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

}  // namespace markomi
