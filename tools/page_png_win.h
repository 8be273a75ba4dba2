#pragma once
// A drawn PDF page written as a 24-bit PNG file through a staging file, so a
// failed write leaves no partial file.
#include <cstdint>
#include <string>
#include <vector>

namespace markomi {

// `rgb`: rows top to bottom, 3 bytes a pixel (red first), no padding.
// Declares `dpi` in the file. False when nothing was written.
bool write_page_png(const std::wstring& path, const std::vector<std::uint8_t>& rgb, int width, int height,
                    int dpi);

}  // namespace markomi
