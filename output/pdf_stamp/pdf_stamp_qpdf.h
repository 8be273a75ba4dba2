#pragma once
// Puts a stamp onto pages of an existing PDF document with qpdf: the stamp
// is one Form XObject drawn from the captured paths, at its physical size,
// on top of each chosen page, out of reach of the page's own content
// (output/pdf_stamp/pdf_page_content_qpdf.h). Everything else of the document is
// kept. The input is only read; the copy is written through a staging file,
// read back, and replaces its target in one step.
#include <string>
#include <vector>

#include "output/pdf_stamp/pdf_placement.h"
#include "output/pdf_stamp/pdf_stamp_result.h"

namespace markomi {

struct PdfStampJob {
    std::wstring input;    // read, never written
    std::wstring output;   // the stamped copy
    std::string form;      // the stamp's content in [0 0 width_pt height_pt]
    double width_pt = 0, height_pt = 0;
    PdfPageChoice pages;
    PdfPosition position;
    bool allow_signed = false;
};

PdfStampResult stamp_pdf_file(const PdfStampJob& job);

}  // namespace markomi
