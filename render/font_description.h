#pragma once
// The font of one stamp row as measuring and drawing see it: the fields of a
// Windows logical font. Only height, weight, the three style flags and the
// face name change any result; the rest is carried along as the platform
// expects it.
#include <cstdint>

#include "base/fixed_text.h"
#include "settings/settings_record.h"

namespace markomi {

constexpr std::size_t kFaceNameUnits = 31;  // LOGFONT face name: 32 units with the terminator

struct FontDescription {
    std::int32_t height = -13;       // negative: character height in pixels
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 400;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strike_out = 0;
    std::uint8_t char_set = 128;     // Shift-JIS
    std::uint8_t out_precision = 0;
    std::uint8_t clip_precision = 0;
    std::uint8_t quality = 1;
    std::uint8_t pitch_and_family = 0;
    FixedText<kFaceNameUnits> face_name;
};

// The description of a row's font from its settings (style flags become the
// byte values a logical font holds).
inline FontDescription font_description_of(const FontSpec& spec) {
    FontDescription d;
    d.height = spec.height;
    d.weight = spec.weight;
    d.italic = static_cast<std::uint8_t>(spec.italic);
    d.underline = static_cast<std::uint8_t>(spec.underline);
    d.strike_out = static_cast<std::uint8_t>(spec.strikeout);
    d.face_name = spec.face_name.view();
    return d;
}

}  // namespace markomi
