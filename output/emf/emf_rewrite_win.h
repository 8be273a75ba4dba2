#pragma once
// The metafile pipeline's last step: its metafile rewritten without POLYDRAW
// records (see output/emf/emf_rewrite.h), in memory or in its file.
#include <windows.h>

namespace markomi {

// Takes over `metafile` and returns the one to go on with: the same handle
// when nothing needed rewriting or the bytes were refused (kept as they are
// rather than lost), otherwise a rewritten copy, the original deleted. With
// `file_name` (the file `metafile` was recorded into) the file is written
// again with the rewritten bytes and the returned handle is that file's;
// null when the file could not be written again.
HENHMETAFILE without_polydraw_records(HENHMETAFILE metafile, const wchar_t* file_name);

}  // namespace markomi
