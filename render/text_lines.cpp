#include "render/text_lines.h"

#include <cstddef>

namespace markomi {

namespace {

bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::vector<std::u16string_view> line_views(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i + 1 < text.size()) {
        if (text[i] == u'/' && text[i + 1] == u'/') {
            lines.push_back(text.substr(start, i - start));
            i += kLineBreak.size();
            start = i;
        } else {
            ++i;
        }
    }
    lines.push_back(text.substr(start));
    return lines;
}

int count_lines(std::u16string_view text) {
    int breaks = 0;
    std::size_t i = 0;
    while (i + 1 < text.size()) {
        if (text[i] == u'/' && text[i + 1] == u'/') {
            ++breaks;
            i += kLineBreak.size();
        } else {
            ++i;
        }
    }
    return breaks + 1;
}

std::vector<LineRecord> split_lines(std::u16string_view text) {
    std::vector<std::u16string_view> views = line_views(text);
    std::vector<LineRecord> records(views.size());
    for (std::size_t i = 0; i < views.size(); ++i) records[i].text.assign(views[i]);
    return records;
}

std::u16string reverse_lines(std::u16string_view text) {
    std::vector<std::u16string_view> views = line_views(text);
    std::u16string joined;
    joined.reserve(text.size());
    for (std::size_t i = views.size(); i-- > 0;) {
        joined.append(views[i]);
        if (i > 0) joined.append(kLineBreak);
    }
    return joined;
}

bool is_single_character_text(std::u16string_view text) {
    if (text.size() == 1) return true;  // a lone "/" is no break either
    return text.size() == 2 && is_high_surrogate(text[0]) && is_low_surrogate(text[1]);
}

}  // namespace markomi
