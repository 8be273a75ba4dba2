#pragma once
// Comparing a rendered picture with a reviewed golden image in tests/golden.
// Tolerance: a pixel differs when a channel is off by more than 64; at most
// 1% of the golden image's inked (non-white) pixels may differ.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace markomi::testing {

struct GoldenComparison {
    bool loaded = false;     // the golden file exists and could be read
    bool same_size = false;
    int inked = 0;           // non-white pixels of the golden image
    int differing = 0;
    bool within_tolerance() const { return loaded && same_size && differing <= inked / 100; }
};

// `pixel(x, y)` gives the rendered picture as 0x00RRGGBB.
GoldenComparison compare_with_golden(const std::wstring& file_name, int width, int height,
                                     const std::function<std::uint32_t(int, int)>& pixel);

// Writes a bitmap as PNG into render-artifacts/ beside the test program.
void save_bitmap_artifact(HBITMAP bitmap, const std::wstring& name);

}  // namespace markomi::testing
