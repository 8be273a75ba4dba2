#pragma once
// The Japanese era table: eras newest first, ending with a sentinel that
// every date reaches. Built once at start from the system's era list (or
// the built-in list) and read-only afterwards.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/fixed_text.h"

namespace markomi {

constexpr std::size_t kEraTextCapacity = 499;

struct EraEntry {
    FixedText<kEraTextCapacity> start_date;   // "2019 05 01"
    FixedText<kEraTextCapacity> description;  // "令和_令_Reiwa_R"
    std::int32_t start_year = 0;              // 2019
    FixedText<2> full_name;                   // "令和"
    FixedText<1> short_name;                  // "令"
    FixedText<1> symbol;                      // "R"
};

using EraTable = std::vector<EraEntry>;

// One value of the system's era key, as read: the value name is the start
// date, string data is the description.
struct RawEraValue {
    std::u16string name;
    std::u16string data;
    bool is_string = false;
};

// Builds the table from the values of the era key: usable string values
// sorted newest first, then the sentinel. Without any usable value it is the
// built-in list.
EraTable build_era_table(const std::vector<RawEraValue>& values);

// The list used when the system's era list cannot be read.
EraTable builtin_era_table();

// The era `year`-`month`-`day` falls in: the first entry whose start date
// is not after the date. A table without a match (only possible for a table
// not made by the builders above) yields its last entry, an empty table the
// sentinel.
const EraEntry& find_era(const EraTable& eras, int year, int month, int day);

// The text of REG_SZ data given as raw little-endian bytes: an odd last byte
// is ignored and the text ends at the first NUL unit.
std::u16string text_from_registry_bytes(const unsigned char* bytes, std::size_t byte_count);

// The process-wide table (filled by load_era_table at start-up).
extern EraTable g_era_table;

}  // namespace markomi
