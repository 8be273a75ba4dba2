#include "output/pdf_stamp/pdf_note_text.h"

#include <cstdio>
#include <cstdlib>

#include "base/u16_format.h"
#include "output/pdf_stamp/pdf_incremental.h"

namespace markomi {

std::string pdf_date_string(const SigningTime& w) {
    char text[64];
    std::snprintf(text, sizeof text, "(D:%04d%02d%02d%02d%02d%02d", w.year % 10000, w.month % 100,
                  w.day % 100, w.hour % 100, w.minute % 100, w.second % 100);
    std::string s = text;
    if (w.utc_offset_minutes == 0) return s + "Z)";
    const int offset = std::abs(w.utc_offset_minutes) % (24 * 60);
    std::snprintf(text, sizeof text, "%c%02d'%02d')", w.utc_offset_minutes < 0 ? '-' : '+',
                  offset / 60, offset % 60);
    return s + text;
}

std::string pdf_text_string(std::string_view utf8) {
    bool ascii = true;
    for (char c : utf8) ascii = ascii && c >= 0x20 && c < 0x7F;
    if (ascii) {
        std::string s = "(";
        for (char c : utf8) {
            if (c == '(' || c == ')' || c == '\\') s += '\\';
            s += c;
        }
        return s + ")";
    }
    std::string bytes = "\xFE\xFF";
    for (char16_t u : utf8_to_u16(utf8)) {
        bytes += static_cast<char>(u >> 8);
        bytes += static_cast<char>(u & 0xFF);
    }
    return pdf_hex_string(bytes);
}

}  // namespace markomi
