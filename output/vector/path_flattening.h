#pragma once
// Curves as straight lines, for rasterisers that should not see curves: the
// one of Wine's GDI+ overflows its stack stroking some of the stamp's
// curves on its own bitmaps, while short lines draw everywhere.
#include "render/drawn_paths.h"

namespace markomi {

// The path with every cubic curve replaced by straight lines that stay
// within `tolerance` (in the path's units, > 0) of it; moves, lines, closes,
// colours and pen are kept.
VectorPath flattened_path(const VectorPath& path, double tolerance);

}  // namespace markomi
