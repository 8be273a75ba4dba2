#pragma once
// The lines of a department or name text: inside these texts the two
// characters "//" are a line break. Scanning runs left to right and skips
// both characters of a break, so "///" is one break followed by "/".
#include <string>
#include <string_view>
#include <vector>

#include "render/line_record.h"

namespace markomi {

constexpr std::u16string_view kLineBreak = u"//";

// Number of lines: breaks + 1. An empty text is one (empty) line.
int count_lines(std::u16string_view text);

// The lines themselves, as views into `text`, uncut.
std::vector<std::u16string_view> line_views(std::u16string_view text);

// One record per line, in order. A line longer than a record holds (499
// units) is cut there (never inside a surrogate pair); sizes and position
// are left at zero.
std::vector<LineRecord> split_lines(std::u16string_view text);

// The lines in reverse order, joined again with "//". Note that splitting
// the result need not give the lines back reversed when the last line ends
// in "/" ("a//b/" becomes "b///a", which splits as "b" and "/a").
std::u16string reverse_lines(std::u16string_view text);

// True when the text is a single line of exactly one character (one UTF-16
// unit, or one surrogate pair).
bool is_single_character_text(std::u16string_view text);

}  // namespace markomi
