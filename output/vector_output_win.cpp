#include "output/vector_output_win.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "base/safe_file_win.h"
#include "output/metafile_bytes_win.h"
#include "output/metafile_output_win.h"
#include "output/vector_paths.h"
#include "output/vector_writers.h"

namespace markomi {

namespace {

// Recorded units to a pixel of the reference device: at 96 dpi a unit is
// then about 0.017 mm, well below what paper or a zoomed page shows.
constexpr int kVectorFineness = 16;

std::int32_t shrunk(std::int32_t value) {
    return static_cast<std::int32_t>(std::lround(value / static_cast<double>(kVectorFineness)));
}

}  // namespace

bool save_stamp_vector(SettingsSet& set, int slot_index, VectorFormat format, const wchar_t* path,
                       int* width, int* height) {
    HENHMETAFILE metafile = render_stamp_fine_metafile(set, slot_index, kVectorFineness);
    if (!metafile) return false;
    const std::vector<std::uint8_t> bytes = metafile_bytes(metafile);
    DeleteEnhMetaFile(metafile);
    if (bytes.empty()) return false;
    VectorDrawing drawing = translate_emf(bytes.data(), bytes.size());
    if (!drawing.ok) return false;
    // The picture keeps the physical size of the metafile at one unit a
    // pixel; the paths keep their fine units inside it.
    drawing.frame = {shrunk(drawing.frame.left), shrunk(drawing.frame.top), shrunk(drawing.frame.right),
                     shrunk(drawing.frame.bottom)};
    const std::string text = format == VectorFormat::kSvg ? write_svg(drawing) : write_pdf(drawing);
    if (!replace_file_with_bytes(path, text.data(), text.size())) return false;
    if (width) *width = static_cast<int>(std::lround(drawing.view_width / kVectorFineness));
    if (height) *height = static_cast<int>(std::lround(drawing.view_height / kVectorFineness));
    return true;
}

}  // namespace markomi
