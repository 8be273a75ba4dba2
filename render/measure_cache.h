#pragma once
// The measurement cache: a fixed ring of 500 measured lines keyed by the line
// text and its font, so that layout passes, the font-size search and preview
// redraws measure each (text, font) pair once. Searched linearly from the
// newest entry to the oldest; the 501st distinct measurement overwrites the
// oldest. Single-threaded by design, like all rendering.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "render/line_record.h"

namespace markomi {

constexpr int kMeasureCacheEntries = 500;

// The six measured fields of a line record, in the cache's order.
struct MeasuredSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t top_margin = 0;
    std::int32_t bottom_margin = 0;
    std::int32_t right_margin = 0;
    std::int32_t left_margin = 0;

    friend bool operator==(const MeasuredSize& a, const MeasuredSize& b) {
        return a.width == b.width && a.height == b.height && a.top_margin == b.top_margin &&
               a.bottom_margin == b.bottom_margin && a.right_margin == b.right_margin &&
               a.left_margin == b.left_margin;
    }
    friend bool operator!=(const MeasuredSize& a, const MeasuredSize& b) { return !(a == b); }
};

// Copies between a line record's measured fields and the six values; text,
// x and y of the record are left alone.
MeasuredSize measured_size_of(const LineRecord& line);
void apply_measured_size(const MeasuredSize& size, LineRecord& line);

class MeasureCache {
public:
    MeasureCache() { reset(); }

    // Empties all entries and sets the insertion index and the counters to 0.
    void reset();

    // Counts an access; on a hit counts it and copies the entry's values to
    // `out` (which may be null). Keys compare as whole UTF-16 strings.
    bool lookup(std::u16string_view key, MeasuredSize* out);

    // Fills the entry at the insertion index (dropping whatever it held),
    // counts a registration and advances the index, wrapping at 500.
    void store(std::u16string_view key, const MeasuredSize& size);

    // Drops every key at shutdown but keeps the counters, which the
    // statistics are written from afterwards.
    void release_keys();

    std::int32_t accesses() const { return accesses_; }
    std::int32_t registrations() const { return registrations_; }
    std::int32_t hits() const { return hits_; }
    int insertion_index() const { return insertion_index_; }

private:
    struct Entry {
        bool filled = false;
        std::u16string key;
        MeasuredSize size;
    };

    bool matches(int index, std::u16string_view key) const {
        const Entry& e = entries_[static_cast<std::size_t>(index)];
        return e.filled && e.key == key;
    }

    std::array<Entry, kMeasureCacheEntries> entries_;
    int insertion_index_ = 0;
    std::int32_t accesses_ = 0;
    std::int32_t registrations_ = 0;
    std::int32_t hits_ = 0;
};

// The one cache of the process, used by every measurement.
extern MeasureCache g_measure_cache;

// (hits × 100) / accesses in integer division, as a float; 0 with no access.
float measure_cache_hit_rate(std::int32_t accesses, std::int32_t hits);

// The four "dc_info_plus" debug-log messages written at shutdown, in order:
// access count, registration count, hit count (each "%s = %ld") and hit rate
// ("%s = %f"). The caller writes them only when the debug log is on.
std::array<std::u16string, 4> measure_cache_statistics_messages(const MeasureCache& cache);

}  // namespace markomi
