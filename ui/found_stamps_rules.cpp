#include "ui/found_stamps_rules.h"

#include <algorithm>
#include <cmath>

#include "ui/pdf_stamp_rules.h"

namespace markomi {
namespace {

// Characters of a stamp's text shown in its line; a longer one is cut.
constexpr std::size_t kMostTextShown = 40;
// Characters of a string value read at all.
constexpr std::size_t kMostStringRead = 1000;

bool is_digit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The objects of the JSON array `text` starts with, each as its own text;
// nullopt when the array is not closed. Strings are skipped whole, so that
// a brace inside one counts for nothing.
std::optional<std::vector<std::u16string_view>> objects_of_array(std::u16string_view text) {
    if (text.empty() || text[0] != u'[') return std::nullopt;
    std::vector<std::u16string_view> objects;
    int depth = 0;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (quoted) {
            if (c == u'\\')
                ++i;
            else if (c == u'"')
                quoted = false;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u'{' || c == u'[') {
            if (depth++ == 0) start = i;
        } else if (c == u'}' || c == u']') {
            if (depth == 0) return c == u']' ? std::optional(objects) : std::nullopt;
            if (--depth == 0 && c == u'}' && objects.size() < kMostFoundStamps)
                objects.push_back(text.substr(start, i - start + 1));
        }
    }
    return std::nullopt;
}

int hex_digit(char16_t c) {
    if (is_digit(c)) return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// The string value of `key` with its escapes undone; empty when it is none.
std::u16string string_of(std::u16string_view object, std::u16string_view key) {
    std::u16string_view v = reply_value_of(object, key);
    std::u16string out;
    if (v.empty() || v[0] != u'"') return out;
    for (std::size_t i = 1; i < v.size() && v[i] != u'"' && out.size() < kMostStringRead; ++i) {
        char16_t c = v[i];
        if (c == u'\\' && i + 1 < v.size()) {
            c = v[++i];
            if (c == u'n')
                c = u'\n';
            else if (c == u'r')
                c = u'\r';
            else if (c == u't')
                c = u'\t';
            else if (c == u'u' && i + 4 < v.size()) {
                int code = 0;
                for (int k = 1; k <= 4; ++k) code = code * 16 + std::max(0, hex_digit(v[i + k]));
                c = static_cast<char16_t>(code);
                i += 4;
            }
        }
        out.push_back(c);
    }
    return out;
}

// A JSON number at the start of `text`, its digits bounded; nullopt for none.
std::optional<double> number_at(std::u16string_view text) {
    std::size_t i = 0;
    const bool negative = i < text.size() && text[i] == u'-';
    if (negative) ++i;
    double value = 0, scale = 1;
    bool digits = false, point = false;
    for (std::size_t n = 0; i < text.size() && n < 20; ++i, ++n) {
        const char16_t c = text[i];
        if (c == u'.' && !point) {
            point = true;
        } else if (is_digit(c)) {
            digits = true;
            if (point) scale /= 10;
            value = point ? value + (c - u'0') * scale : value * 10 + (c - u'0');
        } else {
            break;
        }
    }
    if (!digits) return std::nullopt;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        const bool down = i < text.size() && text[i] == u'-';
        if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) ++i;
        int exponent = 0;
        for (std::size_t n = 0; i < text.size() && is_digit(text[i]) && n < 3; ++i, ++n)
            exponent = exponent * 10 + (text[i] - u'0');
        value *= std::pow(10.0, down ? -exponent : exponent);
    }
    return negative ? -value : value;
}

std::optional<PdfMmRect> box_of(std::u16string_view object) {
    std::u16string_view v = reply_value_of(object, u"box_mm");
    if (v.empty() || v[0] != u'[') return std::nullopt;
    double n[4] = {};
    for (int k = 0; k < 4; ++k) {
        v.remove_prefix(1);  // '[' or ','
        const std::optional<double> value = number_at(v);
        if (!value) return std::nullopt;
        n[k] = *value;
        const std::size_t next = v.find_first_of(u",]");
        if (next == std::u16string_view::npos || (v[next] == u']') != (k == 3)) return std::nullopt;
        v.remove_prefix(next);
    }
    if (!(n[2] > 0) || !(n[3] > 0)) return std::nullopt;
    return PdfMmRect{n[0], n[1], n[2], n[3]};
}

