#pragma once
// Reading the drawing of an enhanced metafile back as filled and stroked
// paths in the picture's device units: how the tests see what a metafile
// draws. Only the records the stamp's metafiles hold are understood: path
// construction, the poly shapes, the world transform, solid brushes and
// pens, SAVEDC/RESTOREDC. A record that paints and is not understood makes
// the whole reading fail, so that no check silently misses ink.
#include <cstddef>
#include <cstdint>

#include "output/emf/vector_drawing.h"

namespace markomi {

VectorDrawing translate_emf(const std::uint8_t* bytes, std::size_t size);

}  // namespace markomi
