#pragma once
// What a PDF document carries that a reader checks: its signatures, each
// with the bytes it signs, the revision it covers and what changed after
// it; and the date stamps of ours, plain or signed. Read with qpdf; the
// CMS itself is checked elsewhere (output/pdf_sign/cms_verify_win.h).
#include <optional>
#include <string>
#include <vector>

#include "output/pdf_stamp/pdf_placement.h"
#include "output/pdf_stamp/pdf_revisions.h"
#include "output/pdf_stamp/pdf_stamp_result.h"

namespace markomi {

struct PdfSignatureFound {
    std::string field_utf8;   // the field's full name
    std::string name_utf8;    // /Name
    std::string reason_utf8;  // /Reason
    std::string time_iso;     // /M; empty when none
    PdfByteRange range;       // range.contents: the CMS, from the gap it leaves
    int revision = 0;         // 1-based; 0 when the range ends at no revision
    bool covers_whole_file = false;
    PdfLaterChanges later = PdfLaterChanges::kOther;
    int page = 0;                 // 1-based page of its widget; 0: on no page
    std::optional<PdfMmRect> box;  // the widget on that page as shown
    int stamp = -1;               // the index of its widget in `stamps`; -1: none of ours
};

struct PdfStampFound {
    std::string text_utf8;   // /Contents: the stamp's lines
    std::string time_iso;    // /M
    int page = 0;            // 1-based
    bool is_signed = false;  // the widget of a signature field
    std::optional<PdfMmRect> box;  // on the page as shown; none for a /Rect of no numbers
};

struct PdfSignaturesReport {
    PdfRefusal refusal = PdfRefusal::kNone;
    std::string detail;  // qpdf's reason for a refusal, UTF-8
    std::string file;    // the whole file; the signed parts lie in it
    int revisions = 0;
    std::vector<PdfSignatureFound> signatures;
    std::vector<PdfStampFound> stamps;
};

// Reads the whole file (at most 256 MiB) and opens it as the stamping does:
// a damaged file is repaired only up to a bound, a password is a refusal.
PdfSignaturesReport read_pdf_signatures(const std::wstring& path);

}  // namespace markomi
