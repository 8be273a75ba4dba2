#pragma once
// How a page's content stream leaves the graphics-state stack and the
// content syntax: the restores (Q) it makes with nothing of its own saved,
// the saves (q) it leaves open, and whether it ends between operators. What
// is drawn after such content is only safe from it when all of these are
// clean; otherwise the page's content is drawn apart (see pdf_stamp_qpdf).
#include <cstdint>
#include <string>
#include <string_view>

namespace markomi {

struct PdfContentBalance {
    int unmatched_restores = 0;  // Q with no q of the page's before it
    int open_saves = 0;          // q never restored by the end
    int open_marked = 0;         // BMC/BDC never ended by EMC
    bool open_text = false;      // ends inside BT ... ET
    // Ends inside a string, hex string, array, dictionary or inline image,
    // or with operands no operator took: whatever follows is read as part
    // of it.
    bool unclosed = false;

    // Nothing of the content reaches what is drawn after "q <content> Q".
    bool wrap_is_enough() const {
        return unmatched_restores == 0 && open_saves == 0 && open_marked == 0 && !open_text &&
               !unclosed;
    }
};

// Reads the operators of a content stream fed in pieces (the page's streams
// joined), past strings, comments, names, dictionaries and inline image
// data, as readers split it: a number ends where its digits do, so "1Q" is
// an operand and a restore. Constant memory whatever the length.
class PdfContentScanner {
public:
    void feed(std::string_view bytes);
    PdfContentBalance finish();
    std::uint64_t bytes_fed() const { return fed_; }

private:
    enum class State {
        kBetween,
        kComment,
        kString,
        kStringEscape,
        kHex,
        kName,
        kWord,
        kNumber,
        kImage
    };
    void end_token();
    void operator_word();
    void image_byte(char c);

    PdfContentBalance balance_;
    State state_ = State::kBetween;
    std::string word_;               // the operator being read, cut at kLongestWord
    int string_depth_ = 0;           // nested brackets of a literal string
    int nesting_ = 0;                // open arrays and dictionaries
    bool operands_ = false;          // operands since the last operator
    bool dictionary_open_ = false;   // a '<' that may begin "<<"
    bool dictionary_close_ = false;  // a '>' that may end ">>"
    int image_skip_ = 0;             // the one byte after "ID"
    int image_match_ = 0;            // of "<white>EI" seen at the data's end
    std::uint64_t fed_ = 0;
};

// The whole content at once.
PdfContentBalance pdf_content_balance(std::string_view content);

}  // namespace markomi
