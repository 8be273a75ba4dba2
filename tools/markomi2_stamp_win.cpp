// Markomi2Stamp: renders a stamp from a settings file through the program's
// own output pipelines, into an image file or onto the clipboard, and prints
// one line of JSON about it; or, with --diagnose, prints what this system
// makes of every output (tools/diagnosis_win.h). It writes settings only to
// remember the certificate --new-certificate made.
#include <windows.h>
#include <gdiplus.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "app/program_paths_win.h"
#include "base/gdi_handles_win.h"
#include "base/process_globals_win.h"
#include "base/safe_file_win.h"
#include "base/u16_format.h"
#include "base/wide_text_win.h"
#include "dates/clock_win.h"
#include "dates/era_registry_win.h"
#include "output/clipboard/stamp_copy_win.h"
#include "output/emf/emf_records.h"
#include "output/emf/metafile_output_win.h"
#include "output/raster/bitmap_output_win.h"
#include "output/raster/image_file_rules.h"
#include "output/raster/image_file_win.h"
#include "output/raster/image_resolution.h"
#include "output/pdf_sign/pdf_signer_win.h"
#include "tools/certificate_commands_win.h"
#include "tools/companion_args.h"
#include "tools/diagnosis_win.h"
#include "tools/json_writer.h"
#ifdef MARKOMI2_PDF_STAMPING
#include "output/pdf_sign/cms_verify_win.h"
#include "output/pdf_stamp/pdf_signatures_qpdf.h"
#include "output/pdf_stamp/pdf_stamp_qpdf.h"
#endif
#ifdef MARKOMI2_PDF_RENDERING
#include "output/pdf_stamp/pdf_render_poppler.h"
#include "tools/page_png_win.h"
#endif
#include "output/canvas/stamp_canvas.h"
#include "output/emf/vector_drawing.h"
#include "output/vector/vector_output_win.h"
#include "output/vector/vector_writers.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "render/row_fit.h"
#include "render/surfaces_gdiplus.h"
#include "resources/resource.h"
#include "settings/settings_files_win.h"
#include "settings/settings_rules.h"

using namespace markomi;

namespace {

// A console gets the UTF-16 text itself, so Japanese reads correctly
// whatever its code page; redirected output (a file, a pipe) gets UTF-8.
// False when not all of it arrived: no such handle, a pipe whose reader has
// gone, a full disk.
bool write_text(DWORD std_handle, std::u16string_view text) {
    HANDLE out = GetStdHandle(std_handle);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        while (!text.empty()) {
            DWORD written = 0;
            if (!WriteConsoleW(out, as_wide(text.data()), static_cast<DWORD>(text.size()), &written,
                               nullptr) ||
                written == 0)
                return false;
            text.remove_prefix(written);
        }
        return true;
    }
    const std::string bytes = u16_to_utf8(text);
    std::string_view rest = bytes;
    while (!rest.empty()) {
        DWORD written = 0;
        if (!WriteFile(out, rest.data(), static_cast<DWORD>(rest.size()), &written, nullptr) ||
            written == 0)
            return false;
        rest.remove_prefix(written);
    }
    // A file's full disk or quota may only show when the data goes out. A
    // pipe is not flushed: that would wait until the reader has read it all,
    // and a caller that reads only after the end would wait forever.
    return GetFileType(out) != FILE_TYPE_DISK || FlushFileBuffers(out);
}

void write_error(std::u16string_view text) { write_text(STD_ERROR_HANDLE, text); }

// The program declares itself per-monitor DPI aware in its manifest; a
// process that is not aware reads 96 from the screen on Windows whatever the
// setting. The companion asks for the same awareness before it reads the
// resolution, so that its metafiles are scaled as the program's.
void become_dpi_aware() {
    using SetContextFn = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto set_context = user32 ? reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(
                                    GetProcAddress(user32, "SetProcessDpiAwarenessContext")))
                              : nullptr;
    if (set_context && set_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) return;
    SetProcessDPIAware();
}

