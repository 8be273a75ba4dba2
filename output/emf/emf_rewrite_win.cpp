#include "output/emf/emf_rewrite_win.h"

#include <cstdint>
#include <vector>

#include "output/emf/emf_rewrite.h"
#include "output/emf/metafile_bytes_win.h"

namespace markomi {

HENHMETAFILE without_polydraw_records(HENHMETAFILE metafile, const wchar_t* file_name) {
    if (!metafile) return nullptr;
    const std::vector<std::uint8_t> bits = metafile_bytes(metafile);
    if (bits.empty()) return metafile;
    const EmfRewrite rewrite = rewrite_polydraw_records(bits.data(), bits.size());
    if (!rewrite.ok || rewrite.polydraw_records == 0) return metafile;
    HENHMETAFILE rewritten =
        SetEnhMetaFileBits(static_cast<UINT>(rewrite.bytes.size()), rewrite.bytes.data());
    if (!rewritten) return metafile;
    DeleteEnhMetaFile(metafile);  // with a file: closes it, so that it can be written again
    if (!file_name) return rewritten;
    HENHMETAFILE on_disk = CopyEnhMetaFileW(rewritten, file_name);
    DeleteEnhMetaFile(rewritten);
    return on_disk;
}

}  // namespace markomi