int page_of(std::u16string_view object) {
    const std::optional<double> page = number_at(reply_value_of(object, u"page"));
    return page && *page >= 1 && *page <= 1e7 ? static_cast<int>(*page) : 0;
}

FoundStatus status_of(std::u16string_view object) {
    const std::u16string status = string_of(object, u"status");
    if (status == u"valid") return FoundStatus::kValid;
    if (status == u"unknown") return FoundStatus::kUnknown;
    return FoundStatus::kInvalid;
}

// Minutes from a fixed day to the moment an ISO time names (its offset
// taken off), for the order alone; nullopt when it is no such time.
std::optional<long long> moment_of(std::u16string_view t) {
    if (t.size() < 16 || t[4] != u'-' || t[7] != u'-' || t[10] != u'T' || t[13] != u':')
        return std::nullopt;
    auto number = [&](std::size_t at, std::size_t n) -> std::optional<int> {
        int v = 0;
        for (std::size_t i = at; i < at + n; ++i) {
            if (!is_digit(t[i])) return std::nullopt;
            v = v * 10 + (t[i] - u'0');
        }
        return v;
    };
    const auto y = number(0, 4), mo = number(5, 2), d = number(8, 2), h = number(11, 2),
               mi = number(14, 2);
    if (!y || !mo || !d || !h || !mi || *mo < 1 || *mo > 12) return std::nullopt;
    // Days from the civil date (a year of March to February).
    const int yy = *y - (*mo <= 2);
    const int era = yy / 400, yoe = yy - era * 400;
    const int doy = (153 * (*mo + (*mo > 2 ? -3 : 9)) + 2) / 5 + *d - 1;
    const long long days = era * 146097LL + yoe * 365 + yoe / 4 - yoe / 100 + doy;
    long long minutes = days * 1440 + *h * 60 + *mi;
    const std::size_t sign = t.find_first_of(u"+-", 16);
    if (sign != std::u16string_view::npos && sign + 6 <= t.size() && t[sign + 3] == u':') {
        const auto oh = number(sign + 1, 2), om = number(sign + 4, 2);
        if (oh && om) minutes -= (t[sign] == u'-' ? -1 : 1) * (*oh * 60 + *om);
    }
    return minutes;
}

// "2026-12-08T10:31:00+09:00" -> "2026/12/08 10:31"; empty for no such time.
std::u16string shown_time(std::u16string_view t) {
    if (!moment_of(t)) return u"";
    std::u16string out(t.substr(0, 16));
    out[4] = out[7] = u'/';
    out[10] = u' ';
    return out;
}

// A date line as the stamp writes it: an era or apostrophe before the
// year's digits, then month and day parted by '/', '.' or '-'
// ("'26/12/08", "R8.12.08", "令和8.Dec.08", "2026-12-08").
bool is_date_line(std::u16string_view w) {
    const std::size_t first_digit = w.find_first_of(u"0123456789");
    if (first_digit == std::u16string_view::npos) return false;
    w.remove_prefix(first_digit);
    int parts = 0;
    std::size_t i = 0;
    while (i < w.size()) {
        const std::size_t start = i;
        while (i < w.size() && (is_digit(w[i]) || (parts == 1 && ((w[i] >= u'A' && w[i] <= u'Z') ||
                                                                  (w[i] >= u'a' && w[i] <= u'z')))))
            ++i;
        if (i == start) return false;
        ++parts;
        if (i == w.size()) break;
        if (w[i] != u'/' && w[i] != u'.' && w[i] != u'-') return false;
        ++i;
    }
    return parts == 3 && i == w.size();
}

