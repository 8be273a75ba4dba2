#include "output/pdf_content_balance.h"

#include <cstddef>

namespace markomi {
namespace {

bool is_space(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool is_delimiter(char c) {
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' ||
           c == '}' || c == '/' || c == '%';
}

// Past a literal string that opens at `i`: nested brackets, and a backslash
// escapes the next byte.
std::size_t skip_string(std::string_view s, std::size_t i) {
    int depth = 0;
    for (; i < s.size(); ++i) {
        if (s[i] == '\\') {
            ++i;
        } else if (s[i] == '(') {
            ++depth;
        } else if (s[i] == ')' && --depth == 0) {
            return i + 1;
        }
    }
    return s.size();
}

// Past an inline image's data, which starts one byte after "ID": it ends at
// an "EI" with white space before it and white space, a delimiter or the
// end after it.
std::size_t skip_inline_image(std::string_view s, std::size_t i) {
    for (i += 1; i + 2 <= s.size(); ++i) {
        if (s[i] == 'E' && s[i + 1] == 'I' && is_space(s[i - 1]) &&
            (i + 2 == s.size() || is_space(s[i + 2]) || is_delimiter(s[i + 2])))
            return i + 2;
    }
    return s.size();
}

}  // namespace

PdfContentBalance pdf_content_balance(std::string_view s) {
    PdfContentBalance balance;
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (is_space(c)) {
            ++i;
        } else if (c == '%') {
            while (i < s.size() && s[i] != '\n' && s[i] != '\r') ++i;
        } else if (c == '(') {
            i = skip_string(s, i);
        } else if (c == '<' && i + 1 < s.size() && s[i + 1] != '<') {
            while (i < s.size() && s[i] != '>') ++i;  // a hex string
            ++i;
        } else if (is_delimiter(c)) {
            ++i;  // "<<", ">>", brackets and the slash of a name
            if (c == '/')
                while (i < s.size() && !is_space(s[i]) && !is_delimiter(s[i])) ++i;
        } else {
            const std::size_t start = i;
            while (i < s.size() && !is_space(s[i]) && !is_delimiter(s[i])) ++i;
            const std::string_view word = s.substr(start, i - start);
            if (word == "q") {
                ++balance.open_saves;
            } else if (word == "Q") {
                if (balance.open_saves > 0)
                    --balance.open_saves;
                else
                    ++balance.unmatched_restores;
            } else if (word == "ID") {
                i = skip_inline_image(s, i);
            }
        }
    }
    return balance;
}

}  // namespace markomi
