#include "output/vector_output_win.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "output/file_replace_win.h"
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

bool write_bytes(const wchar_t* path, const std::string& bytes) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    return CloseHandle(file) && ok;
}

}  // namespace

bool save_stamp_vector(SettingsSet& set, int slot_index, VectorFormat format, const wchar_t* path,
                       int* width, int* height) {
    HENHMETAFILE metafile = render_stamp_fine_metafile(set, slot_index, kVectorFineness);
    if (!metafile) return false;
    std::vector<std::uint8_t> bytes(GetEnhMetaFileBits(metafile, 0, nullptr));
    const bool read = !bytes.empty() &&
                      GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), bytes.data()) == bytes.size();
    DeleteEnhMetaFile(metafile);
    if (!read) return false;
    VectorDrawing drawing = translate_emf(bytes.data(), bytes.size());
    if (!drawing.ok) return false;
    // The picture keeps the physical size of the metafile at one unit a
    // pixel; the paths keep their fine units inside it.
    drawing.frame = {shrunk(drawing.frame.left), shrunk(drawing.frame.top), shrunk(drawing.frame.right),
                     shrunk(drawing.frame.bottom)};
    const std::string text = format == VectorFormat::kSvg ? write_svg(drawing) : write_pdf(drawing);
    if (!write_through_temporary(path, [&](const wchar_t* temporary) { return write_bytes(temporary, text); }))
        return false;
    if (width) *width = static_cast<int>(std::lround(drawing.view_width / kVectorFineness));
    if (height) *height = static_cast<int>(std::lround(drawing.view_height / kVectorFineness));
    return true;
}

}  // namespace markomi
