#include "ui/stamping_choices_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "base/wide_text_win.h"
#include "dates/date_text.h"
#include "output/raster/stamp_picture_win.h"
#include "ui/stamp_date_win.h"
#include "ui/stamp_settings_rules.h"

namespace markomi {
namespace {

constexpr COLORREF kPickedDayColour = RGB(204, 0, 0);

bool same_day(const StampDate& a, const StampDate& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

SYSTEMTIME system_time_of(const StampDate& d) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(d.year);
    t.wMonth = static_cast<WORD>(d.month);
    t.wDay = static_cast<WORD>(d.day);
    t.wDayOfWeek = static_cast<WORD>(weekday_of(d.year, d.month, d.day));
    return t;
}

// "ノーマル", "花", ...: the settings window's tab captions without their blanks.
std::wstring design_name(int slot) {
    std::u16string_view caption = tab_captions()[static_cast<std::size_t>(slot)];
    while (!caption.empty() && caption.front() == u' ') caption.remove_prefix(1);
    return std::to_wstring(slot + 1) + L"  " + to_wide(std::u16string(caption));
}

HWND make_control(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id,
                  HFONT font) {
    HWND control = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (control && font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

}  // namespace

void StampingChoicesPanel::create(HWND parent, int first_control_id, HFONT font,
                                  const StampingChoice& start, bool day_from_settings) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    parent_ = parent;
    first_id_ = first_control_id;
    font_ = font;
    choice_ = start;
    choice_.slot = std::clamp(start.slot, 0, kSlotCount - 1);
    pinned_ = day_from_settings ? start.day : std::nullopt;
    line_height_ = line_height();
    // Each design's picture: its stamp at about two lines of the font.
    item_height_ = line_height_ * 5 / 2;

    design_label_ = make_control(parent, WC_STATICW, L"印影", SS_LEFT, first_id_ + 6, font);
    designs_ = make_control(
        parent, WC_COMBOBOXW, L"",
        WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, first_id_,
        font);
    for (int slot = 0; slot < kSlotCount; ++slot)
        SendMessageW(designs_, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(design_name(slot).c_str()));
    SendMessageW(designs_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), item_height_);
    SendMessageW(designs_, CB_SETITEMHEIGHT, 0, item_height_);
    SendMessageW(designs_, CB_SETCURSEL, static_cast<WPARAM>(choice_.slot), 0);
    date_label_ = make_control(parent, WC_STATICW, L"日付", SS_LEFT, first_id_ + 5, font);
    picker_ = make_control(parent, DATETIMEPICK_CLASSW, L"", WS_TABSTOP | DTS_SHORTDATEFORMAT,
                           first_id_ + 1, font);
    day_text_ = make_control(parent, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX, first_id_ + 3, font);
    today_ = make_control(parent, WC_BUTTONW, L"今日の日付に戻す", WS_TABSTOP | BS_PUSHBUTTON,
                          first_id_ + 2, font);
    note_ = make_control(parent, WC_STATICW, L"設定画面で固定した日付です", SS_LEFT, first_id_ + 4,
                         font);
    show_day();
}

int StampingChoicesPanel::line_height() const {
    HDC dc = GetDC(parent_);
    if (!dc) return 16;
    HGDIOBJ old = font_ ? SelectObject(dc, font_) : nullptr;
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    if (old) SelectObject(dc, old);
    ReleaseDC(parent_, dc);
    return std::max(8, static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading));
}

