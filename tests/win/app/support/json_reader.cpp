#include "app/support/json_reader.h"

#include <cstdlib>

namespace markomi::testing {
namespace {

class Reader {
public:
    explicit Reader(const std::string& s) : s_(s) {}

    std::optional<JsonValue> document(std::string* error) {
        JsonValue v;
        space();
        if (value(v)) {
            space();
            if (at_ != s_.size()) fail("text after the value");
        }
        if (!error_.empty()) {
            if (error) *error = "at byte " + std::to_string(at_) + ": " + error_;
            return std::nullopt;
        }
        return v;
    }

private:
    bool fail(const std::string& what) {
        if (error_.empty()) error_ = what;
        return false;
    }
    bool more() const { return at_ < s_.size(); }
    char peek() const { return more() ? s_[at_] : '\0'; }
    void space() {
        while (more() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')) ++at_;
    }
    bool literal(const char* word) {
        for (const char* p = word; *p; ++p, ++at_)
            if (peek() != *p) return fail(std::string("expected ") + word);
        return true;
    }
    static bool digit(char c) { return c >= '0' && c <= '9'; }

    bool value(JsonValue& v) {
        switch (peek()) {
            case '{': return object(v);
            case '[': return array(v);
            case '"': v.kind = JsonValue::kString; return string(v.text);
            case 't': v.kind = JsonValue::kBool; v.boolean = true; return literal("true");
            case 'f': v.kind = JsonValue::kBool; return literal("false");
            case 'n': v.kind = JsonValue::kNull; return literal("null");
            default:
                if (peek() == '-' || digit(peek())) return number(v);
                return fail("no value here");
        }
    }

    bool number(JsonValue& v) {
        const std::size_t start = at_;
        if (peek() == '-') ++at_;
        if (peek() == '0') {
            ++at_;
        } else {
            if (!digit(peek())) return fail("a number needs digits");
            while (digit(peek())) ++at_;
        }
        if (peek() == '.') {
            ++at_;
            if (!digit(peek())) return fail("digits must follow the decimal point");
            while (digit(peek())) ++at_;
        }
        if (peek() == 'e' || peek() == 'E') {
            ++at_;
            if (peek() == '+' || peek() == '-') ++at_;
            if (!digit(peek())) return fail("an exponent needs digits");
            while (digit(peek())) ++at_;
        }
        v.kind = JsonValue::kNumber;
        v.number = std::strtod(s_.substr(start, at_ - start).c_str(), nullptr);
        return true;
    }

    static void append_utf8(std::string& out, unsigned long c) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }

    bool hex4(unsigned long* c) {
        if (at_ + 4 > s_.size()) return fail("short \\u escape");
        *c = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = s_[at_++];
            const int d = digit(h) ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
            if (d < 0) return fail("bad \\u escape");
            *c = *c << 4 | static_cast<unsigned long>(d);
        }
        return true;
    }

    bool escape(std::string& out) {
        const char e = s_[at_++];
        switch (e) {
            case '"': out += '"'; return true;
            case '\\': out += '\\'; return true;
            case '/': out += '/'; return true;
            case 'b': out += '\b'; return true;
            case 'f': out += '\f'; return true;
            case 'n': out += '\n'; return true;
            case 'r': out += '\r'; return true;
            case 't': out += '\t'; return true;
            case 'u': {
                unsigned long c = 0;
                if (!hex4(&c)) return false;
                if (c >= 0xDC00 && c <= 0xDFFF) return fail("lone low surrogate");
                if (c >= 0xD800 && c <= 0xDBFF) {
                    unsigned long low = 0;
                    if (s_.compare(at_, 2, "\\u") != 0) return fail("lone high surrogate");
                    at_ += 2;
                    if (!hex4(&low)) return false;
                    if (low < 0xDC00 || low > 0xDFFF) return fail("lone high surrogate");
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                }
                append_utf8(out, c);
                return true;
            }
            default: return fail("unknown escape");
        }
    }

    // One UTF-8 sequence of two to four bytes, copied as it is.
    bool multibyte(std::string& out) {
        const auto lead = static_cast<unsigned char>(s_[at_]);
        const int follow = lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2
                           : lead >= 0xF0 && lead <= 0xF4 ? 3 : -1;
        if (follow < 0 || at_ + follow >= s_.size()) return fail("not UTF-8");
        for (int i = 1; i <= follow; ++i)
            if ((static_cast<unsigned char>(s_[at_ + i]) & 0xC0) != 0x80) return fail("not UTF-8");
        out.append(s_, at_, static_cast<std::size_t>(follow) + 1);
        at_ += static_cast<std::size_t>(follow) + 1;
        return true;
    }

    bool string(std::string& out) {
        ++at_;  // the opening quote
        while (more()) {
            const auto c = static_cast<unsigned char>(s_[at_]);
            if (c == '"') {
                ++at_;
                return true;
            }
            if (c < 0x20) return fail("a control character inside a string");
            if (c == '\\') {
                ++at_;
                if (!more() || !escape(out)) return fail("unfinished escape");
            } else if (c >= 0x80) {
                if (!multibyte(out)) return false;
            } else {
                out += static_cast<char>(c);
                ++at_;
            }
        }
        return fail("unterminated string");
    }

    bool array(JsonValue& v) {
        v.kind = JsonValue::kArray;
        ++at_;
        space();
        if (peek() == ']') return ++at_, true;
        for (;;) {
            v.items.emplace_back();
            space();
            if (!value(v.items.back())) return false;
            space();
            if (peek() == ']') return ++at_, true;
            if (peek() != ',') return fail("expected , or ]");
            ++at_;
        }
    }

    bool object(JsonValue& v) {
        v.kind = JsonValue::kObject;
        ++at_;
        space();
        if (peek() == '}') return ++at_, true;
        for (;;) {
            space();
            if (peek() != '"') return fail("expected a member name");
            std::string name;
            if (!string(name)) return false;
            if (v.find(name)) return fail("the name \"" + name + "\" twice");
            space();
            if (peek() != ':') return fail("expected :");
            ++at_;
            space();
            v.members.emplace_back(name, JsonValue());
            if (!value(v.members.back().second)) return false;
            space();
            if (peek() == '}') return ++at_, true;
            if (peek() != ',') return fail("expected , or }");
            ++at_;
        }
    }

    const std::string& s_;
    std::size_t at_ = 0;
    std::string error_;
};

}  // namespace

const JsonValue* JsonValue::find(const std::string& name) const {
    for (const auto& m : members)
        if (m.first == name) return &m.second;
    return nullptr;
}

std::optional<JsonValue> parse_json(const std::string& text, std::string* error) {
    return Reader(text).document(error);
}

}  // namespace markomi::testing