// One line of the list: control characters as spaces, cut to a bound.
std::u16string bounded(std::u16string text) {
    for (char16_t& c : text)
        if (c < 0x20) c = u' ';
    if (text.size() > kMostTextShown) {
        std::size_t cut = kMostTextShown - 1;
        if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;  // not half a pair
        text = text.substr(0, cut) + u"…";
    }
    return text;
}

// The stamp's lines without its date: the one word that is a date goes;
// a text without exactly one is shown as it is.
std::u16string lines_without_date(const std::u16string& text) {
    std::vector<std::u16string_view> words;
    std::u16string_view rest = text;
    while (!rest.empty()) {
        const std::size_t space = rest.find(u' ');
        if (space != 0) words.push_back(rest.substr(0, space));
        if (space == std::u16string_view::npos) break;
        rest.remove_prefix(space + 1);
    }
    const auto dates = std::count_if(words.begin(), words.end(), is_date_line);
    std::u16string out;
    for (std::u16string_view w : words) {
        if (dates == 1 && is_date_line(w)) continue;
        if (!out.empty()) out += u' ';
        out += w;
    }
    return bounded(out);
}

}  // namespace

FoundStamps read_found_stamps(std::u16string_view reply) {
    FoundStamps found;
    if (!reply_value_of(reply, u"refused").empty()) {
        found.answered = found.refused = true;
        return found;
    }
    const auto stamps = objects_of_array(reply_value_of(reply, u"stamps"));
    const auto signatures = objects_of_array(reply_value_of(reply, u"signatures"));
    if (!stamps || !signatures) return found;
    for (std::u16string_view o : *stamps) {
        FoundStamp s;
        s.page = page_of(o);
        s.box_mm = box_of(o);
        s.time = string_of(o, u"time");
        s.text = string_of(o, u"text");
        s.is_signed = reply_value_of(o, u"signed").substr(0, 4) == u"true";
        // A signature field's widget no signature fills holds nothing up.
        if (s.is_signed) s.status = FoundStatus::kInvalid;
        found.stamps.push_back(std::move(s));
    }
    const std::size_t ours = found.stamps.size();
    std::vector<bool> linked(ours, false);
    for (std::u16string_view o : *signatures) {
        const std::optional<double> index = number_at(reply_value_of(o, u"stamp"));
        if (index && *index >= 0 && *index < ours && !linked[static_cast<std::size_t>(*index)]) {
            const std::size_t k = static_cast<std::size_t>(*index);
            linked[k] = true;
            found.stamps[k].is_signed = true;
            found.stamps[k].status = status_of(o);
            continue;
        }
        if (found.stamps.size() >= kMostFoundStamps) continue;
        FoundStamp s;
        s.ours = false;
        s.is_signed = true;
        s.page = page_of(o);
        s.box_mm = box_of(o);
        s.time = string_of(o, u"time");
        s.text = string_of(o, u"signer");
        s.status = status_of(o);
        found.stamps.push_back(std::move(s));
    }
    std::stable_sort(found.stamps.begin(), found.stamps.end(),
                     [](const FoundStamp& a, const FoundStamp& b) {
                         const auto x = moment_of(a.time), y = moment_of(b.time);
                         return x && (!y || *x < *y);
                     });
    found.answered = true;
    return found;
}

std::u16string found_stamp_line(const FoundStamp& stamp) {
    std::u16string line = shown_time(stamp.time);
    if (line.empty()) line = u"日時不明";
    std::u16string text = stamp.ours ? lines_without_date(stamp.text) : bounded(stamp.text);
    if (!stamp.ours && text.empty()) text = u"署名者不明";
    if (!text.empty()) line += u" " + text;
    if (!stamp.is_signed) return line + u" ― 印影のみ（署名なし）";
    const char16_t* word = stamp.status == FoundStatus::kValid     ? u"有効"
                           : stamp.status == FoundStatus::kUnknown ? u"未確認"
                                                                   : u"無効";
    return line + u" ― 署名 " + word;
}

}  // namespace markomi
