#pragma once
// How a page's content stream leaves the graphics-state stack: the restores
// (Q) it makes with nothing of its own saved, and the saves (q) it leaves
// open. Content drawn after the page must be wrapped to undo both, or the
// page's last transformation and colours carry over onto it.
#include <string_view>

namespace markomi {

struct PdfContentBalance {
    int unmatched_restores = 0;  // Q with no q of the page's before it
    int open_saves = 0;          // q never restored by the end
};

// Reads the operators of a content stream (the page's streams joined), past
// strings, comments, dictionaries and inline image data.
PdfContentBalance pdf_content_balance(std::string_view content);

}  // namespace markomi
