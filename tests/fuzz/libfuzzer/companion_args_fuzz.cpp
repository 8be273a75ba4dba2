// The companion's command line as any script may give it: the input is the
// arguments in UTF-8, separated by NUL bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/u16_format.h"
#include "output/pdf_stamp/pdf_placement.h"
#include "tools/companion_args.h"

namespace {

// The pages of a document as the stamping takes them: ascending, each once,
// inside the document, and none at all exactly when one is missing.
void check_pages(const markomi::PdfPageChoice& choice, int page_count) {
    int missing = -1;
    const std::vector<int> pages = markomi::chosen_pages(choice, page_count, &missing);
    if ((missing != 0) != pages.empty()) std::abort();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (pages[i] < 1 || pages[i] > page_count) std::abort();
        if (i > 0 && pages[i] <= pages[i - 1]) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::u16string> argv;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\0', start);
        argv.push_back(markomi::utf8_to_u16(text.substr(start, end - start)));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    const markomi::CompanionParse parse = markomi::parse_companion_args(argv);
    if (!parse.args) {
        if (parse.error.empty()) std::abort();  // a refusal always says why
        // The reply quotes what it refused: no control character stays raw.
        for (char16_t c : markomi::json_string(parse.error))
            if (c < 0x20) std::abort();
        return 0;
    }
    const markomi::CompanionArgs& a = *parse.args;
    if (!a.stamp_onto.empty())
        for (int page_count : {0, 1, 3, 40}) check_pages(a.pages, page_count);
    return 0;
}
