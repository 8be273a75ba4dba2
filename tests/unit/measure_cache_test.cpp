#include <gtest/gtest.h>

#include <string>

#include "base/u16_format.h"
#include "render/measure_cache.h"

namespace markomi {
namespace {

std::u16string key_number(int n) { return u"key " + decimal_text(n); }
MeasuredSize size_number(int n) { return {n, n + 1, n + 2, n + 3, n + 4, n + 5}; }

// Stores keys first..last with their numbered sizes.
void store_range(MeasureCache& cache, int first, int last) {
    for (int n = first; n <= last; ++n) cache.store(key_number(n), size_number(n));
}

TEST(MeasureCacheLookup, CountsAccessesRegistrationsAndHits) {
    MeasureCache cache;
    MeasuredSize got;
    EXPECT_FALSE(cache.lookup(u"技術部 ＭＳ Ｐゴシック -13 400 0 0 0 ", &got));
    EXPECT_FALSE(cache.lookup(u"", &got));  // unfilled entries match nothing, not even ""
    cache.store(u"a", size_number(7));
    ASSERT_TRUE(cache.lookup(u"a", &got));
    EXPECT_EQ(got, size_number(7));
    EXPECT_FALSE(cache.lookup(u"A", &got));  // case-sensitive
    EXPECT_FALSE(cache.lookup(u"a ", &got));  // whole-string comparison
    EXPECT_EQ(cache.accesses(), 5);
    EXPECT_EQ(cache.registrations(), 1);
    EXPECT_EQ(cache.hits(), 1);
    EXPECT_EQ(cache.insertion_index(), 1);
}

TEST(MeasureCacheLookup, FindsTheOldestAndNewestEntriesBeforeTheRingWraps) {
    MeasureCache cache;
    store_range(cache, 0, 2);  // entries 0..2, insertion index 3
    MeasuredSize got;
    ASSERT_TRUE(cache.lookup(key_number(0), &got));  // entry 0, the last one searched
    EXPECT_EQ(got, size_number(0));
    ASSERT_TRUE(cache.lookup(key_number(2), &got));  // entry start − 1, the first one
    EXPECT_EQ(got, size_number(2));
    EXPECT_FALSE(cache.lookup(key_number(3), &got));
}

TEST(MeasureCacheLookup, ReturnsTheNewestOfTwoEntriesWithTheSameKey) {
    MeasureCache cache;
    cache.store(u"dup", size_number(1));
    cache.store(u"other", size_number(2));
    cache.store(u"dup", size_number(3));
    MeasuredSize got;
    ASSERT_TRUE(cache.lookup(u"dup", &got));
    EXPECT_EQ(got, size_number(3));

    // After a wrap: both copies in the older part (498, 499), start at 5.
    MeasureCache wrapped;
    store_range(wrapped, 0, 497);
    wrapped.store(u"dup", size_number(10));
    wrapped.store(u"dup", size_number(11));
    store_range(wrapped, 1000, 1004);
    ASSERT_EQ(wrapped.insertion_index(), 5);
    ASSERT_TRUE(wrapped.lookup(u"dup", &got));
    EXPECT_EQ(got, size_number(11));
    // A newer copy below the insertion index wins over the older part.
    wrapped.store(u"dup", size_number(12));
    ASSERT_TRUE(wrapped.lookup(u"dup", &got));
    EXPECT_EQ(got, size_number(12));
}

TEST(MeasureCacheRing, The501stMeasurementReplacesTheOldest) {
    MeasureCache cache;
    store_range(cache, 0, 499);
    EXPECT_EQ(cache.insertion_index(), 0);
    MeasuredSize got;
    for (int n : {0, 1, 250, 499}) EXPECT_TRUE(cache.lookup(key_number(n), &got)) << n;

    cache.store(key_number(500), size_number(500));  // overwrites entry 0
    EXPECT_EQ(cache.insertion_index(), 1);
    EXPECT_FALSE(cache.lookup(key_number(0), &got));
    ASSERT_TRUE(cache.lookup(key_number(1), &got));  // entry 1 = start: still searched
    EXPECT_EQ(got, size_number(1));
    ASSERT_TRUE(cache.lookup(key_number(500), &got));
    EXPECT_EQ(got, size_number(500));
    ASSERT_TRUE(cache.lookup(key_number(499), &got));
    EXPECT_EQ(cache.registrations(), 501);
}

TEST(MeasureCacheRing, ResetEmptiesAndReleaseKeepsTheCounters) {
    MeasureCache cache;
    store_range(cache, 0, 9);
    EXPECT_TRUE(cache.lookup(key_number(3), nullptr));

    cache.release_keys();
    EXPECT_FALSE(cache.lookup(key_number(3), nullptr));
    EXPECT_EQ(cache.accesses(), 2);
    EXPECT_EQ(cache.registrations(), 10);
    EXPECT_EQ(cache.hits(), 1);

    cache.reset();
    EXPECT_EQ(cache.accesses() + cache.registrations() + cache.hits(), 0);
    EXPECT_EQ(cache.insertion_index(), 0);
}

TEST(MeasureCacheStatistics, WritesFourLinesWithAnIntegerHitRate) {
    MeasureCache cache;
    cache.store(u"a", size_number(1));
    cache.lookup(u"a", nullptr);
    cache.lookup(u"a", nullptr);
    cache.lookup(u"b", nullptr);
    const auto lines = measure_cache_statistics_messages(cache);
    EXPECT_EQ(lines[0], u"dc_info_plus アクセス数 = 3");
    EXPECT_EQ(lines[1], u"dc_info_plus 登録数 = 1");
    EXPECT_EQ(lines[2], u"dc_info_plus ヒット数 = 2");
    EXPECT_EQ(lines[3], u"dc_info_plus ヒット率 = 66.000000");

    EXPECT_EQ(measure_cache_statistics_messages(MeasureCache{})[3], u"dc_info_plus ヒット率 = 0.000000");
    EXPECT_EQ(measure_cache_hit_rate(-4, 2), 0.0f);
    EXPECT_EQ(measure_cache_hit_rate(3, 1), 33.0f);
    // hits × 100 would overflow 32 bits here.
    EXPECT_EQ(measure_cache_hit_rate(2000000000, 1999999999), 99.0f);
}

}  // namespace
}  // namespace markomi
