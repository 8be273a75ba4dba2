// A settings file edited by hand or replaced by something else: read as the
// program reads it, saved into as the program saves a Unicode file (the
// user's other lines kept), and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/memory_profile.h"
#include "settings/pdf_stamp_options.h"
#include "settings/profile_encoding.h"
#include "settings/settings_rules.h"

namespace {

// UTF-16LE after FF FE, otherwise UTF-8: the text the file's bytes give
// (Shift-JIS is the platform's to decode).
std::u16string text_of(std::string_view bytes) {
    if (markomi::detect_profile_encoding(bytes) != markomi::ProfileEncoding::kUtf16Le)
        return markomi::decode_utf8_profile(bytes);
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                      static_cast<std::uint8_t>(bytes[i + 1]) << 8);
    return text;
}

markomi::SettingsSet load(markomi::MemoryProfile& profile) {
    markomi::SettingsSet set;
    markomi::load_settings_from(profile, set);
    markomi::load_pdf_options_from(profile, set.pdf);
    markomi::load_field_enable_from(profile, set.enable);
    return set;
}

// Every saved key of the record, as a fresh file holds them.
std::u16string saved_text(markomi::SettingsSet set) {
    markomi::MemoryProfile fresh;
    markomi::save_settings_to(fresh, set);
    markomi::save_pdf_options_to(fresh, set.pdf);
    return fresh.to_text();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = text_of(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!markomi::is_profile_text(text)) return 0;  // refused before it is parsed
    markomi::MemoryProfile profile = markomi::MemoryProfile::parse(text);
    markomi::SettingsSet set = load(profile);
    // The save writes into the user's own lines; what it wrote is what the
    // next start reads, whatever else the file holds.
    markomi::save_settings_to(profile, set);
    markomi::save_pdf_options_to(profile, set.pdf);
    markomi::MemoryProfile again = markomi::MemoryProfile::parse(profile.to_text());
    if (saved_text(load(again)) != saved_text(set)) std::abort();
    return 0;
}
