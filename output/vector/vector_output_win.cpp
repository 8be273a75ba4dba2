#include "output/vector/vector_output_win.h"

#include <string>

#include "base/safe_file_win.h"
#include "output/emf/metafile_output_win.h"
#include "output/emf/vector_drawing.h"
#include "output/vector/vector_writers.h"

namespace markomi {

bool save_stamp_vector(SettingsSet& set, int slot_index, VectorFormat format, const wchar_t* path,
                       int* width, int* height) {
    // From the captured drawing, never from a recording: the file is then the
    // same whichever recorder the metafiles come from.
    VectorDrawing drawing;
    MetafileFrame frame;
    if (!capture_stamp_drawing(set, slot_index, &drawing, &frame)) return false;
    const std::string text = format == VectorFormat::kSvg ? write_svg(drawing) : write_pdf(drawing);
    if (!replace_file_with_bytes(path, text.data(), text.size())) return false;
    if (width) *width = frame.width;
    if (height) *height = frame.height;
    return true;
}

}  // namespace markomi