std::wstring user_settings_file() {
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return std::wstring();
    return std::wstring(folder) + L"\\Markomi2\\Markomi2.ini";
}

// A metafile's picture frame in pixels of its reference device.
// In pixels of the screen the metafile was made for: its millimetres against
// the screen's pixel count, not the header's own device, which the project's
// writer declares finer than the screen so that points keep their fractions.
bool emf_frame_size(HENHMETAFILE emf, int* width, int* height) {
    ENHMETAHEADER header{};
    if (!GetEnhMetaFileHeader(emf, sizeof header, &header)) return false;
    WindowDc screen(nullptr);
    if (!screen) return false;
    *width = emf_frame_side_pixels(header.rclFrame.right - header.rclFrame.left, header.szlMillimeters.cx,
                                   GetDeviceCaps(screen.get(), HORZRES));
    *height = emf_frame_side_pixels(header.rclFrame.bottom - header.rclFrame.top, header.szlMillimeters.cy,
                                    GetDeviceCaps(screen.get(), VERTRES));
    return true;
}

// The written image's size, read back from the file itself. The bytes are
// read here and decoded in memory, so a path of any length or form that the
// writers took is read back alike.
bool image_size(const std::wstring& path, ImageWriter writer, int* width, int* height) {
    constexpr std::size_t kLargestImage = 256u << 20;
    const FileBytes file = read_file_bytes(path, kLargestImage);
    if (file.state != FileRead::kRead || file.bytes.empty()) return false;
    const auto* bytes = reinterpret_cast<const BYTE*>(file.bytes.data());
    const UINT size = static_cast<UINT>(file.bytes.size());
    if (writer == ImageWriter::kEmf) {
        HENHMETAFILE emf = SetEnhMetaFileBits(size, bytes);
        if (!emf) return false;
        const bool ok = emf_frame_size(emf, width, height);
        DeleteEnhMetaFile(emf);
        return ok;
    }
    IStream* stream = SHCreateMemStream(bytes, size);
    if (!stream) return false;
    Gdiplus::GpBitmap* image = nullptr;
    const bool decoded = gdip::GdipCreateBitmapFromStream(stream, &image) == Gdiplus::Ok;
    UINT w = 0, h = 0;
    if (decoded) {
        gdip::GdipGetImageWidth(image, &w);
        gdip::GdipGetImageHeight(image, &h);
        gdip::GdipDisposeImage(image);
    }
    stream->Release();
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return decoded && w > 0 && h > 0;
}

bool clipboard_size(int* width, int* height) {
    if (!OpenClipboard(nullptr)) return false;
    bool ok = false;
    if (HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
        BITMAP info{};
        if (GetObject(bitmap, sizeof info, &info)) {
            *width = info.bmWidth;
            *height = info.bmHeight;
            ok = true;
        }
    } else if (HENHMETAFILE emf = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE))) {
        ok = emf_frame_size(emf, width, height);
    }
    CloseClipboard();
    return ok;
}

std::optional<ImageWriter> writer_for(const std::u16string& path) {
    std::u16string ext = lower_case_text(find_file_extension(path));
    if (ext == u".bmp") return ImageWriter::kBmp;
    if (ext == u".png") return ImageWriter::kPng;
    if (ext == u".jpg" || ext == u".jpeg") return ImageWriter::kJpeg;
    if (ext == u".emf") return ImageWriter::kEmf;
    if (ext == u".svg") return ImageWriter::kSvg;
    if (ext == u".pdf") return ImageWriter::kPdf;
    return std::nullopt;
}

enum class Saved { kWritten, kNotWritten, kNotReadBack };

