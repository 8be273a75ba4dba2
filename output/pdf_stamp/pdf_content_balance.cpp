#include "output/pdf_stamp/pdf_content_balance.h"

namespace markomi {
namespace {

bool is_space(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool is_delimiter(char c) {
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' ||
           c == '}' || c == '/' || c == '%';
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Longer than every operator counted here: a longer word is none of them.
constexpr std::size_t kLongestWord = 3;

}  // namespace

void PdfContentScanner::operator_word() {
    if (nesting_ > 0 || word_ == "true" || word_ == "false" || word_ == "null") {
        operands_ = true;  // a value, or a word inside an array or dictionary
        return;
    }
    operands_ = false;
    if (word_ == "q") {
        ++balance_.open_saves;
    } else if (word_ == "Q") {
        if (balance_.open_saves > 0)
            --balance_.open_saves;
        else
            ++balance_.unmatched_restores;
    } else if (word_ == "BT") {
        balance_.open_text = true;
    } else if (word_ == "ET") {
        balance_.open_text = false;
    } else if (word_ == "BMC" || word_ == "BDC") {
        ++balance_.open_marked;
    } else if (word_ == "EMC") {
        if (balance_.open_marked > 0) --balance_.open_marked;
    } else if (word_ == "ID") {
        state_ = State::kImage;
        image_skip_ = 1;
        image_match_ = 0;
    }
}

void PdfContentScanner::end_token() {
    const State was = state_;
    state_ = State::kBetween;
    if (was == State::kNumber) operands_ = true;
    if (was == State::kWord) operator_word();  // may enter an inline image
}

// An inline image's data starts one byte after "ID" and ends at an "EI"
// with white space before it and white space, a delimiter or the end after.
void PdfContentScanner::image_byte(char c) {
    if (image_skip_) {
        image_skip_ = 0;
        image_match_ = is_space(c) ? 1 : 0;
    } else if (c == 'E' && image_match_ == 1) {
        image_match_ = 2;
    } else if (c == 'I' && image_match_ == 2) {
        image_match_ = 3;
    } else {
        image_match_ = is_space(c) ? 1 : 0;
    }
}

void PdfContentScanner::feed(std::string_view bytes) {
    fed_ += bytes.size();
    for (const char c : bytes) {
        switch (state_) {
            case State::kComment:
                if (c == '\n' || c == '\r') state_ = State::kBetween;
                continue;
            case State::kString:
                if (c == '\\') {
                    state_ = State::kStringEscape;
                } else if (c == '(') {
                    ++string_depth_;
                } else if (c == ')' && --string_depth_ == 0) {
                    state_ = State::kBetween;
                    operands_ = true;
                }
                continue;
            case State::kStringEscape:
                state_ = State::kString;
                continue;
            case State::kHex:
                if (c == '>') {
                    state_ = State::kBetween;
                    operands_ = true;
                }
                continue;
            case State::kImage:
                if (image_match_ == 3 && (is_space(c) || is_delimiter(c))) {
                    state_ = State::kBetween;
                    break;  // the image ended; the byte is read as content
                }
                image_byte(c);
                continue;
            case State::kName:
                if (!is_space(c) && !is_delimiter(c)) continue;
                state_ = State::kBetween;
                break;
            case State::kNumber:
                if (is_digit(c) || c == '.') continue;
                end_token();  // "1Q": the number ends, the Q begins
                break;
            case State::kWord:
                if (!is_space(c) && !is_delimiter(c)) {
                    if (word_.size() <= kLongestWord) word_ += c;
                    continue;
                }
                end_token();
                if (state_ == State::kImage) {
                    image_byte(c);
                    continue;
                }
                break;
            case State::kBetween:
                break;
        }
        // Between tokens. A '<' or '>' waits for the next byte to tell a
        // dictionary's bracket from a hex string.
        if (dictionary_open_) {
            dictionary_open_ = false;
            if (c == '<') {
                ++nesting_;
                continue;
            }
            state_ = State::kHex;
            if (c == '>') {
                state_ = State::kBetween;
                operands_ = true;
            }
            continue;
        }
        if (dictionary_close_) {
            dictionary_close_ = false;
            if (c == '>') {
                if (nesting_ > 0) --nesting_;
                operands_ = true;
                continue;
            }
        }
        if (is_space(c)) continue;
        switch (c) {
            case '%':
                state_ = State::kComment;
                break;
            case '(':
                state_ = State::kString;
                string_depth_ = 1;
                break;
            case '<':
                dictionary_open_ = true;
                break;
            case '>':
                dictionary_close_ = true;
                break;
            case '[':
                ++nesting_;
                break;
            case ']':
                if (nesting_ > 0) --nesting_;
                operands_ = true;
                break;
            case '/':
                state_ = State::kName;
                operands_ = true;
                break;
            case ')':
            case '{':
            case '}':
                break;
            default:
                if (is_digit(c) || c == '+' || c == '-' || c == '.') {
                    state_ = State::kNumber;
                } else {
                    state_ = State::kWord;
                    word_.assign(1, c);
                }
        }
    }
}

PdfContentBalance PdfContentScanner::finish() {
    if (state_ == State::kWord || state_ == State::kNumber) end_token();
    const bool image_ended = state_ == State::kImage && image_match_ == 3;
    const bool inside = state_ == State::kString || state_ == State::kStringEscape ||
                        state_ == State::kHex || (state_ == State::kImage && !image_ended);
    balance_.unclosed = inside || dictionary_open_ || nesting_ > 0 || operands_;
    return balance_;
}

PdfContentBalance pdf_content_balance(std::string_view content) {
    PdfContentScanner scanner;
    scanner.feed(content);
    return scanner.finish();
}

}  // namespace markomi
