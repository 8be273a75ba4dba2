#pragma once
// The stamps and signatures already on a document, as the companion's
// `--verify` tells them, for the stamping window's list 「この文書の印影と署名」
// and its marks on the pages.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/pdf_stamp/pdf_placement.h"

namespace markomi {

// A signature's verdict, as --verify words it; kNone for a plain stamp.
enum class FoundStatus { kNone, kValid, kUnknown, kInvalid };

struct FoundStamp {
    int page = 0;                     // 1-based; 0: on no page
    std::optional<PdfMmRect> box_mm;  // on that page as shown
    std::u16string time;              // ISO 8601 as written, with its offset
    std::u16string text;              // a stamp's /Contents, or another signer's name
    bool ours = true;                 // false: a signature without a stamp of ours
    bool is_signed = false;
    FoundStatus status = FoundStatus::kNone;
};

struct FoundStamps {
    bool answered = false;           // a reply of --verify was read whole
    bool refused = false;            // the companion could not read the document
    std::vector<FoundStamp> stamps;  // by time, those without one last
};

// At most this many stamps and signatures are taken from one reply.
constexpr std::size_t kMostFoundStamps = 200;

// The JSON object --verify prints. Our signed stamps get their signature's
// verdict; other signatures are entries of their own. A reply cut short or
// malformed is not answered and lists nothing.
FoundStamps read_found_stamps(std::u16string_view reply);

// 「2026/12/08 10:31 課長 山田 ― 署名 有効」: the time as written, the stamp's
// lines without its date line, and what holds it.
std::u16string found_stamp_line(const FoundStamp& stamp);

}  // namespace markomi