int StampingChoicesPanel::layout(const RECT& area) {
    const int lh = line_height_, gap = lh / 2;
    const int label_w = lh * 3, x = area.left + label_w;
    const int width = std::max(lh * 8, static_cast<int>(area.right - x));
    int y = area.top;
    // A closed drop-down list is its item and a frame; the height given is
    // the open list's.
    const int combo_h = item_height_ + 8;
    SetWindowPos(design_label_, nullptr, area.left, y + (combo_h - lh) / 2, label_w, lh,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(designs_, nullptr, x, y, std::min(width, lh * 16),
                 combo_h + item_height_ * kSlotCount + 4, SWP_NOZORDER | SWP_NOACTIVATE);
    y += combo_h + gap;
    const int row_h = lh + lh / 2;
    const int picker_w = lh * 8, button_w = lh * 9;
    SetWindowPos(date_label_, nullptr, area.left, y + (row_h - lh) / 2, label_w, lh,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(picker_, nullptr, x, y, picker_w, row_h, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(today_, nullptr, x + picker_w + gap, y, button_w, row_h,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    y += row_h + gap / 2;
    SetWindowPos(day_text_, nullptr, x, y, width, lh, SWP_NOZORDER | SWP_NOACTIVATE);
    y += lh;
    SetWindowPos(note_, nullptr, x, y, width, lh, SWP_NOZORDER | SWP_NOACTIVATE);
    y += lh + gap;
    return y - area.top;
}

void StampingChoicesPanel::show_day() {
    const StampDate day = choice_.day ? *choice_.day : stamp_clock_today();
    SYSTEMTIME shown = system_time_of(day);
    SendMessageW(picker_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&shown));
    // The picker draws its text itself, whatever WM_CTLCOLOR answers, on
    // Windows as elsewhere: the picked day is told in red beside it.
    std::u16string caption =
        choice_.day ? date_picker_caption(*choice_.day) + u" を押します" : u"今日の日付を押します";
    while (!caption.empty() && caption.front() == u' ') caption.erase(caption.begin());
    SetWindowTextW(day_text_, to_wide(caption).c_str());
    EnableWindow(today_, choice_.day.has_value());
    const bool pinned_day = pinned_ && choice_.day && same_day(*pinned_, *choice_.day);
    ShowWindow(note_, pinned_day ? SW_SHOWNA : SW_HIDE);
    // The designs' pictures show the date that will go on.
    if (!pictures_day_ || !same_day(*pictures_day_, day)) {
        for (StampPicture& p : pictures_) p = StampPicture{};
        pictures_day_ = day;
        InvalidateRect(designs_, nullptr, TRUE);
    }
}

void StampingChoicesPanel::draw_design(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID >= static_cast<UINT>(kSlotCount)) return;
    const int slot = static_cast<int>(item.itemID);
    StampPicture& picture = pictures_[static_cast<std::size_t>(slot)];
    if (picture.pixels.empty() && pictures_day_) {
        SettingsSet set = g_settings;  // the stamping's date, the settings' own untouched
        set.date = *pictures_day_;
        picture = render_stamp_picture(set, slot);
    }
    const int side = static_cast<int>(r.bottom - r.top) - 4;
    int text_x = r.left + 4;
    if (!picture.on_white.empty() && side > 0) {
        // Scaled to fit the square, its shape kept.
        const int longest = std::max(picture.width, picture.height);
        const int w = picture.width * side / longest, h = picture.height * side / longest;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = picture.width;
        info.bmiHeader.biHeight = -picture.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        const int old_mode = SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchDIBits(dc, r.left + 2 + (side - w) / 2, r.top + 2 + (side - h) / 2, w, h, 0, 0,
                      picture.width, picture.height, picture.on_white.data(), &info, DIB_RGB_COLORS,
                      SRCCOPY);
        SetStretchBltMode(dc, old_mode);
        text_x = r.left + side + 10;
    }
    const std::wstring name = design_name(slot);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT text = r;
    text.left = text_x;
    HGDIOBJ old = font_ ? SelectObject(dc, font_) : nullptr;
    DrawTextW(dc, name.c_str(), -1, &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (old) SelectObject(dc, old);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

bool StampingChoicesPanel::on_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result,
                                      bool* changed) {
    *changed = false;
    switch (message) {
        case WM_MEASUREITEM: {
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
            if (static_cast<int>(wparam) != first_id_ || !measure) return false;
            measure->itemHeight = static_cast<UINT>(item_height_);
            *result = TRUE;
            return true;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
            if (static_cast<int>(wparam) != first_id_ || !item) return false;
            draw_design(*item);
            *result = TRUE;
            return true;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wparam);
            if (id == first_id_ && HIWORD(wparam) == CBN_SELCHANGE) {
                const LRESULT slot = SendMessageW(designs_, CB_GETCURSEL, 0, 0);
                if (slot >= 0 && slot < kSlotCount && slot != choice_.slot) {
                    choice_.slot = static_cast<int>(slot);
                    *changed = true;
                }
            } else if (id == first_id_ + 2 && HIWORD(wparam) == BN_CLICKED) {
                *changed = choice_.day.has_value();
                choice_.day.reset();
                show_day();
            } else if (!owns(id)) {
                return false;
            }
            *result = 0;
            return true;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lparam);
            if (!header || static_cast<int>(header->idFrom) != first_id_ + 1) return false;
            if (header->code == DTN_DATETIMECHANGE) {
                const auto& change = *reinterpret_cast<const NMDATETIMECHANGE*>(header);
                if (change.dwFlags == GDT_VALID) {
                    StampDate day;
                    day.year = change.st.wYear;
                    day.month = change.st.wMonth;
                    day.day = change.st.wDay;
                    day.weekday = weekday_of(day.year, day.month, day.day);
                    *changed = !choice_.day || !same_day(*choice_.day, day);
                    choice_.day = day;
                    show_day();
                }
            }
            *result = 0;
            return true;
        }
        case WM_CTLCOLORSTATIC: {
            if (reinterpret_cast<HWND>(lparam) != day_text_ || !choice_.day) return false;
            HDC dc = reinterpret_cast<HDC>(wparam);
            SetTextColor(dc, kPickedDayColour);
            // The parent's own background behind the red text.
            HBRUSH background =
                reinterpret_cast<HBRUSH>(GetClassLongPtrW(parent_, GCLP_HBRBACKGROUND));
            if (!background || reinterpret_cast<ULONG_PTR>(background) <= COLOR_MENUHILIGHT + 1)
                background = GetSysColorBrush(COLOR_BTNFACE);
            LOGBRUSH fill{};
            GetObjectW(background, sizeof fill, &fill);
            SetBkColor(dc, fill.lbColor);
            *result = reinterpret_cast<LRESULT>(background);
            return true;
        }
        default:
            return false;
    }
}

StampingChoice StampingChoicesPanel::choice() const {
    return choice_;
}

}  // namespace markomi
