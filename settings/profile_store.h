#pragma once
// Access to one INI ("profile") file, as the settings rules see it. On
// Windows it is the platform's profile functions; the tests use the
// in-memory store of memory_profile.h.
#include <optional>
#include <string>
#include <string_view>

namespace markomi {

class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The value of `key` in `section` (keys match without regard to case), with
    // surrounding blanks and one pair of enclosing quotes dropped; nullopt when
    // the key is missing.
    virtual std::optional<std::u16string> read(std::u16string_view section,
                                               std::u16string_view key) = 0;
    // Replaces the value in place or appends the key at the end of its section
    // (the section at the end of the file). False when the write failed.
    virtual bool write(std::u16string_view section, std::u16string_view key,
                       std::u16string_view value) = 0;
};

}  // namespace markomi
