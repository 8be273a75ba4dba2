#include "render/measure_cache.h"

#include "diag/debug_log.h"

namespace markomi {

MeasureCache g_measure_cache;

MeasuredSize measured_size_of(const LineRecord& line) {
    MeasuredSize s;
    s.width = line.width;
    s.height = line.height;
    s.top_margin = line.top_margin;
    s.bottom_margin = line.bottom_margin;
    s.right_margin = line.right_margin;
    s.left_margin = line.left_margin;
    return s;
}

void apply_measured_size(const MeasuredSize& size, LineRecord& line) {
    line.width = size.width;
    line.height = size.height;
    line.top_margin = size.top_margin;
    line.bottom_margin = size.bottom_margin;
    line.right_margin = size.right_margin;
    line.left_margin = size.left_margin;
}

void MeasureCache::reset() {
    release_keys();
    insertion_index_ = 0;
    accesses_ = 0;
    registrations_ = 0;
    hits_ = 0;
}

void MeasureCache::release_keys() {
    for (Entry& e : entries_) {
        e.filled = false;
        std::u16string().swap(e.key);  // give the memory back, not just the length
        e.size = MeasuredSize{};
    }
}

bool MeasureCache::lookup(std::u16string_view key, MeasuredSize* out) {
    const int start = insertion_index_;
    ++accesses_;
    int found = -1;
    // Entries fill from 0 upwards, so start − 1 down to 0 are the newest ...
    for (int i = start - 1; i >= 0 && found < 0; --i) {
        if (matches(i, key)) found = i;
    }
    // ... and 499 down to start the older ones, present only once the ring
    // has wrapped; an unfilled entry there means nothing older exists.
    for (int i = kMeasureCacheEntries - 1; i >= start && found < 0; --i) {
        if (!entries_[static_cast<std::size_t>(i)].filled) break;
        if (matches(i, key)) found = i;
    }
    if (found < 0) return false;
    ++hits_;
    if (out != nullptr) *out = entries_[static_cast<std::size_t>(found)].size;
    return true;
}

void MeasureCache::store(std::u16string_view key, const MeasuredSize& size) {
    Entry& e = entries_[static_cast<std::size_t>(insertion_index_)];
    e.key.assign(key.data(), key.size());
    e.size = size;
    e.filled = true;
    ++registrations_;
    if (++insertion_index_ >= kMeasureCacheEntries) insertion_index_ = 0;
}

float measure_cache_hit_rate(std::int32_t accesses, std::int32_t hits) {
    if (accesses <= 0) return 0.0f;
    // 64-bit so that hits × 100 cannot overflow on a very long run.
    return static_cast<float>((static_cast<std::int64_t>(hits) * 100) / accesses);
}

std::array<std::u16string, 4> measure_cache_statistics_messages(const MeasureCache& cache) {
    return {
        long_message(u"dc_info_plus アクセス数", cache.accesses()),
        long_message(u"dc_info_plus 登録数", cache.registrations()),
        long_message(u"dc_info_plus ヒット数", cache.hits()),
        float_message(u"dc_info_plus ヒット率",
                      measure_cache_hit_rate(cache.accesses(), cache.hits())),
    };
}

}  // namespace markomi
