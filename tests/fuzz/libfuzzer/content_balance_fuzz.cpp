// The graphics-state balance of a page's content, from the bytes of anyone's
// PDF: ends, in time, with counts the bytes can hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "output/pdf_stamp/pdf_content_balance.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const markomi::PdfContentBalance b = markomi::pdf_content_balance(content);
    // Each counted q or Q is a byte of its own and a separator.
    if (b.open_saves < 0 || b.unmatched_restores < 0 ||
        static_cast<std::size_t>(b.open_saves) + static_cast<std::size_t>(b.unmatched_restores) > size)
        std::abort();
    return 0;
}
