#pragma once
// The texts a stamp annotation says of itself, in PDF's own syntax: dates
// with the local offset, text strings that a reader's comment list shows.
#include <string>
#include <string_view>

namespace markomi {

// The time of stamping, as the local clock gave it, with its offset from UTC.
struct PdfStampTime {
    int year, month, day, hour, minute, second;
    int utc_offset_minutes;
};

// A PDF date string: "(D:20261209103100+09'00')"; "Z" at UTC.
std::string pdf_date_string(const PdfStampTime& when);

// A PDF text string of UTF-8 text: a literal string of the characters when
// they are printable ASCII (the same in PDFDocEncoding), else UTF-16BE with
// a byte order mark, as a hexadecimal string.
std::string pdf_text_string(std::string_view utf8);

}  // namespace markomi
