#include "diag/debug_log_win.h"

#include <shlwapi.h>

#include <cwchar>
#include <iterator>
#include <string>

#include "base/gdi_handles_win.h"
#include "base/process_globals_win.h"
#include "base/wide_text_win.h"
#include "base/win_handles_win.h"

namespace markomi {

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = 0xFF0000;  // COLORREF is 0x00BBGGRR

void write_units(HANDLE file, const void* data, std::size_t bytes) {
    DWORD written = 0;
    WriteFile(file, data, static_cast<DWORD>(bytes), &written, nullptr);
}

void draw_line(HDC dc, COLORREF color, int x1, int y1, int x2, int y2) {
    GdiPen pen(CreatePen(PS_SOLID, 1, color));
    if (!pen) return;
    SelectedObject selection(dc, pen.get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

}  // namespace

void enable_debug_log_from_environment() {
    wchar_t value[4] = {};
    DWORD length = GetEnvironmentVariableW(L"MARKOMI2_DEBUG_LOG", value, 4);
    if (length == 1 && value[0] == L'1') g_debug_enabled = true;
}

void write_log_line(std::u16string_view message) {
    if (!g_debug_enabled) return;

    SYSTEMTIME now;
    GetLocalTime(&now);
    const LogTime time{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                       now.wMinute, now.wSecond, now.wMilliseconds};
    const std::u16string line = format_log_line(time, message);

    const std::wstring_view folder(g_settings_folder,
                                   wcsnlen(g_settings_folder, std::size(g_settings_folder)));
    const std::u16string path16 = debug_log_path(as_u16(folder));
    if (path16.empty()) return;
    const std::wstring path = to_wide(path16);

    const bool existed = PathFileExistsW(path.c_str()) != FALSE;
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return;
    if (existed) {
        SetFilePointer(file.get(), 0, nullptr, FILE_END);
    } else {
        static const unsigned char kByteOrderMark[2] = {0xFF, 0xFE};
        write_units(file.get(), kByteOrderMark, sizeof kByteOrderMark);
    }
    write_units(file.get(), line.data(), line.size() * sizeof(char16_t));
}

// Each formatter checks the switch itself so that a disabled log does not
// even build its message.
void log_message(std::wstring_view message) {
    if (g_debug_enabled) write_log_line(as_u16(message));
}

void log_bool(std::wstring_view label, int flag) {
    if (g_debug_enabled) write_log_line(bool_message(as_u16(label), flag));
}

void log_text(std::wstring_view label, std::wstring_view text) {
    if (g_debug_enabled) write_log_line(text_message(as_u16(label), as_u16(text)));
}

void log_text(std::wstring_view label, std::u16string_view text) {
    if (g_debug_enabled) write_log_line(text_message(as_u16(label), text));
}

void log_int(std::wstring_view label, std::int32_t value) {
    if (g_debug_enabled) write_log_line(int_message(as_u16(label), value));
}

void log_long(std::wstring_view label, std::int32_t value) {
    if (g_debug_enabled) write_log_line(long_message(as_u16(label), value));
}

void log_unsigned(std::wstring_view label, std::uint32_t value) {
    if (g_debug_enabled) write_log_line(unsigned_message(as_u16(label), value));
}

void log_two_ints(std::wstring_view label1, std::int32_t value1, std::wstring_view label2,
                  std::int32_t value2) {
    if (!g_debug_enabled) return;
    write_log_line(two_ints_message(as_u16(label1), value1, as_u16(label2), value2));
}

void log_four_ints(std::wstring_view label1, std::int32_t value1, std::wstring_view label2,
                   std::int32_t value2, std::wstring_view label3, std::int32_t value3,
                   std::wstring_view label4, std::int32_t value4) {
    if (!g_debug_enabled) return;
    write_log_line(four_ints_message(as_u16(label1), value1, as_u16(label2), value2, as_u16(label3),
                                     value3, as_u16(label4), value4));
}

void log_float(std::wstring_view label, float value) {
    if (g_debug_enabled) write_log_line(float_message(as_u16(label), value));
}

void log_two_floats(std::wstring_view label1, float value1, std::wstring_view label2,
                    float value2) {
    if (!g_debug_enabled) return;
    write_log_line(two_floats_message(as_u16(label1), value1, as_u16(label2), value2));
}

void log_double(std::wstring_view label, double value) {
    if (g_debug_enabled) write_log_line(double_message(as_u16(label), value));
}

void log_two_doubles(std::wstring_view label1, double value1, std::wstring_view label2,
                     double value2) {
    if (!g_debug_enabled) return;
    write_log_line(two_doubles_message(as_u16(label1), value1, as_u16(label2), value2));
}

void log_size(std::wstring_view label, std::int32_t cx, std::int32_t cy) {
    if (g_debug_enabled) write_log_line(size_message(as_u16(label), cx, cy));
}

void debug_black_line(HDC dc, int x1, int y1, int x2, int y2) {
    if (g_debug_enabled) draw_line(dc, kBlack, x1, y1, x2, y2);
}

void debug_blue_line(HDC dc, int x1, int y1, int x2, int y2) {
    if (g_debug_enabled) draw_line(dc, kBlue, x1, y1, x2, y2);
}

void debug_box(HDC dc, int left, int top, int right, int bottom) {
    if (!g_debug_enabled) return;
    debug_black_line(dc, left, top, right, top);
    debug_black_line(dc, left, bottom, right, bottom);
    debug_black_line(dc, left, top, left, bottom);
    debug_black_line(dc, right, top, right, bottom);
}

void debug_cross(HDC dc, int x, int y) {
    if (!g_debug_enabled) return;
    debug_black_line(dc, x - 2, y - 2, x + 2, y + 2);
    debug_black_line(dc, x - 2, y + 2, x + 2, y - 2);
}

}  // namespace markomi
