#pragma once
// Clock and statistics of the bench. The machine it runs on may be shared
// with builds and other tests, so figures are medians of many runs, which a
// few runs slowed by other work do not move, rather than means.
#include <windows.h>

#include <algorithm>
#include <vector>

namespace markomi::bench {

inline double now_ms() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The median of the samples (the mean of the middle two for an even count);
// 0 for none.
inline double median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    const std::size_t mid = samples.size() / 2;
    std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(mid),
                     samples.end());
    const double upper = samples[mid];
    if (samples.size() % 2 == 1) return upper;
    const double lower =
        *std::max_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(mid));
    return (lower + upper) / 2;
}

// Milliseconds of each of `runs` calls of `body`, each after `prepare`
// (which is not timed).
template <typename Prepare, typename Body>
std::vector<double> samples_ms(int runs, Prepare&& prepare, Body&& body) {
    std::vector<double> out;
    out.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        prepare();
        const double start = now_ms();
        body();
        out.push_back(now_ms() - start);
    }
    return out;
}

template <typename Prepare, typename Body>
double median_ms(int runs, Prepare&& prepare, Body&& body) {
    return median(samples_ms(runs, prepare, body));
}

}  // namespace markomi::bench
