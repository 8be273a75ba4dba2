#pragma once
// Finding the blank border around a rendered stamp: drawn in black on white,
// the rows and columns that hold no ink are counted from each side so the
// output can be cropped to the impression.
#include "render/measure_rules.h"  // PixelReader, kBlankPixel

namespace markomi {

struct InkMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Scans the area [left, right) x [top, bottom). A pixel is blank when it reads
// as white; a failed read counts as ink. An area without any ink gives top,
// bottom and left 0 and right equal to the width (nothing to crop from the
// left, everything from the right), which the callers rely on to notice it.
InkMargins stamp_ink_margins(const PixelReader& pixel, int left, int top, int right, int bottom);

}  // namespace markomi
