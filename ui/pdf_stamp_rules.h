#pragma once
// "PDFに捺印…": the name the stamped copy is offered under, the companion's
// command line for the remembered choices, and what its reply says.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/pdf_stamp/pdf_stamp_result.h"
#include "settings/settings_record.h"

namespace markomi {

// "C:\受付\請求書.pdf" -> "C:\受付\請求書_捺印.pdf"; a name without ".pdf"
// gets "_捺印.pdf" added.
std::u16string stamped_pdf_name(std::u16string_view original);

// stamped_pdf_name(original) when `exists` says it is free, else the first
// free one of "<name>_捺印 (2).pdf" to "(999)"; empty when all are taken.
std::u16string unused_stamped_pdf_name(std::u16string_view original,
                                       const std::function<bool(const std::u16string&)>& exists);

// One document of a batch and the name of its stamped copy.
struct PdfBatchItem {
    std::u16string input;
    std::u16string output;
};

// The companion's arguments after its own name: the settings file and slot
// of the stamp, its date, the two files (or the batch's pairs) and the
// choices.
struct PdfStampRequest {
    std::u16string ini;
    int slot = 1;            // 1..7
    StampDate date;
    std::u16string input;
    std::u16string output;
    PdfStampOptions options;
    // A place kept from a corner (the stamping window's click): given as
    // --at CORNER:X,Y instead of the options' grid place and margin.
    std::optional<PdfPosition> place;
    bool allow_signed = false;
    // The stamp drawn into the pages and the whole file written anew (for a
    // document that cannot be added to); a signature in it is voided.
    bool flatten = false;
    std::vector<PdfBatchItem> batch;  // several documents: these instead of input and output
    bool replace = false;             // a batch replaces existing copies (else refused "exists")
};
std::vector<std::u16string> pdf_stamp_arguments(const PdfStampRequest& request);

// Millimetres as --at takes them: to a hundredth, "25.4", "7.05", "12".
std::u16string millimetres_text(double mm);

// The companion's --at for a place kept from a corner: "top-right:25.4,20".
// A negative distance is given as 0 (such a place does not fit, and the
// window does not save it).
std::u16string corner_place_argument(const PdfPosition& place);

// The text after `"key":` in one of the companion's JSON lines, up to the
// line's end; empty without the key.
std::u16string_view reply_value_of(std::u16string_view line, std::u16string_view key);

// One argument as the C runtime of the called program splits it back out:
// quoted when it holds a blank or a quote, backslashes doubled before a quote.
std::u16string command_line_argument(std::u16string_view argument);

// The companion's one line of JSON: stamped (its pages and warnings), or the
// refusal's name.
struct PdfStampReply {
    bool stamped = false;
    PdfRefusal refusal = PdfRefusal::kNotWritten;  // when not stamped
    int page = 0;                                   // the refused page
    int page_count = 0;
    std::vector<int> pages;
    int warnings = 0;
    bool repaired = false;    // the original was damaged and its copy repaired
    bool was_signed = false;  // the original's signature no longer covers the copy
    int kept_signatures = 0;  // the original's signatures, still valid in the appended copy
    std::u16string signed_by;  // the signer of the new stamp; empty: not signed
};
PdfStampReply read_pdf_stamp_reply(std::u16string_view line);
// The companion's output for `count` documents: the lines that are replies
// (the messages start otherwise), in order; exactly `count` of them, the
// missing ones not stamped (kNotWritten).
std::vector<PdfStampReply> read_pdf_stamp_replies(std::u16string_view text, std::size_t count);

// The message after a stamping that went through: the pages, the copy's
// name and folder, and a note of its own when the original had to be
// repaired and when its signature was voided.
std::u16string pdf_stamped_message(const PdfStampReply& reply, std::u16string_view output);

// The refusal in a reply, in Japanese words of cause and remedy.
std::u16string pdf_reply_refusal_text(const PdfStampReply& reply);

// The end of a stamping of several documents, for the summary: how many were
// stamped, then each stamped one (its name, pages and copy), then each
// refused one and why. The three lists run in step; the folder of the
// copies is named once when they share one, else each copy by its path.
// A refusal of the copy's writing (its name, folder or disk), not of the
// document: the user may choose another name and try again.
bool is_save_refusal(PdfRefusal refusal);

std::u16string stamping_summary_text(const std::vector<std::u16string>& inputs,
                                     const std::vector<std::u16string>& outputs,
                                     const std::vector<PdfStampReply>& replies);

}  // namespace markomi
