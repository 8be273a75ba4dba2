#pragma once
// An incremental update of a PDF file: the input's bytes stay as they are and
// the new and changed objects follow them, with a cross-reference section of
// the same kind as the input's last one and a trailer whose /Prev points back.
// Earlier signatures cover the earlier bytes, so they stay valid. Portable:
// the objects arrive serialized; qpdf makes them (pdf_annotation_qpdf.h).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace markomi {

enum class PdfXrefKind { kTable, kStream };

struct PdfTail {
    long long startxref = 0;  // where the last cross-reference section begins
    PdfXrefKind kind = PdfXrefKind::kTable;
};

// The last `startxref` of the file's final two kibibytes, where readers look
// for it, and the kind of section it points at: a table (the `xref` keyword;
// a hybrid file's table too) or a stream (`N G obj`). None when there is no
// such keyword, its offset is not inside the file, or neither kind is there.
std::optional<PdfTail> read_pdf_tail(std::string_view file);

struct PdfUpdateObject {
    int number = 0;
    int generation = 0;
    std::string body;                   // the value; for a stream its dictionary "<< ... >>" without /Length
    std::optional<std::string> stream;  // raw (already encoded) stream bytes
};

struct PdfTrailerFacts {
    int size = 0;            // the input's /Size; raised to cover the new numbers
    std::string root;        // "1 0 R"
    std::string info;        // "5 0 R", or empty: none
    std::string id_first;    // the input's first /ID string, raw bytes; empty: none (then both are new)
    std::string id_second;   // this update's, raw bytes
    long long prev = 0;      // the input's last startxref
    PdfXrefKind kind = PdfXrefKind::kTable;
};

struct PdfUpdate {
    std::string bytes;                  // to be appended to the input as it is
    std::vector<std::size_t> bodies;    // where each object's body begins in the whole file, in the order given
    int size = 0;                       // the /Size written
};

// The update for a file of `input_size` bytes (`ends_with_eol`: its last byte
// is CR or LF; else an end of line comes first). Objects are written in the
// order given; the section lists them by number in subsections of
// consecutive numbers. A stream section takes the next free number itself.
PdfUpdate write_pdf_update(std::size_t input_size, bool ends_with_eol,
                           const std::vector<PdfUpdateObject>& objects,
                           const PdfTrailerFacts& trailer);

// A PDF hexadecimal string of raw bytes: "<0A1B>".
std::string pdf_hex_string(std::string_view bytes);

}  // namespace markomi
