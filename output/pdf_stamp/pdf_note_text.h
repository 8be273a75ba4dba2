#pragma once
// The texts a stamp annotation says of itself, in PDF's own syntax: dates
// with the local offset, text strings that a reader's comment list shows.
#include <string>
#include <string_view>

#include "output/pdf_sign/cms_attributes.h"

namespace markomi {

// A PDF date string of the time of stamping, as the local clock gave it
// (the signature's signing time is the same moment):
// "(D:20261209103100+09'00')"; "Z" at UTC.
std::string pdf_date_string(const SigningTime& when);

// A PDF text string of UTF-8 text: a literal string of the characters when
// they are printable ASCII (the same in PDFDocEncoding), else UTF-16BE with
// a byte order mark, as a hexadecimal string.
std::string pdf_text_string(std::string_view utf8);

}  // namespace markomi
