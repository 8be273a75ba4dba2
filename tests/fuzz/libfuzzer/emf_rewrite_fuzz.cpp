// The POLYDRAW rewriter over any bytes: refused, or a sound metafile without
// POLYDRAW that the rewriter passes through unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "output/emf/emf_records.h"
#include "output/emf/emf_rewrite.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const markomi::EmfRewrite first = markomi::rewrite_polydraw_records(data, size);
    if (!first.ok) return 0;
    if (!markomi::summarize_emf(first.bytes.data(), first.bytes.size()).valid) std::abort();
    const markomi::EmfRewrite second = markomi::rewrite_polydraw_records(first.bytes.data(), first.bytes.size());
    if (!second.ok || second.polydraw_records != 0 || second.bytes != first.bytes) std::abort();
    return 0;
}
