// Looks at the screen after the Calc paste test pasted a stamp: finds the
// stamp's red ink in a rectangle and tells whether the spreadsheet's grid
// shows through it. Wine draws on the same X display as Calc, so the
// screen's device context reads Calc's window too.
//
//   markomi2_screen_probe.exe LEFT TOP RIGHT BOTTOM [SAVE.bmp]
//
// Prints one line: the ink box, the number of red pixels, the grid rows
// (rows where a grey grid line runs on both sides of the ink box) and how
// many of them show the grid inside the box too. SAVE.bmp gets the
// rectangle as seen. Exit 0: red ink and every grid row seen through;
// 1: not so; 2: bad arguments or no screen.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "output/raster/bmp_writer.h"

namespace {

struct Rgb {
    int r, g, b;
};

bool is_red(Rgb c) { return c.r >= 180 && c.g <= 100 && c.b <= 100; }

// The spreadsheet's grid: a light neutral grey (192, 192, 192 in Calc's
// default colours), neither the white page nor dark text.
bool is_grid_grey(Rgb c) {
    const int lo = std::min({c.r, c.g, c.b}), hi = std::max({c.r, c.g, c.b});
    return hi - lo <= 16 && lo >= 150 && hi <= 225;
}

class Capture {
public:
    Capture(int left, int top, int width, int height) : width_(width), height_(height) {
        HDC screen = GetDC(nullptr);
        if (!screen) return;
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (memory && section) {
            HGDIOBJ old = SelectObject(memory, section);
            if (BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY | CAPTUREBLT)) {
                GdiFlush();
                const auto* bytes = static_cast<const std::uint8_t*>(bits);
                pixels_.assign(bytes, bytes + static_cast<std::size_t>(width) * height * 4);
            }
            SelectObject(memory, old);
        }
        if (section) DeleteObject(section);
        if (memory) DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }
    bool ok() const { return !pixels_.empty(); }
    int width() const { return width_; }
    int height() const { return height_; }
    Rgb at(int x, int y) const {
        const std::uint8_t* p = pixels_.data() + (static_cast<std::size_t>(y) * width_ + x) * 4;
        return {p[2], p[1], p[0]};
    }
    bool save(const wchar_t* path) const {
        markomi::PixelView view;
        view.data = pixels_.data();
        view.width = width_;
        view.height = height_;
        view.row_bytes = static_cast<std::size_t>(width_) * 4;
        view.layout = markomi::PixelLayout::kBgrx32;
        const std::vector<std::uint8_t> file = markomi::bmp_file_bytes(view);
        HANDLE out = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (out == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const bool ok = WriteFile(out, file.data(), static_cast<DWORD>(file.size()), &written, nullptr) &&
                        written == file.size();
        CloseHandle(out);
        return ok;
    }

private:
    int width_, height_;
    std::vector<std::uint8_t> pixels_;
};

// How many of the pixels of row y from x0 to x1 (inclusive) are grid grey.
int grey_run(const Capture& c, int y, int x0, int x1) {
    int grey = 0;
    for (int x = std::max(0, x0); x <= std::min(c.width() - 1, x1); ++x) grey += is_grid_grey(c.at(x, y));
    return grey;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 5 && argc != 6) {
        std::fwprintf(stderr, L"usage: markomi2_screen_probe LEFT TOP RIGHT BOTTOM [SAVE.bmp]\n");
        return 2;
    }
    const int left = _wtoi(argv[1]), top = _wtoi(argv[2]), right = _wtoi(argv[3]), bottom = _wtoi(argv[4]);
    if (right - left < 40 || bottom - top < 40) return 2;
    const Capture c(left, top, right - left, bottom - top);
    if (!c.ok()) {
        std::fwprintf(stderr, L"the screen could not be read\n");
        return 2;
    }
    if (argc == 6 && !c.save(argv[5])) std::fwprintf(stderr, L"could not save %ls\n", argv[5]);

    int red = 0, ink_left = c.width(), ink_top = c.height(), ink_right = -1, ink_bottom = -1;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (is_red(c.at(x, y))) {
                ++red;
                ink_left = std::min(ink_left, x);
                ink_top = std::min(ink_top, y);
                ink_right = std::max(ink_right, x);
                ink_bottom = std::max(ink_bottom, y);
            }

    // A grid row: grey on ten pixels left and right of the ink box alike.
    // Inside, it is seen through when at least half of the pixels that are
    // not ink are grid grey (an opaque picture has white there).
    int grid_rows = 0, seen_through = 0, grey_inside = 0;
    constexpr int kSide = 10, kGap = 3;
    if (red > 0)
        for (int y = ink_top + 1; y < ink_bottom; ++y) {
            if (grey_run(c, y, ink_left - kGap - kSide, ink_left - kGap - 1) < kSide - 2 ||
                grey_run(c, y, ink_right + kGap + 1, ink_right + kGap + kSide) < kSide - 2)
                continue;
            int not_ink = 0, grey = 0;
            for (int x = ink_left + 1; x < ink_right; ++x) {
                const Rgb p = c.at(x, y);
                if (is_red(p)) continue;
                ++not_ink;
                grey += is_grid_grey(p);
            }
            if (not_ink < 20) continue;  // a row of mostly ink says nothing
            ++grid_rows;
            grey_inside += grey;
            if (2 * grey >= not_ink) ++seen_through;
        }

    std::wprintf(L"ink=%d,%d,%d,%d red=%d grid_rows=%d seen_through=%d grey_inside=%d\n",
                 left + ink_left, top + ink_top, left + ink_right, top + ink_bottom, red, grid_rows,
                 seen_through, grey_inside);
    return red >= 50 && grid_rows > 0 && seen_through == grid_rows ? 0 : 1;
}
