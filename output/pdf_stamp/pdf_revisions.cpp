#include "output/pdf_stamp/pdf_revisions.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace markomi {
namespace {

// A file with more end markers than this has no revisions we tell apart:
// the list of them is bounded.
constexpr std::size_t kMostMarkers = 1u << 20;
// How far before its end marker a trailer, and after its offset a
// cross-reference stream's dictionary, is looked for.
constexpr std::size_t kDictionaryWindow = 64u << 10;
// The hex string between a byte range's parts: at most 1 MiB of signature.
constexpr std::size_t kLargestSignature = 1u << 20;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0';
}

int hex_value(char c) {
    if (is_digit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The unsigned number at `at` after any white space; false when there is
// none or it does not fit. `after` gets the position past its digits.
bool read_offset(std::string_view text, std::size_t at, std::size_t* value,
                 std::size_t* after = nullptr) {
    while (at < text.size() && is_space(text[at])) ++at;
    std::size_t v = 0, digits = 0;
    for (; at < text.size() && is_digit(text[at]); ++at, ++digits) {
        if (digits == 15) return false;  // beyond any file's size
        v = v * 10 + static_cast<std::size_t>(text[at] - '0');
    }
    *value = v;
    if (after) *after = at;
    return digits > 0;
}

// Each "%%EOF" that ends a line or the file, in order.
std::vector<PdfRevisionEnd> end_markers(std::string_view file) {
    std::vector<PdfRevisionEnd> markers;
    for (std::size_t at = file.find("%%EOF"); at != std::string_view::npos;
         at = file.find("%%EOF", at + 5)) {
        PdfRevisionEnd m;
        m.marker_end = m.end = at + 5;
        if (m.end < file.size() && file[m.end] == '\r') ++m.end;
        if (m.end < file.size() && file[m.end] == '\n') ++m.end;
        if (m.end == m.marker_end && m.end != file.size()) continue;
        if (markers.size() == kMostMarkers) return {};
        markers.push_back(m);
    }
    return markers;
}

// The /Prev of the cross-reference section at `offset`, which ends at the
// marker starting at `marker`: from the trailer of a table, or from the
// dictionary of a cross-reference stream (never from its data).
bool previous_section(std::string_view file, std::size_t offset, std::size_t marker,
                      std::size_t* prev) {
    std::string_view dict;
    std::size_t at = offset;
    while (at < marker && is_space(file[at])) ++at;
    if (file.substr(at, 4) == "xref") {
        const std::size_t from =
            std::max(at, marker > kDictionaryWindow ? marker - kDictionaryWindow : 0);
        const std::size_t trailer = file.substr(from, marker - from).rfind("trailer");
        if (trailer == std::string_view::npos) return false;
        dict = file.substr(from + trailer, marker - from - trailer);
    } else {
        dict = file.substr(at, std::min(marker - at, kDictionaryWindow));
        dict = dict.substr(0, dict.find("stream"));
    }
    for (std::size_t key = dict.find("/Prev"); key != std::string_view::npos;
         key = dict.find("/Prev", key + 5)) {
        const std::size_t after = key + 5;
        if (after < dict.size() && !is_space(dict[after])) continue;  // a longer name
        return read_offset(dict, after, prev);
    }
    return false;
}

// The revisions along the startxref and /Prev chain; empty when it cannot
// be followed.
std::vector<PdfRevisionEnd> chained_revisions(std::string_view file,
                                              const std::vector<PdfRevisionEnd>& markers) {
    if (markers.empty()) return {};
    const std::size_t last = markers.back().marker_end - 5;
    const std::size_t from = last > 1024 ? last - 1024 : 0;
    const std::size_t keyword = file.substr(from, last - from).rfind("startxref");
    std::size_t offset = 0, after = 0;
    if (keyword == std::string_view::npos ||
        !read_offset(file, from + keyword + 9, &offset, &after))
        return {};
    // Only the number and white space between it and the last marker: an
    // earlier revision's startxref would hide the newest ones.
    while (after < last && is_space(file[after])) ++after;
    if (after != last) return {};
    // Newest first: each section's offset and its end marker's index.
    std::vector<std::pair<std::size_t, std::size_t>> sections;
    std::set<std::size_t> seen;
    for (;;) {
        if (offset >= file.size() || !seen.insert(offset).second ||
            sections.size() == kMostRevisions)
            return {};
        const auto marker = std::lower_bound(
            markers.begin(), markers.end(), offset,
            [](const PdfRevisionEnd& m, std::size_t o) { return m.marker_end - 5 < o; });
        if (marker == markers.end()) return {};
        const std::size_t index = static_cast<std::size_t>(marker - markers.begin());
        sections.emplace_back(offset, index);
        std::size_t prev = 0;
        if (!previous_section(file, offset, marker->marker_end - 5, &prev)) break;
        offset = prev;
    }
    // A section reached from a later one but lying after it is a linearized
    // file's main section, reached from its first-page section: one revision.
    std::vector<std::size_t> ends;  // marker indices
    std::size_t newer_offset = file.size();
    for (const auto& [section_offset, index] : sections) {
        if (section_offset > newer_offset && !ends.empty()) {
            ends.back() = std::max(ends.back(), index);
            continue;
        }
        ends.push_back(index);
        newer_offset = section_offset;
    }
    std::sort(ends.begin(), ends.end());
    ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
    std::vector<PdfRevisionEnd> revisions;
    for (std::size_t index : ends) revisions.push_back(markers[index]);
    return revisions;
}

}  // namespace

std::vector<PdfRevisionEnd> pdf_revision_ends(std::string_view file) {
    std::vector<PdfRevisionEnd> markers = end_markers(file);
    std::vector<PdfRevisionEnd> chained = chained_revisions(file, markers);
    if (!chained.empty()) return chained;
    if (markers.size() > kMostRevisions) markers.resize(kMostRevisions);
    return markers;
}

PdfByteRange check_byte_range(std::string_view file, const std::vector<std::int64_t>& range) {
    PdfByteRange r;
    if (range.size() != 4) {
        r.why = "the byte range is not four numbers";
        return r;
    }
    for (std::int64_t v : range)
        if (v < 0 || static_cast<std::uint64_t>(v) > file.size()) {
            r.why = "the byte range reaches beyond the file";
            return r;
        }
    if (range[0] != 0) {
        r.why = "the byte range does not start at the file's start";
        return r;
    }
    r.first_end = static_cast<std::size_t>(range[1]);
    r.second_start = static_cast<std::size_t>(range[2]);
    r.end = r.second_start + static_cast<std::size_t>(range[3]);
    if (r.end > file.size()) {
        r.why = "the byte range reaches beyond the file";
        return r;
    }
    if (r.second_start <= r.first_end) {
        r.why = "the byte range's parts overlap or leave no room for the signature";
        return r;
    }
    const std::string_view gap = file.substr(r.first_end, r.second_start - r.first_end);
    if (gap.size() < 2 || gap.front() != '<' || gap.back() != '>') {
        r.why = "the byte range leaves out more than the signature";
        return r;
    }
    if (gap.size() > 2 * kLargestSignature + 2) {
        r.why = "the signature is larger than 1 MiB";
        return r;
    }
    int high = -1;
    for (char c : gap.substr(1, gap.size() - 2)) {
        if (is_space(c)) continue;
        const int v = hex_value(c);
        if (v < 0) {
            r.why = "the byte range leaves out more than the signature";
            r.contents.clear();
            return r;
        }
        if (high < 0) {
            high = v;
        } else {
            r.contents.push_back(static_cast<char>(high * 16 + v));
            high = -1;
        }
    }
    if (high >= 0)
        r.contents.push_back(static_cast<char>(high * 16));  // an odd last digit is followed by 0
    r.valid = true;
    return r;
}

int revision_covered(const std::vector<PdfRevisionEnd>& revisions, std::size_t end) {
    for (std::size_t i = 0; i < revisions.size(); ++i)
        if (end == revisions[i].end || end == revisions[i].marker_end)
            return static_cast<int>(i + 1);
    return 0;
}

PdfLaterChanges classify_later_changes(const std::vector<PdfObjectChange>& changes) {
    static const std::vector<std::string> kPageKeys = {"/Annots"};
    static const std::vector<std::string> kFormKeys = {"/Fields", "/SigFlags", "/DR", "/DA",
                                                       "/NeedAppearances"};
    static const std::vector<std::string> kCatalogKeys = {"/AcroForm", "/DSS"};
    static const std::vector<std::string> kInfoKeys = {"/ModDate", "/Producer"};
    for (const PdfObjectChange& change : changes) {
        if (change.added) continue;
        if (change.removed) return PdfLaterChanges::kOther;
        const std::vector<std::string>* allowed = nullptr;
        switch (change.role) {
            case PdfObjectRole::kAnnotation:
            case PdfObjectRole::kAnnotationArray:
                continue;
            case PdfObjectRole::kPage:
                allowed = &kPageKeys;
                break;
            case PdfObjectRole::kAcroForm:
                allowed = &kFormKeys;
                break;
            case PdfObjectRole::kCatalog:
                allowed = &kCatalogKeys;
                break;
            case PdfObjectRole::kInfo:
                allowed = &kInfoKeys;
                break;
            case PdfObjectRole::kOther:
                return PdfLaterChanges::kOther;
        }
        if (!change.dictionary) return PdfLaterChanges::kOther;
        for (const std::string& key : change.changed_keys)
            if (std::find(allowed->begin(), allowed->end(), key) == allowed->end())
                return PdfLaterChanges::kOther;
    }
    return changes.empty() ? PdfLaterChanges::kNone : PdfLaterChanges::kSignaturesAndAnnotations;
}

const char16_t* pdf_later_changes_name(PdfLaterChanges changes) {
    switch (changes) {
        case PdfLaterChanges::kNone:
            return u"none";
        case PdfLaterChanges::kSignaturesAndAnnotations:
            return u"signatures-and-annotations";
        case PdfLaterChanges::kOther:
            break;
    }
    return u"other";
}

std::string iso_time_of_pdf_date(std::string_view date) {
    if (date.substr(0, 2) == "D:") date.remove_prefix(2);
    std::size_t at = 0;
    // Two digits (four for the year) within [low, high]; `fallback` when the
    // date ends before them.
    auto field = [&](int digits, int low, int high, int fallback, int* value) {
        if (at == date.size() || !is_digit(date[at])) {
            *value = fallback;
            return true;
        }
        int v = 0;
        for (int i = 0; i < digits; ++i, ++at) {
            if (at == date.size() || !is_digit(date[at])) return false;
            v = v * 10 + (date[at] - '0');
        }
        *value = v;
        return v >= low && v <= high;
    };
    int year = -1, month, day, hour, minute, second;
    if (date.empty() || !is_digit(date[0]) || !field(4, 0, 9999, 0, &year) ||
        !field(2, 1, 12, 1, &month) || !field(2, 1, 31, 1, &day) || !field(2, 0, 23, 0, &hour) ||
        !field(2, 0, 59, 0, &minute) || !field(2, 0, 59, 0, &second))
        return std::string();
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour,
                  minute, second);
    std::string iso = text;
    if (at == date.size()) return iso;
    const char sign = date[at++];
    if (sign == 'Z') return iso + "Z";
    if (sign != '+' && sign != '-') return std::string();
    int offset_hours = 0, offset_minutes = 0;
    if (!field(2, 0, 23, 0, &offset_hours)) return std::string();
    if (at < date.size() && date[at] == '\'') ++at;
    if (!field(2, 0, 59, 0, &offset_minutes)) return std::string();
    std::snprintf(text, sizeof text, "%c%02d:%02d", sign, offset_hours, offset_minutes);
    return iso + text;
}

}  // namespace markomi
