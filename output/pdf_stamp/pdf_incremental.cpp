#include "output/pdf_stamp/pdf_incremental.h"

#include <algorithm>
#include <cstdio>

namespace markomi {
namespace {

// Readers look for the end of the file in its last kibibyte or two.
constexpr std::size_t kTailWindow = 2048;

bool is_pdf_space(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::size_t skip_space(std::string_view s, std::size_t at) {
    while (at < s.size() && is_pdf_space(s[at])) ++at;
    return at;
}

// Digits at `*at`, at most 18 of them (no overflow); none: nullopt.
std::optional<long long> digits_at(std::string_view s, std::size_t* at) {
    long long value = 0;
    std::size_t n = 0;
    while (*at < s.size() && is_digit(s[*at])) {
        if (++n > 18) return std::nullopt;
        value = value * 10 + (s[*at] - '0');
        ++*at;
    }
    if (n == 0) return std::nullopt;
    return value;
}

// "N G obj" at `at`: the head of an object, as a cross-reference stream begins.
bool object_head_at(std::string_view s, std::size_t at) {
    if (!digits_at(s, &at)) return false;
    const std::size_t after_number = at;
    at = skip_space(s, at);
    if (at == after_number || !digits_at(s, &at)) return false;
    const std::size_t after_generation = at;
    at = skip_space(s, at);
    return at > after_generation && s.substr(at, 3) == "obj";
}

struct Entry {
    int number;
    int generation;
    std::size_t offset;
};

// Runs of consecutive numbers among entries sorted by number: their first
// number and length.
std::vector<std::pair<int, int>> runs_of(const std::vector<Entry>& entries) {
    std::vector<std::pair<int, int>> runs;
    for (const Entry& e : entries) {
        if (!runs.empty() && runs.back().first + runs.back().second == e.number)
            ++runs.back().second;
        else
            runs.emplace_back(e.number, 1);
    }
    return runs;
}

std::string trailer_keys(const PdfTrailerFacts& t, int size) {
    std::string keys = " /Size " + std::to_string(size) + " /Root " + t.root;
    if (!t.info.empty()) keys += " /Info " + t.info;
    const std::string second = pdf_hex_string(t.id_second);
    keys += " /ID [" + (t.id_first.empty() ? second : pdf_hex_string(t.id_first)) + " " + second + "]";
    return keys + " /Prev " + std::to_string(t.prev);
}

std::string padded(long long value, int width) {
    std::string s = std::to_string(value);
    return std::string(static_cast<std::size_t>(std::max(0, width - static_cast<int>(s.size()))), '0') + s;
}

}  // namespace

std::optional<PdfTail> read_pdf_tail(std::string_view file) {
    const std::size_t window_start = file.size() > kTailWindow ? file.size() - kTailWindow : 0;
    const std::size_t keyword = file.substr(window_start).rfind("startxref");
    if (keyword == std::string_view::npos) return std::nullopt;
    std::size_t at = skip_space(file, window_start + keyword + 9);
    const std::optional<long long> offset = digits_at(file, &at);
    if (!offset || *offset >= static_cast<long long>(file.size())) return std::nullopt;
    PdfTail tail;
    tail.startxref = *offset;
    const std::size_t section = skip_space(file, static_cast<std::size_t>(*offset));
    if (file.substr(section, 4) == "xref")
        tail.kind = PdfXrefKind::kTable;
    else if (object_head_at(file, section))
        tail.kind = PdfXrefKind::kStream;
    else
        return std::nullopt;
    return tail;
}

std::string pdf_hex_string(std::string_view bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string s = "<";
    for (unsigned char c : bytes) {
        s += kHex[c >> 4];
        s += kHex[c & 15];
    }
    return s + ">";
}

PdfUpdate write_pdf_update(std::size_t input_size, bool ends_with_eol,
                           const std::vector<PdfUpdateObject>& objects,
                           const PdfTrailerFacts& trailer) {
    PdfUpdate update;
    std::string& out = update.bytes;
    if (!ends_with_eol) out += '\n';
    std::vector<Entry> entries;
    int highest = 0;
    for (const PdfUpdateObject& o : objects) {
        entries.push_back({o.number, o.generation, input_size + out.size()});
        highest = std::max(highest, o.number);
        out += std::to_string(o.number) + " " + std::to_string(o.generation) + " obj\n";
        update.bodies.push_back(input_size + out.size());
        if (o.stream) {
            // "<< ..." gains its /Length first: the caller need not count.
            out += "<< /Length " + std::to_string(o.stream->size()) + o.body.substr(2) +
                   "\nstream\n" + *o.stream + "\nendstream";
        } else {
            out += o.body;
        }
        out += "\nendobj\n";
    }
    int size = std::max(trailer.size, highest + 1);
    const std::size_t section = input_size + out.size();
    if (trailer.kind == PdfXrefKind::kTable) {
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return a.number < b.number; });
        out += "xref\n";
        std::size_t next = 0;
        for (const auto& [first, count] : runs_of(entries)) {
            out += std::to_string(first) + " " + std::to_string(count) + "\n";
            // Each entry is 20 bytes: the end of line is two characters.
            for (int i = 0; i < count; ++i, ++next)
                out += padded(static_cast<long long>(entries[next].offset), 10) + " " +
                       padded(entries[next].generation, 5) + " n\r\n";
        }
        out += "trailer\n<<" + trailer_keys(trailer, size) + " >>\n";
    } else {
        // The section is an object itself, listed in itself.
        const int own = size++;
        entries.push_back({own, 0, section});
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return a.number < b.number; });
        int width = 1;
        while (width < 8 && (section >> (8 * width)) != 0) ++width;
        std::string data;
        for (const Entry& e : entries) {
            data += '\x01';
            for (int b = width - 1; b >= 0; --b)
                data += static_cast<char>((e.offset >> (8 * b)) & 0xFF);
            data += static_cast<char>((e.generation >> 8) & 0xFF);
            data += static_cast<char>(e.generation & 0xFF);
        }
        std::string index;
        for (const auto& [first, count] : runs_of(entries))
            index += (index.empty() ? "" : " ") + std::to_string(first) + " " + std::to_string(count);
        out += std::to_string(own) + " 0 obj\n<< /Type /XRef /W [1 " + std::to_string(width) +
               " 2] /Index [" + index + "]" + trailer_keys(trailer, size) + " /Length " +
               std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream\nendobj\n";
    }
    out += "startxref\n" + std::to_string(section) + "\n%%EOF\n";
    update.size = size;
    return update;
}

}  // namespace markomi
