#pragma once
// A UTF-16 text with a fixed capacity, as the settings record and the era
// table keep them. Every way in cuts to the capacity, so no value read from a
// file or typed by the user can outgrow its field.
#include <cstddef>
#include <string>
#include <string_view>

namespace markomi {

// Cuts `text` to at most `capacity` UTF-16 units without splitting a
// surrogate pair (a lone high surrogate at the cut is dropped too).
inline std::u16string_view cut_to_capacity(std::u16string_view text, std::size_t capacity) {
    if (text.size() <= capacity) return text;
    std::u16string_view cut = text.substr(0, capacity);
    if (!cut.empty() && cut.back() >= 0xD800 && cut.back() <= 0xDBFF) cut.remove_suffix(1);
    return cut;
}

template <std::size_t Capacity>
class FixedText {
public:
    static constexpr std::size_t kCapacity = Capacity;

    FixedText() { buf_[0] = 0; }
    FixedText(std::u16string_view text) { assign(text); }  // NOLINT: implicit on purpose
    FixedText(const char16_t* text) { assign(text); }       // NOLINT

    FixedText& operator=(std::u16string_view text) { assign(text); return *this; }
    FixedText& operator=(const char16_t* text) { assign(text); return *this; }

    void assign(std::u16string_view text) {
        std::size_t n = text.size() < Capacity ? text.size() : Capacity;
        for (std::size_t i = 0; i < n; ++i) buf_[i] = text[i];
        // Cut inside a surrogate pair: drop its first half too.
        if (n < text.size() && n > 0 && buf_[n - 1] >= 0xD800 && buf_[n - 1] <= 0xDBFF) --n;
        len_ = n;
        buf_[len_] = 0;
    }

    std::u16string_view view() const { return std::u16string_view(buf_, len_); }
    std::u16string str() const { return std::u16string(buf_, len_); }
    const char16_t* c_str() const { return buf_; }
    std::size_t size() const { return len_; }
    bool empty() const { return len_ == 0; }

    friend bool operator==(const FixedText& a, std::u16string_view b) { return a.view() == b; }
    friend bool operator!=(const FixedText& a, std::u16string_view b) { return a.view() != b; }
    friend bool operator==(const FixedText& a, const char16_t* b) { return a.view() == b; }
    friend bool operator!=(const FixedText& a, const char16_t* b) { return a.view() != b; }
    friend bool operator==(const FixedText& a, const FixedText& b) { return a.view() == b.view(); }
    friend bool operator!=(const FixedText& a, const FixedText& b) { return a.view() != b.view(); }

private:
    char16_t buf_[Capacity + 1];
    std::size_t len_ = 0;
};

}  // namespace markomi
