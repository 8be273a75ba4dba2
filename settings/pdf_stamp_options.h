#pragma once
// Section PDF of "Markomi2.ini": the last choices of "PDFに捺印…". Read and
// written beside the stamp's keys, through the same file and the same save.
#include "settings/profile_store.h"
#include "settings/settings_record.h"

namespace markomi {

constexpr std::u16string_view kPdfSection = u"PDF";

// Defaults for missing keys; PAGE 0..3, POSITION 0..8 and MARGIN 0..100 are
// clamped, OPEN and SIGN are 0 or 1, REASON 0 or 1 (0 otherwise), PAGES
// keeps only digits and commas ("1" if none), CERTIFICATE is 40 upper-case
// hex digits (spaces dropped, lower case raised) or empty.
void load_pdf_options_from(ProfileStore& store, PdfStampOptions& options);
// Writes the eight keys, once the choices differ from the defaults or the
// section is there already: the file of a user who never stamped a PDF
// keeps the stamp's sections alone. False when any write failed (every key
// is tried).
bool save_pdf_options_to(ProfileStore& store, const PdfStampOptions& options);
void normalise_pdf_options(PdfStampOptions& options);

}  // namespace markomi
