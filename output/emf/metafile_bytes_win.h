#pragma once
// The bytes of an enhanced metafile, as the portable record readers and
// writers take them.
#include <windows.h>

#include <cstdint>
#include <vector>

namespace markomi {

// Empty when the metafile is null or its bytes could not be read.
inline std::vector<std::uint8_t> metafile_bytes(HENHMETAFILE metafile) {
    if (!metafile) return {};
    std::vector<std::uint8_t> bytes(GetEnhMetaFileBits(metafile, 0, nullptr));
    if (!bytes.empty() &&
        GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), bytes.data()) != bytes.size())
        bytes.clear();
    return bytes;
}

}  // namespace markomi
