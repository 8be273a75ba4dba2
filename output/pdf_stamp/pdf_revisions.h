#pragma once
// The revisions of a PDF file, the part of it a signature's /ByteRange
// covers, and what changed after that part: what a reader checks besides
// the signature's own bytes. Portable; the objects are read by qpdf
// elsewhere (pdf_signatures_qpdf.h) and handed here as plain records.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace markomi {

// One revision's end: just past its "%%EOF" marker, and past the line end
// that follows the marker when there is one (writers sign either).
struct PdfRevisionEnd {
    std::size_t marker_end = 0;
    std::size_t end = 0;
};

// More revisions than this are not followed: a bound on any input.
constexpr std::size_t kMostRevisions = 1000;

// The file's revisions, oldest first. Followed as readers follow them: from
// the last startxref along each cross-reference section's /Prev; a section's
// revision ends at the first %%EOF after it. A linearized file's first-page
// section, whose /Prev points forward to the main one, is one revision with
// it. When the chain cannot be followed (no startxref, an offset beyond the
// file, a loop), each %%EOF that ends a line or the file ends a revision, as
// readers that repair the file count them. Work is linear in the file's size.
std::vector<PdfRevisionEnd> pdf_revision_ends(std::string_view file);

// What a /ByteRange [a b c d] makes of the file.
struct PdfByteRange {
    bool valid = false;
    std::string why;               // English, when not valid
    std::size_t first_end = 0;     // b: the first part is [0, b)
    std::size_t second_start = 0;  // c: the second part is [c, c + d)
    std::size_t end = 0;           // c + d
    std::string contents;          // the bytes the hex string in the gap spells
};

// Valid when the range starts at 0, its two parts neither overlap nor leave
// anything out but one hex string <...> between them, and it ends within the
// file. The hex string is decoded (its trailing zero padding kept).
PdfByteRange check_byte_range(std::string_view file, const std::vector<std::int64_t>& range);

// The 1-based revision a range ending at `end` covers; 0 when it ends where
// no revision does.
int revision_covered(const std::vector<PdfRevisionEnd>& revisions, std::size_t end);

// What an object of the final file is to the change rule.
enum class PdfObjectRole {
    kOther,
    kCatalog,
    kPage,
    kAcroForm,
    kAnnotation,       // an annotation, or a signature field
    kAnnotationArray,  // a page's /Annots or the form's /Fields array
    kInfo,             // the document information dictionary
};

// One object that differs between a revision and the final file.
struct PdfObjectChange {
    PdfObjectRole role = PdfObjectRole::kOther;
    bool added = false;                     // not in the revision
    bool removed = false;                   // in the revision, gone from the final file
    bool dictionary = true;                 // a dictionary in both (else changed_keys says nothing)
    std::vector<std::string> changed_keys;  // keys whose values differ, "/Annots" ...
};

enum class PdfLaterChanges { kNone, kSignaturesAndAnnotations, kOther };

// The changes after a signed revision, as a reader judges them: nothing;
// only what signing and annotating add (new objects; a page's /Annots; the
// form's fields, flags and defaults; the catalog's /AcroForm and /DSS; the
// information's dates); or anything else.
PdfLaterChanges classify_later_changes(const std::vector<PdfObjectChange>& changes);
const char16_t* pdf_later_changes_name(PdfLaterChanges changes);

// A PDF date "D:YYYYMMDDHHmmSS+HH'mm'" (the parts after the year optional)
// as "YYYY-MM-DDTHH:MM:SS+HH:MM" (or "Z"); empty when it is none.
std::string iso_time_of_pdf_date(std::string_view date);

}  // namespace markomi
