// A signed PDF file's revisions, a byte range over it, the CMS message's
// length in its padded room and a PDF date, from anyone's bytes: each ends
// in time with answers the bytes can hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "output/pdf_sign/ber_length.h"
#include "output/pdf_stamp/pdf_revisions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const std::vector<markomi::PdfRevisionEnd> ends = markomi::pdf_revision_ends(file);
    std::size_t previous = 0;
    for (const markomi::PdfRevisionEnd& e : ends) {
        if (e.marker_end < 5 || e.marker_end > e.end || e.end > size || e.end < previous)
            std::abort();
        previous = e.end;
    }
    // The range from the first bytes, as a /ByteRange's numbers.
    std::vector<std::int64_t> range;
    for (std::size_t i = 0; i < 4 && i < size; ++i)
        range.push_back(static_cast<std::int8_t>(data[i]) * 3);
    const markomi::PdfByteRange r = markomi::check_byte_range(file, range);
    if (r.valid && (r.end > size || r.second_start <= r.first_end || r.contents.size() > size))
        std::abort();
    if (markomi::ber_element_length(file) > size) std::abort();
    if (markomi::iso_time_of_pdf_date(file.substr(0, 32)).size() > 25) std::abort();
    return 0;
}
