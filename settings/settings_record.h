#pragma once
// The one settings set of the program: global options, seven stamp slots,
// the field-enable flags and the stamp date. Plain data; the rules that fill
// and clamp it live in settings_rules.h.
#include <array>
#include <cstdint>

#include "base/fixed_text.h"

namespace markomi {

constexpr int kSlotCount = 7;

// Text capacities in UTF-16 units, terminator excluded.
constexpr std::size_t kRowTextCapacity = 499;   // BUSHO, NAME
constexpr std::size_t kFaceNameCapacity = 99;   // ..._FACENAME
constexpr std::size_t kCharsetCapacity = 19;    // CHARSET
constexpr std::size_t kFormatCapacity = 1;      // FORMAT

// Windows colour value 0x00BBGGRR; 255 is pure red.
using ColorRef = std::uint32_t;
constexpr ColorRef kDefaultRed = 255;

struct GlobalOptions {
    std::int32_t active = 0;                       // ACTIVE, 0..6
    FixedText<kRowTextCapacity> busho = u"技術部";  // BUSHO
    FixedText<kRowTextCapacity> name = u"印田";     // NAME
    FixedText<kFormatCapacity> format = u"M";       // FORMAT, "M" or "B"
    std::array<ColorRef, 16> cust_colors{};         // CUSTCOLOR1..16
    FixedText<kCharsetCapacity> charset = u"shift-jis";  // CHARSET
    std::int32_t station_type = 0;                  // STATIONTYPE, 0 or 1
    std::int32_t paste = 0;                         // PASTE, 0 or 1
    std::int32_t hotkey = 0;                        // HOTKEY
    std::int32_t ajust = 1;                         // AJUST, 0 or 1
    std::int32_t expand = 0;                        // EXPAND, 0 or 1
};

struct FrameSpec {
    std::int32_t hankei = 35;        // WAKUn_HANKEI, 20..80
    std::int32_t thick = 1;          // WAKUn_THICK, 1..10
    ColorRef color = kDefaultRed;    // WAKUn_COLOR
    std::int32_t bunkatu = 9;        // WAKUn_BUNKATU, 3..20
    std::int32_t shadow = 0;         // WAKUn_SHADOW, 0 flat, 1..3 3D styles
};

struct FontSpec {
    std::int32_t height = -13;       // ..._HEIGHT (LOGFONT sense: negative = character height)
    std::int32_t weight = 400;       // ..._WEIGHT
    std::int32_t italic = 0;         // ..._ITALIC
    std::int32_t underline = 0;      // ..._UNDERLINE
    std::int32_t strikeout = 0;      // ..._STRIKEOUT
    FixedText<kFaceNameCapacity> face_name = u"ＭＳ Ｐゴシック";  // ..._FACENAME
    ColorRef color = kDefaultRed;    // ..._COLOR
};

struct DateFormatSpec {
    std::int32_t era = 5;            // DATEn_ERA, 1..5
    std::int32_t delimiter = 1;      // DATEn_DELIMITER, 1..3
    std::int32_t month_lang = 0;     // DATEn_MONTH_LANG, 0..1
};

struct SlotSettings {
    FrameSpec frame;
    FontSpec busho;                  // department row, section BUSHO
    FontSpec date;                   // date row, section DATE
    FontSpec name = name_font();     // name row, section NAME
    DateFormatSpec date_format;

    static FontSpec name_font() {
        FontSpec f;
        f.height = -16;
        return f;
    }
};

struct FieldEnable {
    std::int32_t busho = 1;          // 部署
    std::int32_t name = 1;           // 名前
    std::int32_t date = 1;           // 日付
    std::int32_t format = 1;         // フォーマット (kept and written back only)
};

struct StampDate {
    std::int32_t year = 2000;        // four digits
    std::int32_t month = 1;          // 1..12
    std::int32_t day = 1;            // 1..31
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;
    std::int32_t weekday = 6;        // 0 = Sunday .. 6 = Saturday
};

// The last choices of "PDFに捺印…", section PDF of the settings file.
constexpr std::size_t kPdfPagesCapacity = 63;   // PAGES
constexpr std::size_t kThumbprintLength = 40;   // CERTIFICATE
struct PdfStampOptions {
    std::int32_t page = 0;                       // PAGE: 0 first, 1 last, 2 all, 3 the pages in PAGES
    FixedText<kPdfPagesCapacity> pages = u"1";   // PAGES, "1,3"
    std::int32_t position = 2;                   // POSITION: 0..8, top-left to bottom-right by rows
    std::int32_t margin = 10;                    // MARGIN, millimetres, 0..100
    std::int32_t open_after = 1;                 // OPEN, 0 or 1
    // The stamping window's place and size on the screen's workspace
    // (WINLEFT, WINTOP, WINWIDTH, WINHEIGHT); a width of 0: never placed.
    std::int32_t window_left = 0, window_top = 0, window_width = 0, window_height = 0;
    // Signing: the remembered certificate by its thumbprint (40 upper-case
    // hex digits, never the key), whether to sign, and the /Reason.
    FixedText<kThumbprintLength> certificate;    // CERTIFICATE: empty or 40 hex digits
    std::int32_t sign = 0;                       // SIGN, 0 or 1
    std::int32_t reason = 0;                     // REASON: 0 承認, 1 受付
};

struct SettingsSet {
    GlobalOptions global;
    std::array<SlotSettings, kSlotCount> slots;
    FieldEnable enable;
    StampDate date;
    PdfStampOptions pdf;

    SlotSettings& active_slot() { return slots[static_cast<std::size_t>(global.active)]; }
    const SlotSettings& active_slot() const { return slots[static_cast<std::size_t>(global.active)]; }
};

// The process-wide settings set every subsystem reads and the windows edit.
extern SettingsSet g_settings;

}  // namespace markomi
