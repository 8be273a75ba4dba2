#pragma once
// The developer's debug log: the texts of its lines. Writing them to
// "debug.log" is the Windows glue's job (diag/debug_log_win.h); everything
// here is plain text building so it can be checked without a file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace markomi {

// The one switch for logging and marker drawing. Off from start-up on; only
// a developer turns it on (see enable_debug_log_from_environment).
extern bool g_debug_enabled;

constexpr std::size_t kMaxLogMessage = 199;  // UTF-16 units of one message
constexpr std::size_t kMaxLogLine = 249;     // UTF-16 units of a whole line, LF included
constexpr std::size_t kMaxLogPath = 249;     // UTF-16 units of the log file's path

struct LogTime {
    int year, month, day, hour, minute, second, millisecond;
};

// "yyyy/mm/dd hh:mm:ss.mmm message\n". The message is cut to kMaxLogMessage
// units and the line to kMaxLogLine; a cut never splits a surrogate pair and
// the line always keeps its closing line feed.
std::u16string format_log_line(const LogTime& time, std::u16string_view message);

// folder + "\debug.log", or an empty text when the folder is unknown (empty)
// or the path would exceed kMaxLogPath units; the caller then writes nothing.
std::u16string debug_log_path(std::u16string_view folder);

// Message builders, one per log formatter; labels and texts are copied as given.
std::u16string bool_message(std::u16string_view label, int flag);  // non-zero is true
std::u16string text_message(std::u16string_view label, std::u16string_view text);
std::u16string int_message(std::u16string_view label, std::int32_t value);
std::u16string long_message(std::u16string_view label, std::int32_t value);
std::u16string unsigned_message(std::u16string_view label, std::uint32_t value);
std::u16string two_ints_message(std::u16string_view label1, std::int32_t value1,
                                std::u16string_view label2, std::int32_t value2);
std::u16string four_ints_message(std::u16string_view label1, std::int32_t value1,
                                 std::u16string_view label2, std::int32_t value2,
                                 std::u16string_view label3, std::int32_t value3,
                                 std::u16string_view label4, std::int32_t value4);
std::u16string float_message(std::u16string_view label, float value);
std::u16string two_floats_message(std::u16string_view label1, float value1,
                                  std::u16string_view label2, float value2);
std::u16string double_message(std::u16string_view label, double value);
std::u16string two_doubles_message(std::u16string_view label1, double value1,
                                   std::u16string_view label2, double value2);
std::u16string size_message(std::u16string_view label, std::int32_t cx, std::int32_t cy);

}  // namespace markomi