// Writes the file and reads its size back: from the file itself for the
// raster and metafile writers, from the picture frame for SVG and PDF.
Saved save_image(SettingsSet& set, int slot, ImageWriter writer, int dpi, const std::wstring& path,
                 int* width, int* height) {
    bool written = false;
    switch (writer) {
        case ImageWriter::kSvg:
        case ImageWriter::kPdf: {
            const VectorFormat format = writer == ImageWriter::kSvg ? VectorFormat::kSvg : VectorFormat::kPdf;
            return save_stamp_vector(set, slot, format, path.c_str(), width, height) ? Saved::kWritten
                                                                                    : Saved::kNotWritten;
        }
        case ImageWriter::kEmf: written = save_stamp_emf(set, slot, path.c_str()); break;
        case ImageWriter::kBmp:
        case ImageWriter::kPng:
        case ImageWriter::kJpeg: written = save_stamp_image_at(set, slot, writer, dpi, path.c_str()); break;
    }
    if (!written) return Saved::kNotWritten;
    return image_size(path, writer, width, height) ? Saved::kWritten : Saved::kNotReadBack;
}

// The profile functions look for a name without a folder in the Windows
// folder; on the command line it means the current folder.
std::wstring full_path(const std::wstring& path) {
    std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
    if (full.empty()) return path;
    full.resize(GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    return full;
}

bool is_file(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Writes the result for the script that reads it; without it the run has
// failed, though a written file stays.
int write_result(const std::u16string& json) {
    if (!write_text(STD_OUTPUT_HANDLE, json)) {
        write_error(u"error: the result could not be written to standard output / 結果を標準出力に書き込めません\n");
        return 1;
    }
    return 0;
}

// Millimetres to a tenth, as the replies give them.
double tenths(double mm) { return static_cast<double>(std::llround(mm * 10)) / 10; }

#ifdef MARKOMI2_PDF_STAMPING

// Now, as the local clock gives it, with the time zone's offset from UTC
// then (the bias Windows keeps is UTC minus local time, in minutes).
SigningTime local_stamp_time() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    TIME_ZONE_INFORMATION zone;
    const DWORD kind = GetTimeZoneInformation(&zone);
    LONG bias = zone.Bias;
    if (kind == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
    if (kind == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
    if (kind == TIME_ZONE_ID_INVALID) bias = 0;
    return SigningTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, static_cast<int>(-bias)};
}

// "Markomi2-" and 32 random hex digits: the annotation's /NM, unique to it.
std::string unique_stamp_id() {
    static const char kHex[] = "0123456789abcdef";
    std::random_device random;
    std::string id = "Markomi2-";
    for (int i = 0; i < 4; ++i)
        for (unsigned word = random(), k = 0; k < 8; ++k, word >>= 4) id += kHex[word & 15];
    return id;
}

// What the annotation says: the NAME line, and the three lines as the stamp shows them.
PdfStampNote stamp_note(const SettingsSet& set, int slot) {
    PdfStampNote note;
    note.title_utf8 = u16_to_utf8(set.global.name.view());
    std::u16string lines;
    for (const std::u16string& line :
         {std::u16string(set.global.busho.view()),
          slot_date_text(set.slots[static_cast<std::size_t>(slot)], set.date, g_era_table),
          std::u16string(set.global.name.view())})
        if (!line.empty()) lines += (lines.empty() ? u"" : u" ") + line;
    note.contents_utf8 = u16_to_utf8(lines);
    note.when = local_stamp_time();
    return note;
}

// One document: its JSON line, and on a refusal the reason on standard error
// (the JSON names it for the program) with nothing written. A document
// throwing what the library did not catch is that document's refusal; the
// others go on. Returns the single form's exit code for it.
int stamp_one_pdf(const CompanionArgs& args, const SettingsSet& set, int slot,
                  const PdfStampJob& form, const std::u16string& input, const std::u16string& copy,
                  std::vector<std::wstring>* copies_written) {
    PdfStampJob job = form;
    job.note.unique_id = unique_stamp_id();
    job.input = extended_length_path(full_path(to_wide(input)));
    job.output = extended_length_path(full_path(to_wide(copy)));
    PdfStampResult result;
    const bool written_now =
        std::any_of(copies_written->begin(), copies_written->end(), [&](const std::wstring& w) {
            return CompareStringOrdinal(w.c_str(), -1, job.output.c_str(), -1, TRUE) == CSTR_EQUAL;
        });
    // A copy this run wrote is never replaced by another document's, even
    // with --replace: two documents of one name into one folder.
    if (written_now ||
        (!args.replace && GetFileAttributesW(job.output.c_str()) != INVALID_FILE_ATTRIBUTES)) {
        result.refusal = PdfRefusal::kExists;
    } else {
        try {
            result = stamp_pdf_file(job);
        } catch (std::exception& e) {
            result = PdfStampResult{};
            result.refusal = PdfRefusal::kUnreadable;
            result.detail = e.what();
        } catch (...) {
            result = PdfStampResult{};
            result.refusal = PdfRefusal::kUnreadable;
        }
    }
    // The program reads the lines that start with '{' as the replies: a
    // library message of many lines must not start one.
    std::replace_if(
        result.detail.begin(), result.detail.end(), [](char c) { return c == '\n' || c == '\r'; },
        ' ');
    JsonWriter json;
    json.begin_object();
    if (result.refusal != PdfRefusal::kNone) {
        write_error(u"error: " + input + u": " + pdf_refusal_bilingual(result) + u"\n");
        json.key(u"refused").string(pdf_refusal_name(result.refusal));
        json.key(u"page").number(result.bad_page).key(u"page_count").number(result.page_count);
        json.key(u"input").string(input).key(u"out").string(copy).end_object();
        write_text(STD_OUTPUT_HANDLE, json.text() + u"\n");
        return 1;
    }
    copies_written->push_back(job.output);
    const SlotSettings& s = set.slots[static_cast<std::size_t>(slot)];
    json.key(u"slot").number(slot + 1).key(u"design").string(companion_design_name(slot));
    json.key(u"input").string(input).key(u"output").string(copy).key(u"out").string(copy);
    json.key(u"format").string(u"PDF");
    json.key(u"page_count").number(result.page_count).key(u"pages").begin_array();
    for (const PdfPagePlaced& p : result.placed) json.number(p.page);
    json.end_array().key(u"placements").begin_array();
    for (const PdfPagePlaced& p : result.placed) {
        json.begin_object().key(u"page").number(p.page);
        json.key(u"x_mm").real(tenths(p.placement.centre_x_mm)).key(u"y_mm").real(tenths(p.placement.centre_y_mm));
        json.end_object();
    }
    json.end_array();
    json.key(u"width_mm").real(tenths(job.width_pt * 25.4 / 72));
    json.key(u"height_mm").real(tenths(job.height_pt * 25.4 / 72));
    json.key(u"date").string(slot_date_text(s, set.date, g_era_table)).key(u"warnings").begin_array();
    for (const std::string& w : result.warnings) json.string(utf8_to_u16(w));
    // Only a rewritten copy voids a signature; an update keeps it.
    if (result.was_signed && !result.incremental)
        json.string(u"the signature no longer covers the document / 電子署名は文書全体を証明しなくなりました");
    json.end_array();
    // The program words a repaired copy and a voided signature differently.
    json.key(u"repaired").boolean(result.repairs > 0).key(u"signed").boolean(result.was_signed);
    json.key(u"incremental").boolean(result.incremental).key(u"kept_signatures").number(result.kept_signatures);
    if (job.signature) json.key(u"signed_by").string(utf8_to_u16(job.signature->name_utf8));
    json.end_object();
    return write_result(json.text() + u"\n");
}

// The slot's stamp onto pages of each PDF document, one JSON line per
// document in order. Exit code 0 when every one was stamped, else the
// highest a single document's would have been.
int stamp_onto_pdf(const CompanionArgs& args, SettingsSet& set, int slot) {
    VectorDrawing drawing;
    if (!capture_stamp_drawing(set, slot, &drawing)) {
        write_error(u"error: the stamp could not be drawn / 日付印を描けません\n");
        return 1;
    }
    PdfStampJob form;
    form.form = pdf_drawing_content(drawing, &form.width_pt, &form.height_pt);
    form.pages = args.pages;
    form.position = args.position;
    form.allow_signed = args.allow_signed;
    form.flatten = args.flatten;
    form.note = stamp_note(set, slot);
    // One signer for the pile: its key is acquired once, so a smart card
    // asks its PIN once where the provider allows. A signer that cannot be
    // had refuses each document with its reason, writing nothing.
    std::unique_ptr<PdfSigner> signer;
    std::string no_signer;
    if (args.sign) {
        const std::optional<std::u16string> thumbprint = signing_certificate_choice(args, set.pdf);
        if (!thumbprint) {
            no_signer =
                "no certificate is remembered: give --cert or make one with --new-certificate / "
                "覚えている証明書がありません(--cert で指定するか --new-certificate で作成)";
        } else {
            SignerOpening opening = PdfSigner::open(to_wide(*thumbprint));
            signer = std::move(opening.signer);
            no_signer = opening.why_utf8;
        }
        PdfSignatureRequest request;
        if (signer) request.name_utf8 = u16_to_utf8(as_u16(std::wstring_view(signer->certificate().subject)));
        request.reason_utf8 = u16_to_utf8(args.reason);
        if (args.location) request.location_utf8 = u16_to_utf8(*args.location);
        const SigningTime when = form.note.when;
        PdfSigner* const by = signer.get();
        request.sign = [by, when, no_signer](const std::vector<std::string_view>& parts,
                                             std::string* why) -> std::optional<std::string> {
            if (!by) {
                *why = no_signer;
                return std::nullopt;
            }
            return by->sign(parts, when, why);
        };
        form.signature = std::move(request);
    }
    std::vector<std::wstring> copies_written;
    int code = 0;
    for (std::size_t i = 0; i < args.stamp_onto.size(); ++i)
        code = std::max(code, stamp_one_pdf(args, set, slot, form, args.stamp_onto[i],
                                            args.copies[i], &copies_written));
    return code;
}

// "page" and "box_mm": [left, top, width, height] on the page as shown, to
// a hundredth of a millimetre: where the stamping window draws the mark.
void write_place(JsonWriter& json, int page, const std::optional<PdfMmRect>& box) {
    if (page <= 0) return;
    json.key(u"page").number(page);
    if (!box) return;
    json.key(u"box_mm").begin_array();
    for (double v : {box->left_mm, box->top_mm, box->width_mm, box->height_mm})
        json.real(std::round(v * 100) / 100);
    json.end_array();
}

// --verify: one JSON object about the document's signatures and our
// stamps. Exit code 0 when every signature holds (whoever trusts its
// certificate), 1 when one does not, 2 when the file cannot be read.
int verify_command(const CompanionArgs& args) {
    const std::u16string& input = *args.verify;
    const PdfSignaturesReport report = read_pdf_signatures(extended_length_path(full_path(to_wide(input))));
    JsonWriter json;
    json.begin_object().key(u"input").string(input);
    if (report.refusal != PdfRefusal::kNone) {
        PdfStampResult why;
        why.refusal = report.refusal;
        why.detail = report.detail;
        std::replace_if(why.detail.begin(), why.detail.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        write_error(u"error: " + input + u": " + pdf_refusal_bilingual(why) + u"\n");
        json.key(u"refused").string(pdf_refusal_name(report.refusal)).end_object();
        write_text(STD_OUTPUT_HANDLE, json.text() + u"\n");
        return 2;
    }
    const std::string_view file = report.file;
    bool all_hold = true;
    json.key(u"revisions").number(report.revisions).key(u"signatures").begin_array();
    for (const PdfSignatureFound& s : report.signatures) {
        CmsCheck cms;
        if (s.range.valid)
            cms = check_detached_cms(s.range.contents,
                                     {file.substr(0, s.range.first_end),
                                      file.substr(s.range.second_start, s.range.end - s.range.second_start)});
        const bool holds = s.range.valid && cms.digest_holds && cms.signature_holds &&
                           s.later != PdfLaterChanges::kOther;
        all_hold = all_hold && holds;
        std::string detail = !s.range.valid ? s.range.why
                             : s.revision == 0 ? "the byte range ends where no revision of the file does"
                             : s.later == PdfLaterChanges::kOther && cms.digest_holds
                                 ? "the document was changed after it was signed beyond signatures and annotations"
                                 : cms.detail_utf8;
        json.begin_object().key(u"field").string(utf8_to_u16(s.field_utf8));
        json.key(u"signer").string(cms.signer.empty() ? utf8_to_u16(s.name_utf8) : as_u16(cms.signer.c_str()));
        json.key(u"time").string(utf8_to_u16(cms.signing_time ? *cms.signing_time : s.time_iso));
        json.key(u"digest").boolean(s.range.valid && cms.digest_holds);
        json.key(u"signature").boolean(s.range.valid && cms.signature_holds);
        json.key(u"trusted").boolean(cms.chain_trusted).key(u"revision").number(s.revision);
        json.key(u"covers_whole_file").boolean(s.covers_whole_file);
        json.key(u"later_changes").string(pdf_later_changes_name(s.later));
        json.key(u"status").string(!holds ? u"invalid" : cms.chain_trusted ? u"valid" : u"unknown");
        if (!detail.empty()) json.key(u"detail").string(utf8_to_u16(detail));
        write_place(json, s.page, s.box);
        if (s.stamp >= 0) json.key(u"stamp").number(s.stamp);
        json.end_object();
    }
    json.end_array().key(u"stamps").begin_array();
    for (const PdfStampFound& stamp : report.stamps) {
        json.begin_object().key(u"text").string(utf8_to_u16(stamp.text_utf8));
        json.key(u"time").string(utf8_to_u16(stamp.time_iso)).key(u"page").number(stamp.page);
        json.key(u"signed").boolean(stamp.is_signed);
        write_place(json, stamp.page, stamp.box);
        json.end_object();
    }
    json.end_array().end_object();
    if (write_result(json.text() + u"\n") != 0) return 2;
    return all_hold ? 0 : 1;
}

#else
int verify_command(const CompanionArgs&) {
    write_error(u"error: this copy was built without the PDF library / この版は PDF の検証に対応していません\n");
    return 2;
}

int stamp_onto_pdf(const CompanionArgs&, SettingsSet&, int) {
    write_error(u"error: this copy was built without the PDF library / この版は PDF への捺印に対応していません\n");
    return 1;
}
#endif

#ifdef MARKOMI2_PDF_RENDERING
// Whether the document can be read, before poppler opens it: poppler would
// take a missing file and one another program holds alike as unreadable.
PdfRenderRefusal open_refusal(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return PdfRenderRefusal::kNone;
    }
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME: return PdfRenderRefusal::kMissing;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return PdfRenderRefusal::kLocked;
        default: return PdfRenderRefusal::kUnreadable;
    }
}

// --render: one JSON line about the page; with --out the page drawn into a
// PNG file. Exit code 0 when answered, 2 when refused.
int render_command(const CompanionArgs& args) {
    const std::wstring path = extended_length_path(full_path(to_wide(*args.render)));
    const int dpi = args.out ? args.render_dpi : 0;
    PdfPageRender page;
    page.page = args.render_page;
    page.refusal = open_refusal(path);
    if (page.refusal == PdfRenderRefusal::kNone) page = render_pdf_page(path, args.render_page, dpi);
    JsonWriter json;
    json.begin_object();
    const bool drawn = page.refusal == PdfRenderRefusal::kNone && args.out;
    if (drawn && !write_page_png(extended_length_path(full_path(to_wide(*args.out))), page.rgb, page.width_px,
                                 page.height_px, dpi)) {
        write_error(u"error: cannot write " + *args.out + u" / 書き込めません\n");
        return 1;
    }
    json.key(u"rendered").boolean(drawn);
    if (page.refusal != PdfRenderRefusal::kNone) {
        json.key(u"refusal").string(pdf_render_refusal_name(page.refusal));
        json.key(u"pages").number(page.pages).key(u"page").number(page.page).end_object();
        write_text(STD_OUTPUT_HANDLE, json.text() + u"\n");
        return 2;
    }
    json.key(u"pages").number(page.pages).key(u"page").number(page.page);
    json.key(u"width_mm").real(tenths(page.width_mm)).key(u"height_mm").real(tenths(page.height_mm));
    json.key(u"rotation").number(page.rotation);
    if (drawn) json.key(u"width_px").number(page.width_px).key(u"height_px").number(page.height_px);
    json.key(u"forbids_changes").boolean(page.forbids_changes).key(u"signed").boolean(page.is_signed);
    if (drawn) json.key(u"out").string(as_u16(full_path(to_wide(*args.out)).c_str()));
    json.end_object();
    return write_result(json.text() + u"\n");
}
#else
int render_command(const CompanionArgs&) {
    write_error(u"error: this copy was built without the PDF renderer / この版は PDF の表示に対応していません\n");
    return 1;
}
#endif

int run(const CompanionArgs& args, Gdiplus::Status gdiplus_startup) {
    SettingsSet& set = g_settings;
    std::wstring ini = args.ini ? full_path(to_wide(*args.ini)) : user_settings_file();
    // A named settings file that is not there is a mistake, not a wish for
    // the defaults: nothing is rendered.
    if (args.ini && !is_file(ini)) {
        write_error(u"error: settings file not found / 設定ファイルがありません: " + *args.ini + u"\n");
        return 1;
    }
    // Read as the program reads its own file: Shift-JIS or UTF-8 without a
    // byte-order mark decode the same whatever the system's code page. A
    // named file that is no settings text (too large, a NUL in it, locked)
    // is refused as a missing one is: its defaults are not what was asked for.
    const SettingsFileState state = load_settings_file(ini, set);
    if (state != SettingsFileState::kRead && args.ini) {
        write_error(
            u"error: not a settings file, or it cannot be read / 設定ファイルとして読めません: " +
            *args.ini + u"\n");
        return 1;
    }
    if (args.list_certificates || args.new_certificate || args.export_certificate) {
        const CommandAnswer answer = args.list_certificates    ? list_certificates_command()
                                     : args.export_certificate ? export_certificate_command(args)
                                                               : new_certificate_command(set, ini, state);
        if (!answer.error.empty()) write_error(answer.error);
        if (!answer.output.empty() && write_result(answer.output) != 0) return 1;
        return answer.code;
    }
    set.date = args.date ? *args.date : system_clock_date();
    if (args.diagnose)
        return write_result(diagnosis_json(set, DiagnosisSettings{std::u16string(as_u16(ini)), is_file(ini)},
                                           static_cast<int>(gdiplus_startup)) +
                            u"\n");
    const int slot = args.slot ? args.slot - 1 : set.global.active;
    if (!args.stamp_onto.empty()) return stamp_onto_pdf(args, set, slot);

    std::u16string target;
    std::u16string format;
    std::u16string resolution;  // the raster files' ",\"dpi\":N"
    int width = 0, height = 0;
    if (args.out) {
        const std::optional<ImageWriter> writer = writer_for(*args.out);
        if (!writer) {
            write_error(u"error: --out must end in .bmp, .png, .jpg, .emf, .svg or .pdf / 拡張子は .bmp .png .jpg .emf .svg .pdf のいずれか\n");
            return 2;
        }
        const int dpi = args.dpi.value_or(kImageDpi);
        if (dpi != kImageDpi && *writer != ImageWriter::kBmp && *writer != ImageWriter::kPng &&
            *writer != ImageWriter::kJpeg) {
            write_error(u"error: --dpi is for .bmp, .png and .jpg files / --dpi は .bmp .png .jpg のみ\n");
            return 2;
        }
        // Long paths reach the file functions with the "\\?\" prefix; one
        // given with it is taken as it is.
        const std::wstring path = extended_length_path(to_wide(*args.out));
        switch (save_image(set, slot, *writer, dpi, path, &width, &height)) {
            case Saved::kWritten: break;
            case Saved::kNotWritten:
                write_error(u"error: cannot write " + *args.out + u" / 書き込めません\n");
                return 1;
            case Saved::kNotReadBack:
                write_error(u"error: " + *args.out +
                            u" was written but cannot be read back / 書き込みましたが読み戻せません\n");
                return 1;
        }
        target = *args.out;
        static const char16_t* kNames[] = {u"BMP", u"PNG", u"JPG", u"EMF", u"SVG", u"PDF"};
        format = kNames[static_cast<int>(*writer)];
        if (*writer == ImageWriter::kBmp || *writer == ImageWriter::kPng || *writer == ImageWriter::kJpeg)
            resolution = u",\"dpi\":" + decimal_text(dpi);
    } else {
        char16_t letter = args.format ? *args.format : (set.global.format.empty() ? u'M' : set.global.format.view()[0]);
        HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        bool metafile = choose_stamp_output(letter, false) == StampOutput::kMetafile;
        bool ok = metafile ? copy_metafile_to_clipboard(set, slot, owner)
                           : copy_bitmap_to_clipboard(set, slot, owner);
        if (!ok || !clipboard_size(&width, &height)) {
            write_error(u"error: the clipboard could not be used / クリップボードを使えません\n");
            if (owner) DestroyWindow(owner);
            return 1;
        }
        if (owner) DestroyWindow(owner);
        target = u"clipboard";
        format = metafile ? u"M" : u"B";
    }

    const SlotSettings& s = set.slots[static_cast<std::size_t>(slot)];
    std::u16string json = u"{\"slot\":" + decimal_text(slot + 1) + u",\"design\":" +
                          json_string(companion_design_name(slot)) + u",\"output\":" + json_string(target) +
                          u",\"format\":" + json_string(format) + u",\"width\":" + decimal_text(width) +
                          u",\"height\":" + decimal_text(height) + resolution + u",\"date\":" +
                          json_string(slot_date_text(s, set.date, g_era_table)) +
                          u",\"heights\":{\"busho\":" + decimal_text(s.busho.height) +
                          u",\"date\":" + decimal_text(s.date.height) + u",\"name\":" +
                          decimal_text(s.name.height) + u"}}\n";
    return write_result(json);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::u16string> words;
    for (int i = 1; i < argc; ++i) words.emplace_back(as_u16(argv[i]));
    CompanionParse parsed = parse_companion_args(words);
    if (!parsed.args) {
        write_error(u"error: " + parsed.error + u"\n" + companion_usage());
        return 2;
    }
    if (parsed.args->help) return write_text(STD_OUTPUT_HANDLE, companion_usage()) ? 0 : 1;
    if (parsed.args->version)
        return write_text(STD_OUTPUT_HANDLE, u"Markomi2Stamp " MARKOMI2_VERSION_TEXT u"\n") ? 0 : 1;
    if (parsed.args->verify) return verify_command(*parsed.args);
    become_dpi_aware();
    g_startup_dpi = read_screen_dpi();
    g_current_dpi = read_screen_dpi();
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    const Gdiplus::Status started = Gdiplus::GdiplusStartup(&token, &input, nullptr);
    load_era_table();
    init_measure_cache();
    create_surfaces();
    int code = parsed.args->render ? render_command(*parsed.args) : run(*parsed.args, started);
    release_surfaces();
    free_era_table();
    Gdiplus::GdiplusShutdown(token);
    return code;
}
