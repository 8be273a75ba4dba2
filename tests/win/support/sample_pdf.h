#pragma once
// A small hand-made PDF document for the tests of stamping PDF files.
#include <vector>

namespace markomi::testing {

// An A4 document of `pages` pages, each with a blue box; `signed_field`
// adds a signature field holding a signature value, as a signed document has.
std::vector<unsigned char> sample_pdf(int pages, bool signed_field);

}  // namespace markomi::testing
