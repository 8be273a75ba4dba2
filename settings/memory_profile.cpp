#include "settings/memory_profile.h"

#include <utility>

namespace markomi {
namespace {

bool is_blank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view trim_blanks(std::u16string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && is_blank(text[begin])) ++begin;
    while (end > begin && is_blank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// Only ASCII letters fold: the platform's own keys are ASCII, and the
// Japanese keys of the enable file have no case.
std::u16string fold_case(std::u16string_view name) {
    std::u16string out(name);
    for (char16_t& c : out) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return out;
}

}  // namespace

MemoryProfile MemoryProfile::parse(std::u16string_view text) {
    MemoryProfile profile;
    Section* current = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
        std::u16string_view raw = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size()) {
            bool crlf = text[pos] == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n';
            pos += crlf ? 2 : 1;
        }

        std::u16string_view line = trim_blanks(raw);
        if (!line.empty() && line.front() == u'[') {
            std::size_t close = line.find(u']');
            if (close != std::u16string_view::npos) {
                std::u16string name(trim_blanks(line.substr(1, close - 1)));
                std::u16string folded = fold_case(name);
                profile.sections_.push_back(Section{std::move(name), {}, {}});
                profile.first_section_.emplace(std::move(folded), profile.sections_.size() - 1);
                current = &profile.sections_.back();
                continue;
            }
        }
        std::size_t equals = line.find(u'=');
        if (current != nullptr && equals != std::u16string_view::npos) {
            profile.add_key_line(*current, std::u16string(trim_blanks(line.substr(0, equals))),
                                 std::u16string(line.substr(equals + 1)));
            continue;
        }
        Line kept{false, {}, std::u16string(raw)};
        if (current != nullptr) {
            current->lines.push_back(std::move(kept));
        } else {
            profile.preamble_.push_back(std::move(kept));
        }
    }
    return profile;
}

void MemoryProfile::add_key_line(Section& section, std::u16string key, std::u16string value) {
    section.first_key.emplace(fold_case(key), section.lines.size());
    section.lines.push_back(Line{true, std::move(key), std::move(value)});
}

MemoryProfile::Section* MemoryProfile::find_section(std::u16string_view name) {
    auto it = first_section_.find(fold_case(name));
    return it == first_section_.end() ? nullptr : &sections_[it->second];
}

std::optional<std::u16string> MemoryProfile::read(std::u16string_view section,
                                                  std::u16string_view key) {
    Section* s = find_section(section);
    if (s == nullptr) return std::nullopt;
    auto it = s->first_key.find(fold_case(key));
    if (it == s->first_key.end()) return std::nullopt;
    std::u16string_view value = trim_blanks(s->lines[it->second].value);
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::u16string(value);
}

bool MemoryProfile::write(std::u16string_view section, std::u16string_view key,
                          std::u16string_view value) {
    if (read_only_) return false;
    Section* s = find_section(section);
    if (s == nullptr) {
        sections_.push_back(Section{std::u16string(section), {}, {}});
        first_section_.emplace(fold_case(section), sections_.size() - 1);
        s = &sections_.back();
    }
    auto it = s->first_key.find(fold_case(key));
    if (it != s->first_key.end()) {
        s->lines[it->second].value.assign(value);
    } else {
        add_key_line(*s, std::u16string(key), std::u16string(value));
    }
    ++write_count_;
    return true;
}

std::u16string MemoryProfile::to_text() const {
    std::u16string out;
    auto put_lines = [&out](const std::vector<Line>& lines) {
        for (const Line& line : lines) {
            if (line.is_key) {
                out += line.key;
                out += u'=';
            }
            out += line.value;
            out += u"\r\n";
        }
    };
    put_lines(preamble_);
    for (const Section& s : sections_) {
        out += u'[';
        out += s.name;
        out += u"]\r\n";
        put_lines(s.lines);
    }
    return out;
}

}  // namespace markomi
