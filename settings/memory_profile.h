#pragma once
// An INI file held in memory with the lookup rules of the Windows profile
// functions. The tests and the fuzzer use it in place of a file; it is also
// the reader and writer where those functions do not exist.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "settings/profile_store.h"

namespace markomi {

class MemoryProfile : public ProfileStore {
  public:
    // Lines end in CR LF, LF or CR. "[name]" opens a section, "key=value"
    // inside a section gives a value; every other line is kept in place and
    // ignored. For duplicated sections or keys, the first one is the one read
    // and written (as the platform does).
    static MemoryProfile parse(std::u16string_view text);

    // Section and key names match without regard to ASCII case. The value
    // loses surrounding blanks and one pair of enclosing quotes (" or ').
    std::optional<std::u16string> read(std::u16string_view section,
                                       std::u16string_view key) override;
    // Replaces the first matching key's value in place, or appends the key at
    // the end of the first matching section, or appends a new section.
    // The value is stored as given. Fails only while read-only.
    bool write(std::u16string_view section, std::u16string_view key,
               std::u16string_view value) override;

    // "[SECTION]\r\nKEY=value\r\n"..., lines that were kept verbatim included.
    std::u16string to_text() const;

    // Makes every write fail and leave the contents alone, like a file that
    // cannot be written.
    void set_read_only(bool read_only) { read_only_ = read_only; }

    // Number of successful writes so far, for tests of what a save touches.
    std::size_t write_count() const { return write_count_; }

  private:
    struct Line {
        bool is_key = false;
        std::u16string key;    // trimmed key name (is_key) ...
        std::u16string value;  // ... its raw value; or the whole raw line
    };
    struct Section {
        std::u16string name;
        std::vector<Line> lines;
        std::unordered_map<std::u16string, std::size_t> first_key;  // folded name -> line
    };

    Section* find_section(std::u16string_view name);
    void add_key_line(Section& section, std::u16string key, std::u16string value);

    std::vector<Line> preamble_;  // lines before the first section
    std::vector<Section> sections_;
    std::unordered_map<std::u16string, std::size_t> first_section_;  // folded name -> index
    bool read_only_ = false;
    std::size_t write_count_ = 0;
};

}  // namespace markomi
