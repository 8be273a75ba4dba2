#pragma once
// Puts a stamp onto pages of an existing PDF document with qpdf: the stamp
// is one Form XObject drawn from the captured paths, at its physical size.
// By default each chosen page gets an annotation that shows it, appended to
// the input's bytes as an incremental update (output/pdf_stamp/pdf_incremental.h),
// so that earlier signatures stay valid; a signed stamp is the widget of a
// new signature field. With `flatten` the form is drawn on top of the page's
// content instead, out of reach of it (pdf_page_content_qpdf.h), and the
// whole file is rewritten. The input is only read; the copy is written
// through a staging file, read back, and replaces its target in one step.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/pdf_stamp/pdf_note_text.h"
#include "output/pdf_stamp/pdf_placement.h"
#include "output/pdf_stamp/pdf_stamp_result.h"

namespace markomi {

// What the stamp annotation says of itself.
struct PdfStampNote {
    std::string title_utf8;     // /T: the NAME line, or the signer
    std::string contents_utf8;  // /Contents: the three lines, "総務部 2026/12/09 佐藤"
    SigningTime when;           // /M and /CreationDate, and the signing time
    std::string unique_id;      // /NM (ASCII)
};

// A signed stamp: the stamp is the widget of a new signature field.
struct PdfSignatureRequest {
    std::string name_utf8;          // /Name of the signature dictionary
    std::string reason_utf8;        // /Reason: "承認" or "受付"
    std::string location_utf8;      // /Location; empty: none written
    std::size_t contents_room = 0;  // bytes kept for the CMS; 0: the slot's default
    // Given the file's bytes outside /Contents (the /ByteRange's two parts, in
    // order), returns the DER of the detached CMS SignedData, or nullopt with
    // `why` (UTF-8) set; then nothing is written.
    std::function<std::optional<std::string>(const std::vector<std::string_view>& parts,
                                             std::string* why)>
        sign;
};

struct PdfStampJob {
    std::wstring input;    // read, never written
    std::wstring output;   // the stamped copy
    std::string form;      // the stamp's content in [0 0 width_pt height_pt]
    double width_pt = 0, height_pt = 0;
    PdfPageChoice pages;
    PdfPosition position;
    bool allow_signed = false;  // flatten: stamp a signed document all the same
    bool flatten = false;       // draw into the pages and rewrite the whole file (the old way)
    PdfStampNote note;
    std::optional<PdfSignatureRequest> signature;
};

PdfStampResult stamp_pdf_file(const PdfStampJob& job);

}  // namespace markomi
