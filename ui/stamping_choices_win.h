#pragma once
// The design and date panel of the stamping window: the seven designs in an
// owner-drawn drop-down list (each with a small picture of its stamp and its
// name), and the date to stamp: today's, or a day picked in a date picker,
// shown in red with 「今日の日付に戻す」. What is chosen here is the
// stamping's own: the settings' slots and pinned day never change.
#include <windows.h>

#include <array>
#include <optional>

#include "output/raster/stamp_picture.h"
#include "settings/settings_record.h"

namespace markomi {

struct StampingChoice {
    int slot = 0;                  // 0..6: the design (g_settings.slots[slot])
    std::optional<StampDate> day;  // a picked day; nullopt: today's date when saving
};

class StampingChoicesPanel {
  public:
    // Child controls of `parent` with identifiers from `first_control_id`
    // (seven in all). `day_from_settings`: the starting day is the settings
    // window's pin, which the panel notes while it stays chosen.
    void create(HWND parent, int first_control_id, HFONT font, const StampingChoice& start,
                bool day_from_settings);
    // Places the controls at the top of `area`; returns the height used.
    int layout(const RECT& area);
    // The parent hands WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM and
    // WM_CTLCOLORSTATIC here first: true when handled (*result is the
    // message's answer); *changed true when the choice changed.
    bool on_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result, bool* changed);
    StampingChoice choice() const;

  private:
    void show_day();
    void draw_design(const DRAWITEMSTRUCT& item);
    int line_height() const;
    bool owns(int id) const { return id >= first_id_ && id < first_id_ + 7; }

    HWND parent_ = nullptr;
    int first_id_ = 0;
    HFONT font_ = nullptr;
    int line_height_ = 16;
    int item_height_ = 40;
    HWND design_label_ = nullptr;  // 「印影」
    HWND designs_ = nullptr;       // the drop-down list of the seven slots
    HWND date_label_ = nullptr;    // 「日付」
    HWND picker_ = nullptr;        // the date picker
    HWND day_text_ = nullptr;      // 「今日の日付を押します」 or the picked day, in red
    HWND today_ = nullptr;         // 「今日の日付に戻す」
    HWND note_ = nullptr;          // 「設定画面で固定した日付です」
    StampingChoice choice_;
    std::optional<StampDate> pinned_;  // the settings' pin the panel started from
    // The designs' small pictures, drawn when first shown, of this day.
    std::array<StampPicture, kSlotCount> pictures_;
    std::optional<StampDate> pictures_day_;
};

}  // namespace markomi
