#pragma once
// Reading a bitmap stamp's transparent formats back from the clipboard as a
// pasting program does: the bytes of a block, and a CF_DIBV5 against the
// picture of the PNG beside it.
#include <windows.h>

#include <vector>

#include "support/decoded_image.h"

namespace markomi::testing {

// The bytes of a clipboard memory block (which may be longer than what was
// put into it); empty for none.
std::vector<unsigned char> clipboard_block_bytes(HANDLE block);

// Whether `bytes` begins with the non-empty `head`.
bool starts_with(const std::vector<unsigned char>& bytes, const std::vector<unsigned char>& head);

// How many pixels of a CF_DIBV5 block differ from `expected` (the PNG's
// straight picture): alpha everywhere, colour where something is seen. -1
// when the header is not the 32-bit bottom-up one of that size with an
// alpha mask.
int dib_v5_differences(const std::vector<unsigned char>& dib, const DecodedImage& expected);

}  // namespace markomi::testing
