// What the program reads from other processes: the companion's replies
// (stamping, --render and --verify, as standard output gives them) and the block of
// documents a second start hands over with WM_COPYDATA. The first byte
// chooses which; the rest is the bytes as they arrive.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/u16_format.h"
#include "ui/document_handoff.h"
#include "ui/found_stamps_rules.h"
#include "ui/pdf_stamp_rules.h"
#include "ui/stamping_window_rules.h"

namespace {

void read_replies(std::string_view bytes, std::size_t count) {
    const std::u16string text = markomi::utf8_to_u16(bytes);
    // Exactly one reply per document, however many lines came.
    const std::vector<markomi::PdfStampReply> replies = markomi::read_pdf_stamp_replies(text, count);
    if (replies.size() != count) std::abort();
    for (const markomi::PdfStampReply& r : replies) {
        if (r.stamped == r.pages.empty()) std::abort();
        if (r.warnings < 0) std::abort();
    }
    const markomi::PdfRenderReply render = markomi::read_pdf_render_reply(text);
    if (render.rendered && !render.answered) std::abort();
    // The stamps on a document: bounded, each line bounded, nothing when refused.
    const markomi::FoundStamps found = markomi::read_found_stamps(text);
    if (found.stamps.size() > markomi::kMostFoundStamps || (found.refused && !found.stamps.empty()))
        std::abort();
    for (const markomi::FoundStamp& s : found.stamps)
        if (markomi::found_stamp_line(s).size() > 100) std::abort();
}

void read_handoff(const std::uint8_t* data, std::size_t size) {
    const auto paths = markomi::decode_document_handoff(data, size);
    if (!paths) return;
    if (paths->empty() || paths->size() > markomi::kMaxHandedDocuments) std::abort();
    for (const std::u16string& p : *paths)
        if (p.empty() || p.size() > markomi::kMaxHandedPathLength || !markomi::has_pdf_extension(p))
            std::abort();
    // A block taken whole comes back as the same bytes.
    const std::u16string again = markomi::encode_document_handoff(*paths);
    if (again.size() * sizeof(char16_t) != size || std::memcmp(again.data(), data, size) != 0)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t which = data[0];
    ++data;
    --size;
    if (which & 1) {
        read_handoff(data, size);
    } else {
        read_replies(std::string_view(reinterpret_cast<const char*>(data), size), (which >> 1) % 4);
    }
    return 0;
}
