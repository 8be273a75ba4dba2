#pragma once
// The command line of the console companion Markomi2Stamp:
//   Markomi2Stamp [--ini FILE] [--slot 1-7] [--date YYYY-MM-DD] [--format B|M]
//                 [--dpi 96-1200] (--out FILE.bmp|.png|.jpg|.emf|.svg|.pdf | --clipboard)
//   Markomi2Stamp [--ini FILE] [--slot 1-7] [--date YYYY-MM-DD] --stamp-onto IN.pdf --out OUT.pdf
//                 [--page first|last|all|N[,M-N...]] [--at POSITION|X,Y|CORNER:X,Y] [--margin MM]
//                 [--flatten [--allow-signed]] (several documents: --stamp-onto IN --out OUT ... in pairs, or
//                 --stamp-onto IN ... --out-dir DIR;
//                 [--replace] replaces existing copies)
//                 [--sign | --cert HEX40] [--reason 承認|受付] [--location TEXT]
//   Markomi2Stamp --list-certificates | [--ini FILE] [--slot 1-7] --new-certificate
//   Markomi2Stamp --export-certificate HEX40 --out FILE.cer
//   Markomi2Stamp [--ini FILE] [--date YYYY-MM-DD] --diagnose
//   Markomi2Stamp --render IN.pdf [--page N] [--dpi 10-600] [--out PAGE.png]
//   Markomi2Stamp --verify IN.pdf
//   Markomi2Stamp --help | -h | /?      Markomi2Stamp --version
#include <optional>
#include <string>
#include <vector>

#include "output/pdf_stamp/pdf_placement.h"
#include "settings/settings_record.h"

namespace markomi {

struct CompanionArgs {
    std::optional<std::u16string> ini;   // settings file; the user's own when absent
    int slot = 0;                        // 1..7; 0: the settings' active slot
    std::optional<StampDate> date;       // today when absent
    std::optional<char16_t> format;      // 'B' or 'M' for the clipboard; FORMAT when absent
    std::optional<std::u16string> out;   // image file to write
    std::optional<int> dpi;              // BMP, PNG and JPG files: 96 to 1200; 96 when absent
    bool clipboard = false;
    // Stamping PDF documents: each read, never changed. Its copy is the --out
    // of the same place in order, or DIR\<name>_捺印.pdf with --out-dir.
    std::vector<std::u16string> stamp_onto;  // at most kMostStampedDocuments
    std::vector<std::u16string> copies;      // one per document
    std::optional<std::u16string> out_dir;
    // An existing copy is replaced. A single --stamp-onto with --out always
    // replaces, as the caller named the file; a batch only with --replace.
    bool replace = false;
    PdfPageChoice pages;                 // the first page when absent
    PdfPosition position;                // top right, 10 mm in, when absent
    bool allow_signed = false;           // with flatten: stamp a signed document, which voids its signature
    bool flatten = false;                // draw into the pages and rewrite the file, not an annotation
    // Signing each stamp: with the remembered certificate ([PDF]
    // CERTIFICATE), or the one of `cert` (40 upper-case hex digits).
    bool sign = false;
    std::optional<std::u16string> cert;
    std::u16string reason = u"承認";      // or "受付"
    std::optional<std::u16string> location;  // at most kMostLocationCharacters
    // The certificates: the usable ones listed; a personal one made from the
    // slot's lines; one's public part written to --out FILE.cer.
    bool list_certificates = false;
    bool new_certificate = false;
    std::optional<std::u16string> export_certificate;  // its thumbprint
    // Drawing a page of a PDF document (the page's facts alone without --out).
    std::optional<std::u16string> render;
    int render_page = 1;                 // 1-based; checked against the document later
    int render_dpi = 96;                 // 10..600
    std::optional<std::u16string> verify;  // a PDF document whose signatures and stamps are checked
    bool diagnose = false;               // report what this system does with every output
    bool help = false;                   // print the usage and do nothing else
    bool version = false;                // print the version and do nothing else
};

constexpr std::size_t kMostLocationCharacters = 200;

// More documents on one line than this are refused: the line is bounded.
constexpr std::size_t kMostStampedDocuments = 1000;

struct CompanionParse {
    std::optional<CompanionArgs> args;
    std::u16string error;  // what was wrong, when args is empty
};

CompanionParse parse_companion_args(const std::vector<std::u16string>& argv);

// The thumbprint a signing uses: --cert's, else the remembered one; nullopt
// when not signing or when nothing is remembered.
std::optional<std::u16string> signing_certificate_choice(const CompanionArgs& args, const PdfStampOptions& pdf);

// The copy of `input` in `folder`: folder\<name>_捺印.pdf, the name being
// the input's file name.
std::u16string stamped_copy_in_folder(std::u16string_view folder, std::u16string_view input);

// "YYYY-MM-DD" of a real calendar day (years 1..9999); nullopt otherwise.
std::optional<StampDate> parse_iso_date(std::u16string_view text);

// The usage text, in Japanese and English. A request for help or the
// version, anywhere on the line, is answered whatever else it holds.
std::u16string companion_usage();

// The design of the slot (0..6) as the companion's JSON names it: "normal",
// "flower", "star", "insect", "typhoon", "diamond", "animal".
const char16_t* companion_design_name(int slot_index);

// A text as a JSON string literal (quotes, backslashes and control
// characters escaped; other characters kept as they are).
std::u16string json_string(std::u16string_view text);

}  // namespace markomi
