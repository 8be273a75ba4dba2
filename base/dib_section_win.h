#pragma once
// A top-down DIB section selected into a memory DC of its own, its pixels
// read and written in place. The DC, the bitmap and the selection go with
// the value, on every path.
#include <windows.h>

#include <cstddef>

#include "base/gdi_handles_win.h"

namespace markomi {

class DibSection {
public:
    // width x height pixels of `bits_per_pixel` (24 or 32), no colour table.
    DibSection(int width, int height, int bits_per_pixel);
    ~DibSection();
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;

    // Null when the section could not be made.
    HDC dc() const { return old_ ? dc_ : nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Bytes from one row to the next (rows are DWORD-aligned).
    std::size_t stride() const { return stride_; }
    // The pixels, once GDI has finished drawing (the call flushes it).
    // Null when the section could not be made.
    BYTE* bits() const;

private:
    int width_, height_;
    std::size_t stride_;
    HDC dc_ = nullptr;
    GdiBitmap bitmap_;
    BYTE* bits_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

}  // namespace markomi
