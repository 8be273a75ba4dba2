#pragma once
// The stamp as annotations of a document qpdf has read, written as the
// objects of an incremental update (output/pdf_stamp/pdf_incremental.h): one
// shared form of the stamp's drawing; on each placed page a /Stamp
// annotation showing it, or for a signed stamp, on the first placed page, the
// widget of a new signature field. Existing objects that change (a page, its
// /Annots, the catalog or its /AcroForm) get new versions of the same number;
// everything else is left to the bytes that are there.
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <string>
#include <vector>

#include "output/pdf_stamp/pdf_incremental.h"
#include "output/pdf_stamp/pdf_stamp_qpdf.h"

namespace markomi {

struct StampAnnotations {
    std::vector<PdfUpdateObject> objects;
    std::vector<int> annotations;  // the new annotation's number on each placed page
    int signature_index = -1;      // of the signature dictionary in `objects`; -1: unsigned
    std::size_t slot_in_body = 0;  // where its placeholders begin in its body
    std::size_t room = 0;          // bytes kept there for the signature
};

// The annotations for the placed pages (`pages` all of the document's, in
// order), numbered from `first_number` up.
StampAnnotations make_stamp_annotations(QPDF& pdf, std::vector<QPDFPageObjectHelper>& pages,
                                        const std::vector<PdfPagePlaced>& placed,
                                        const PdfStampJob& job, int first_number);

// The /P of the document's certifying signature (/Perms /DocMDP): 1 no
// changes, 2 filling in and signing, 3 annotations too; 0 when there is none.
int certified_permission(QPDF& pdf);

// Signature fields that hold a signature value.
int signature_count(QPDF& pdf);

}  // namespace markomi
