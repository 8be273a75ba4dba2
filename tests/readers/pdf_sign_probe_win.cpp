// A signed stamp with a stand-in signer, for tests/readers/pdf_stamping.sh:
// the signer writes the two parts it is given to PARTS and returns no
// signature (the /Contents stay zeros), so the script can check that the
// parts are the file without the <...> of /Contents, put a CMS made by a
// signer nobody here wrote in their place, and let readers check it.
//
//   markomi2_pdf_sign_probe IN.pdf OUT.pdf PARTS POSITION [fail|large]
// "fail": the signer fails; "large": it returns more than the room. Prints
// the refusal's name (or "signed") and exits 0 when stamped, else 1.
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/u16_format.h"
#include "base/wide_text_win.h"
#include "output/pdf_stamp/pdf_stamp_qpdf.h"

using namespace markomi;

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) return 2;
    PdfStampJob job;
    job.input = argv[1];
    job.output = argv[2];
    const std::wstring parts_file = argv[3];
    const std::wstring mode = argc > 5 ? argv[5] : L"";
    // A red square of 60 pt: ink enough for the renderers to find.
    job.form = "1 0 0 rg 0 0 60 60 re f\n";
    job.width_pt = job.height_pt = 60;
    std::optional<PdfPosition> position = parse_pdf_position(as_u16(std::wstring_view(argv[4])));
    if (!position) return 2;
    job.position = *position;
    job.note = PdfStampNote{"Sato", "総務部 2026/12/09 佐藤", {2026, 12, 9, 10, 31, 0, 540}, "Markomi2-probe"};
    PdfSignatureRequest request;
    request.name_utf8 = "佐藤";
    request.reason_utf8 = "承認";
    request.contents_room = 8192;
    request.sign = [&](const std::vector<std::string_view>& parts,
                       std::string* why) -> std::optional<std::string> {
        if (mode == L"fail") {
            *why = "the card was removed";
            return std::nullopt;
        }
        if (mode == L"large") return std::string(8193, '\x30');
        FILE* out = _wfopen(parts_file.c_str(), L"wb");
        if (!out) return std::nullopt;
        for (std::string_view p : parts) std::fwrite(p.data(), 1, p.size(), out);
        std::fclose(out);
        return std::string();
    };
    job.signature = request;
    const PdfStampResult result = stamp_pdf_file(job);
    const std::string name = u16_to_utf8(result.refusal == PdfRefusal::kNone ? u"signed" : pdf_refusal_name(result.refusal));
    std::printf("%s %s kept=%d\n", name.c_str(), result.detail.c_str(), result.kept_signatures);
    return result.refusal == PdfRefusal::kNone ? 0 : 1;
}
