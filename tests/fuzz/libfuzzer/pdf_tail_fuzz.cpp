// The end of anyone's PDF file, read to append an update to it: a section
// found lies inside the file, and the update written after it points back to
// it and lists each object where it is.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "output/pdf_stamp/pdf_incremental.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const std::optional<markomi::PdfTail> tail = markomi::read_pdf_tail(file);
    if (!tail) return 0;
    if (tail->startxref < 0 || static_cast<std::size_t>(tail->startxref) >= size) std::abort();
    markomi::PdfTrailerFacts facts;
    facts.size = 3;
    facts.root = "1 0 R";
    facts.prev = tail->startxref;
    facts.kind = tail->kind;
    const markomi::PdfUpdate update =
        markomi::write_pdf_update(size, size > 0 && (file.back() == '\n' || file.back() == '\r'),
                                  {{7, 0, "<< >>", std::nullopt}}, facts);
    const std::string whole = std::string(file) + update.bytes;
    const std::optional<markomi::PdfTail> after = markomi::read_pdf_tail(whole);
    if (!after || after->kind != tail->kind || static_cast<std::size_t>(after->startxref) < size ||
        whole.compare(update.bodies[0] - 8, 8, "7 0 obj\n") != 0)
        std::abort();
    return 0;
}
