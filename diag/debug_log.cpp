#include "diag/debug_log.h"

#include "base/fixed_text.h"
#include "base/u16_format.h"

namespace markomi {

bool g_debug_enabled = false;

namespace {

// "label = value", the unit every formatter is built from.
void append_pair(std::u16string& out, std::u16string_view label, std::u16string_view value) {
    out.append(label);
    out.append(u" = ");
    out.append(value);
}

void append_int_pair(std::u16string& out, std::u16string_view label, std::int64_t value) {
    append_pair(out, label, decimal_text(value));
}

}  // namespace

std::u16string format_log_line(const LogTime& time, std::u16string_view message) {
    std::u16string line;
    line.reserve(kMaxLogLine);
    append_decimal(line, time.year, 4);
    line.push_back(u'/');
    append_decimal(line, time.month, 2);
    line.push_back(u'/');
    append_decimal(line, time.day, 2);
    line.push_back(u' ');
    append_decimal(line, time.hour, 2);
    line.push_back(u':');
    append_decimal(line, time.minute, 2);
    line.push_back(u':');
    append_decimal(line, time.second, 2);
    line.push_back(u'.');
    append_decimal(line, time.millisecond, 3);
    line.push_back(u' ');
    line.append(cut_to_capacity(message, kMaxLogMessage));
    // Only absurd time values can push a line past the limit; the line feed is
    // kept so that the next line still starts on a line of its own.
    line.resize(cut_to_capacity(line, kMaxLogLine - 1).size());
    line.push_back(u'\n');
    return line;
}

std::u16string debug_log_path(std::u16string_view folder) {
    constexpr std::u16string_view kFileName = u"\\debug.log";
    if (folder.empty() || folder.size() + kFileName.size() > kMaxLogPath) return {};
    std::u16string path(folder);
    path.append(kFileName);
    return path;
}

std::u16string bool_message(std::u16string_view label, int flag) {
    std::u16string out;
    append_pair(out, label, flag != 0 ? u"true" : u"false");
    return out;
}

std::u16string text_message(std::u16string_view label, std::u16string_view text) {
    std::u16string out(label);
    out.append(u" = '");
    out.append(text);
    out.push_back(u'\'');
    return out;
}

std::u16string int_message(std::u16string_view label, std::int32_t value) {
    std::u16string out;
    append_int_pair(out, label, value);
    return out;
}

// "%ld" of a 32-bit long prints exactly what "%d" prints.
std::u16string long_message(std::u16string_view label, std::int32_t value) {
    return int_message(label, value);
}

std::u16string unsigned_message(std::u16string_view label, std::uint32_t value) {
    std::u16string out;
    append_int_pair(out, label, value);
    return out;
}

std::u16string two_ints_message(std::u16string_view label1, std::int32_t value1,
                                std::u16string_view label2, std::int32_t value2) {
    std::u16string out;
    append_int_pair(out, label1, value1);
    out.append(u", ");
    append_int_pair(out, label2, value2);
    return out;
}

std::u16string four_ints_message(std::u16string_view label1, std::int32_t value1,
                                 std::u16string_view label2, std::int32_t value2,
                                 std::u16string_view label3, std::int32_t value3,
                                 std::u16string_view label4, std::int32_t value4) {
    std::u16string out = two_ints_message(label1, value1, label2, value2);
    out.append(u", ");
    out.append(two_ints_message(label3, value3, label4, value4));
    return out;
}

// A float reaches "%f" promoted to double, so its exact single-precision value is printed.
std::u16string float_message(std::u16string_view label, float value) {
    return double_message(label, static_cast<double>(value));
}

std::u16string two_floats_message(std::u16string_view label1, float value1,
                                  std::u16string_view label2, float value2) {
    return two_doubles_message(label1, static_cast<double>(value1), label2,
                               static_cast<double>(value2));
}

std::u16string double_message(std::u16string_view label, double value) {
    std::u16string out;
    append_pair(out, label, fixed6_text(value));
    return out;
}

std::u16string two_doubles_message(std::u16string_view label1, double value1,
                                   std::u16string_view label2, double value2) {
    std::u16string out;
    append_pair(out, label1, fixed6_text(value1));
    out.append(u", ");
    append_pair(out, label2, fixed6_text(value2));
    return out;
}

std::u16string size_message(std::u16string_view label, std::int32_t cx, std::int32_t cy) {
    std::u16string out(label);
    out.append(u" (cx, cy) = (");
    append_decimal(out, cx);
    out.append(u", ");
    append_decimal(out, cy);
    out.push_back(u')');
    return out;
}

}  // namespace markomi
