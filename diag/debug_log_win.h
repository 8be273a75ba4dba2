#pragma once
// The debug log file and the debug markers. Every function here does nothing
// while g_debug_enabled is false, which is the state the program starts in.
#include <windows.h>

#include <cstdint>
#include <string_view>

#include "diag/debug_log.h"

namespace markomi {

// Hidden developer switch: when the environment variable MARKOMI2_DEBUG_LOG is
// exactly "1", turns the debug log and markers on; any other value, or none,
// leaves the switch as it is. Start-up calls it right after switching the log off.
void enable_debug_log_from_environment();

// Appends one time-stamped line to "debug.log" in g_settings_folder. The file
// is opened and closed for every line; a new file starts with the UTF-16LE
// byte-order mark. Failures lose the line silently.
void write_log_line(std::u16string_view message);

void log_message(std::wstring_view message);
void log_bool(std::wstring_view label, int flag);
void log_text(std::wstring_view label, std::wstring_view text);
void log_text(std::wstring_view label, std::u16string_view text);
void log_int(std::wstring_view label, std::int32_t value);
void log_long(std::wstring_view label, std::int32_t value);
void log_unsigned(std::wstring_view label, std::uint32_t value);
void log_two_ints(std::wstring_view label1, std::int32_t value1, std::wstring_view label2,
                  std::int32_t value2);
void log_four_ints(std::wstring_view label1, std::int32_t value1, std::wstring_view label2,
                   std::int32_t value2, std::wstring_view label3, std::int32_t value3,
                   std::wstring_view label4, std::int32_t value4);
void log_float(std::wstring_view label, float value);
void log_two_floats(std::wstring_view label1, float value1, std::wstring_view label2, float value2);
void log_double(std::wstring_view label, double value);
void log_two_doubles(std::wstring_view label1, double value1, std::wstring_view label2,
                     double value2);
void log_size(std::wstring_view label, std::int32_t cx, std::int32_t cy);

// Markers for looking at layouts: 1-pixel solid lines drawn with a pen of their
// own, which is selected only while drawing and deleted afterwards.
void debug_black_line(HDC dc, int x1, int y1, int x2, int y2);
void debug_blue_line(HDC dc, int x1, int y1, int x2, int y2);
// Top, bottom, left and right edge, in that order, in black.
void debug_box(HDC dc, int left, int top, int right, int bottom);
// Two black diagonals through (x, y), reaching two pixels out.
void debug_cross(HDC dc, int x, int y);

}  // namespace markomi
