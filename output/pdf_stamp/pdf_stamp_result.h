#pragma once
// What stamping a PDF document came to: the pages stamped and where, or why
// nothing was written, in words for the program and the companion.
#include <string>
#include <string_view>
#include <vector>

#include "output/pdf_stamp/pdf_placement.h"

namespace markomi {

enum class PdfRefusal {
    kNone,
    kUnreadable,      // qpdf could not make a document of it
    kNotPdf,          // no PDF header at all
    kPassword,        // opening needs a password
    kForbidsChanges,  // encrypted with permissions that forbid changes
    kSigned,          // carries a digital signature and allow_signed is off
    kNoSuchPage,      // a chosen page the document lacks
    kOffPage,         // some of the stamp would fall outside a page
    kSameFile,        // the output is the input
    kNotWritten,      // the copy could not be written; the target is as it was
    kBadGeometry,     // a page's boxes or unit are not finite or beyond the limits of PDF
    kDamagedLarge,    // damaged, and too large to be repaired in a bounded time
    kPageTree,        // the page tree is beyond the walk's bounds or holds itself
    kPageContent,     // a page's content too large to be drawn apart from the stamp
    kMissing,         // no such file (or folder)
    kLocked,          // another program holds the file open without sharing it
    kExists,          // the copy's name is taken and replacing was not asked for
    // Why the copy could not be written (else kNotWritten); the target is as it was.
    kDiskFull,        // the disk is full
    kOutputLocked,    // another program holds the copy's target open
    kDenied,          // a read-only target, or a folder this user may not write
    kNoFolder,        // the copy's folder does not exist
    // An incremental update cannot be made.
    kNeedsRewrite,        // damaged or encrypted: only a rewritten (flattened) copy can be had
    kCertifiedNoChanges,  // a certifying signature forbids this change (/DocMDP /P 1, or 2 for a plain stamp)
    kSigningFailed,       // the signer's reason in detail
    kSignatureTooLarge,   // the signature needs more than the room kept for it
};

struct PdfPagePlaced {
    int page = 0;
    PdfPlacement placement;
};

struct PdfStampResult {
    PdfRefusal refusal = PdfRefusal::kNone;
    int page_count = 0;
    int bad_page = 0;                   // kNoSuchPage, kOffPage, kBadGeometry, kPageContent
    bool was_signed = false;            // a signature was there (and, when flattened, is no longer valid)
    int kept_signatures = 0;            // signatures there that still hold: the update is incremental
    bool incremental = false;           // the input's bytes are the copy's prefix
    std::vector<PdfPagePlaced> placed;  // the stamped pages, ascending
    std::vector<std::string> warnings;  // UTF-8: what qpdf recovered from, then notes on the pages
    int repairs = 0;                    // the first of the warnings that are qpdf's recoveries
    std::string detail;                 // qpdf's reason for a refusal, UTF-8
};

// A refusal's reason in Japanese for the program's messages, what happened
// and what to do about it, and in English and Japanese for the companion's.
std::u16string pdf_refusal_japanese(const PdfStampResult& result);
std::u16string pdf_refusal_bilingual(const PdfStampResult& result);
// The refusal's short name in the companion's JSON ("signed", "password",
// ...), and back; kNotWritten for a name this build does not know.
const char16_t* pdf_refusal_name(PdfRefusal refusal);
PdfRefusal pdf_refusal_named(std::u16string_view name);

}  // namespace markomi
