// The metafile reader over any bytes, and the SVG and PDF writers over what
// it reads: a refusal with its reason, or files.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "output/vector/vector_writers.h"
#include "tests/support/emf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const markomi::VectorDrawing drawing = markomi::translate_emf(data, size);
    if (!drawing.ok) {
        if (drawing.error.empty()) std::abort();
        return 0;
    }
    markomi::write_svg(drawing);
    markomi::write_pdf(drawing);
    return 0;
}
