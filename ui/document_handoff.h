#pragma once
// Documents handed to the program: on its command line (a drop on its
// shortcut, 送る, 「プログラムから開く」) and passed on to a copy already
// running, as a block of WM_COPYDATA. Portable: which arguments are
// documents, and the block's encoding and its checked decoding.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace markomi {

// At most this many documents are taken from a command line or a block;
// the rest are dropped (a drop of a whole folder's files must not build an
// unbounded list or block).
constexpr std::size_t kMaxHandedDocuments = 1000;
// Longest path Windows takes with the \\?\ prefix, without its terminator.
constexpr std::size_t kMaxHandedPathLength = 32767;
// The block's tag in COPYDATASTRUCT::dwData: "MKPD" (Markomi2 PDF documents).
// A message with another tag is not ours and is not read.
constexpr std::uint32_t kDocumentHandoffTag = 0x444B504Du;
// The largest block a receiver reads: every document at the longest path.
constexpr std::size_t kMaxHandoffBytes =
    kMaxHandedDocuments * (kMaxHandedPathLength + 1) * sizeof(char16_t);

// True when `path` names a PDF by its name: it ends in ".pdf", in any case.
bool has_pdf_extension(std::u16string_view path);

// The arguments (program name excluded) that are documents: PDF names of
// 1 to kMaxHandedPathLength characters for which `is_file` answers true, in
// order, at most kMaxHandedDocuments of them. Other arguments are left out.
std::vector<std::u16string> documents_in_arguments(
    const std::vector<std::u16string>& arguments,
    const std::function<bool(std::u16string_view)>& is_file);

// The block: each path followed by a NUL. Paths are taken as they come
// (callers pass documents_in_arguments' result).
std::u16string encode_document_handoff(const std::vector<std::u16string>& paths);

// The paths of a received block of `size` bytes, or nothing when it is not
// a well-formed block: an odd or zero size, above kMaxHandoffBytes, not
// ending in a NUL, an empty path (two NULs in a row), a path longer than
// kMaxHandedPathLength, more than kMaxHandedDocuments paths, or a path that
// is not a PDF name.
std::optional<std::vector<std::u16string>> decode_document_handoff(const void* data,
                                                                   std::size_t size);

}  // namespace markomi
