#pragma once
// How long the BER element at the start of some bytes is: a signature's
// room in a PDF file is padded with zeros after the CMS message, which the
// decoder must not be given.
#include <cstddef>
#include <string_view>

namespace markomi {

// The element's whole length (tag, length, contents), an indefinite length
// followed to its end-of-contents through at most 64 nested levels; 0 when
// the bytes do not start with a complete element. Work is linear in the size.
std::size_t ber_element_length(std::string_view bytes);

}  // namespace markomi
