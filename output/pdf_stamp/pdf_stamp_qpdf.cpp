#include "output/pdf_stamp/pdf_stamp_qpdf.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFAnnotationObjectHelper.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <io.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "base/safe_file_win.h"
#include "base/win_handles_win.h"
#include "output/pdf_stamp/pdf_annotation_qpdf.h"
#include "output/pdf_stamp/pdf_incremental.h"
#include "output/pdf_stamp/pdf_page_content_qpdf.h"
#include "output/pdf_stamp/pdf_page_geometry_qpdf.h"
#include "output/pdf_stamp/pdf_signature_slot.h"
#include "output/pdf_stamp/pdf_page_tree_qpdf.h"
#include "output/pdf_stamp/pdf_stamp_cover.h"
#include "output/vector/vector_writers.h"

namespace markomi {
namespace {

// The largest file whose damage qpdf is let repair: about ten seconds of
// its reading under Wine, a few on Windows.
constexpr long long kLargestRepairedFile = 32ll << 20;

// Closes a stdio file on every path; close() reports whether the last
// buffered bytes reached the file.
class StdioFile {
public:
    StdioFile(const std::wstring& path, const wchar_t* mode) : file_(_wfopen(path.c_str(), mode)) {}
    ~StdioFile() {
        if (file_) std::fclose(file_);
    }
    StdioFile(const StdioFile&) = delete;
    StdioFile& operator=(const StdioFile&) = delete;
    FILE* get() const { return file_; }
    bool close() {
        FILE* f = file_;
        file_ = nullptr;
        return f && std::fclose(f) == 0;
    }

private:
    FILE* file_;
};

// A PDF header in the first kilobyte, where readers look for it.
bool has_pdf_header(FILE* file) {
    char head[1024];
    const std::size_t n = std::fread(head, 1, sizeof head, file);
    std::rewind(file);
    for (std::size_t i = 0; i + 5 <= n; ++i)
        if (std::memcmp(head + i, "%PDF-", 5) == 0) return true;
    return false;
}

// A signature field that holds a signature value.
bool carries_signature(QPDF& pdf) {
    QPDFAcroFormDocumentHelper forms(pdf);
    if (!forms.hasAcroForm()) return false;
    for (QPDFFormFieldObjectHelper& field : forms.getFormFields())
        if (field.getFieldType() == "/Sig" && field.getValue().isDictionary()) return true;
    return false;
}

// The page's own resources, with an /XObject dictionary of its own that
// names the stamp's form; resources or XObject dictionaries that other pages
// share (or inherit) are copied first, not changed. The name is new to the page.
std::string name_form_on_page(QPDFPageObjectHelper& page, QPDFObjectHandle form) {
    QPDFObjectHandle page_object = page.getObjectHandle();
    QPDFObjectHandle resources = page.getAttribute("/Resources", true);
    resources = resources.isDictionary() ? resources.shallowCopy() : QPDFObjectHandle::newDictionary();
    QPDFObjectHandle xobjects = resources.getKey("/XObject");
    xobjects = xobjects.isDictionary() ? xobjects.shallowCopy() : QPDFObjectHandle::newDictionary();
    resources.replaceKey("/XObject", xobjects);
    page_object.replaceKey("/Resources", resources);
    int suffix = 1;
    const std::string name = resources.getUniqueResourceName("/Markomi2Stamp", suffix);
    xobjects.replaceKey(name, form);
    return name;
}

std::string matrix_text(const double m[6]) {
    std::string s;
    // Nine places: a /UserUnit of up to 75,000 scales by 1/75,000.
    for (int i = 0; i < 6; ++i) s += vector_number(m[i], 9) + " ";
    return s + "cm";
}

// A warning for each annotation a reader draws over the stamp's place:
// readers draw annotations above the page's content, the stamp included.
void warn_of_covering_annotations(QPDFPageObjectHelper& page, const PdfPagePlaced& placed,
                                  const PdfStampJob& job, std::vector<std::string>* warnings) {
    for (QPDFAnnotationObjectHelper& annotation : page.getAnnotations()) {
        if (!annotation_is_drawn(annotation.getSubtype(), annotation.getFlags())) continue;
        const QPDFObjectHandle::Rectangle r = annotation.getRect();
        if (!rect_overlaps_stamp(PdfBox{r.llx, r.lly, r.urx, r.ury}, placed.placement, job.width_pt,
                                 job.height_pt))
            continue;
        const std::string page_number = std::to_string(placed.page);
        warnings->push_back("page " + page_number + ": an annotation or form field (" +
                            annotation.getSubtype().substr(1) +
                            ") lies over the stamp and may hide it / " + page_number +
                            " ページ目: 注釈またはフォーム欄が印影に重なり、"
                            "印影を隠すおそれがあります");
        return;
    }
}

// Whether the written copy opens, has every page, and the stamp's streams
// on the stamped pages decode: a sound input can still give a copy that
// does not (a wrong key length in its encryption), which must not replace
// anything.
bool reads_back(const wchar_t* path, int page_count,
                const std::vector<std::pair<int, std::string>>& stamped) {
    StdioFile in(path, L"rb");
    if (!in.get()) return false;
    try {
        QPDF copy;
        copy.setSuppressWarnings(true);
        copy.processFile("stamped copy", in.get(), false, "");
        if (!page_tree_fault(copy).empty()) return false;
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(copy).getAllPages();
        if (static_cast<int>(pages.size()) != page_count) return false;
        for (const auto& [number, name] : stamped) {
            QPDFObjectHandle page = pages[static_cast<std::size_t>(number - 1)].getObjectHandle();
            QPDFObjectHandle contents = page.getKey("/Contents");
            if (contents.isArray()) contents = contents.getArrayItem(contents.getArrayNItems() - 1);
            if (!decodes_within_bound(contents) ||
                !decodes_within_bound(page.getKey("/Resources").getKey("/XObject").getKey(name)))
                return false;
        }
        return true;
    } catch (std::exception&) {
        return false;
    }
}

PdfStampResult refused(PdfRefusal why, std::string detail = std::string()) {
    PdfStampResult r;
    r.refusal = why;
    r.detail = std::move(detail);
    return r;
}

// The refusal that tells why the copy could not be written.
PdfRefusal refusal_for(SaveFailure cause) {
    switch (cause) {
        case SaveFailure::kDiskFull:
            return PdfRefusal::kDiskFull;
        case SaveFailure::kLocked:
            return PdfRefusal::kOutputLocked;
        case SaveFailure::kDenied:
            return PdfRefusal::kDenied;
        case SaveFailure::kNoFolder:
            return PdfRefusal::kNoFolder;
        default:
            return PdfRefusal::kNotWritten;
    }
}

// Writes the copy through a staging file (`write` fills it) that replaces
// `output` only once it is closed and `reads_back`; nullopt then. Else the
// refusal that tells why, the page count carried over; the target is as it was.
template <typename Write, typename ReadsBack>
std::optional<PdfStampResult> write_copy(const std::wstring& output, int page_count, Write write,
                                         ReadsBack reads_back) {
    bool damaged = false;
    SaveFailure cause = SaveFailure::kNone;
    const bool staged = write_file_through_staging(
        output,
        [&](const wchar_t* staging) {
            StdioFile out(staging, L"wb");
            if (!out.get() || !write(out.get()) || !out.close()) return false;
            damaged = !reads_back(staging);
            return !damaged;
        },
        &cause);
    if (staged) return std::nullopt;
    PdfStampResult failed = refused(damaged ? PdfRefusal::kNotWritten : refusal_for(cause),
                                    damaged ? "the written copy does not read back" : "");
    failed.page_count = page_count;
    return failed;
}

// Whether the written update opens, has every page, and each placed page
// lists its new annotation, whose appearance decodes.
bool update_reads_back(const wchar_t* path, int page_count, const std::vector<PdfPagePlaced>& placed,
                       const std::vector<int>& annotations) {
    StdioFile in(path, L"rb");
    if (!in.get()) return false;
    try {
        QPDF copy;
        copy.setSuppressWarnings(true);
        copy.processFile("stamped copy", in.get(), false, "");
        if (!page_tree_fault(copy).empty() || copy.anyWarnings()) return false;
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(copy).getAllPages();
        if (static_cast<int>(pages.size()) != page_count) return false;
        for (std::size_t i = 0; i < placed.size(); ++i) {
            QPDFObjectHandle annots =
                pages[static_cast<std::size_t>(placed[i].page - 1)].getObjectHandle().getKey("/Annots");
            QPDFObjectHandle found;
            for (int k = 0; annots.isArray() && k < annots.getArrayNItems(); ++k)
                if (annots.getArrayItem(k).getObjectID() == annotations[i]) found = annots.getArrayItem(k);
            if (!found.isDictionary()) return false;
            QPDFObjectHandle appearance = found.getKey("/AP");
            appearance = appearance.isDictionary() ? appearance.getKey("/N") : appearance;
            if (!appearance.isStream() || !decodes_within_bound(appearance)) return false;
            QPDFObjectHandle resources = appearance.getDict().getKey("/Resources");
            QPDFObjectHandle forms = resources.isDictionary() ? resources.getKey("/XObject") : resources;
            if (!forms.isDictionary() || !decodes_within_bound(forms.getKey("/S0"))) return false;
        }
        return true;
    } catch (std::exception&) {
        return false;
    }
}

// All of a file's bytes; false when they could not be read.
bool read_all(FILE* file, std::string* bytes) {
    std::rewind(file);
    char buffer[1 << 16];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->append(buffer, n);
    return !std::ferror(file);
}

// The stamp as annotations appended to the input's bytes as they are (see
// pdf_incremental.h), signed through the slot when asked. The input must
// have been read without repair: an update refers to the objects by the
// offsets the file gives, which repair found wrong.
PdfStampResult append_stamp(QPDF& pdf, FILE* input, std::vector<QPDFPageObjectHelper>& pages,
                            const PdfStampJob& job, PdfStampResult result) {
    std::string bytes;
    if (!read_all(input, &bytes)) return refused(PdfRefusal::kUnreadable);
    const std::optional<PdfTail> tail = read_pdf_tail(bytes);
    if (!tail) return refused(PdfRefusal::kNeedsRewrite, "no cross-reference section at the end");
    result.kept_signatures = signature_count(pdf);
    QPDFObjectHandle trailer = pdf.getTrailer();
    // New numbers start at /Size, and past any number qpdf knows of.
    int first = 1;
    QPDFObjectHandle size = trailer.getKey("/Size");
    if (size.isInteger() && size.getIntValue() > 0 && size.getIntValue() < (1 << 23))
        first = static_cast<int>(size.getIntValue());
    for (const auto& entry : pdf.getXRefTable()) first = std::max(first, entry.first.getObj() + 1);
    const StampAnnotations made = make_stamp_annotations(pdf, pages, result.placed, job, first);
    // Warnings come as qpdf reads objects, the ones made use of included.
    if (pdf.anyWarnings()) {
        std::vector<QPDFExc> warnings = pdf.getWarnings();
        return refused(PdfRefusal::kNeedsRewrite, warnings.front().getMessageDetail());
    }

    PdfTrailerFacts facts;
    facts.size = first;
    facts.root = trailer.getKey("/Root").unparse();
    QPDFObjectHandle info = trailer.getKey("/Info");
    if (info.isIndirect()) facts.info = info.unparse();
    QPDFObjectHandle id = trailer.getKey("/ID");
    if (id.isArray() && id.getArrayNItems() == 2 && id.getArrayItem(0).isString())
        facts.id_first = id.getArrayItem(0).getStringValue();
    std::random_device random;
    for (int i = 0; i < 4; ++i) {
        const unsigned word = random();
        facts.id_second.append(reinterpret_cast<const char*>(&word), 4);
    }
    facts.prev = tail->startxref;
    facts.kind = tail->kind;
    const bool eol = !bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r');
    const PdfUpdate update = write_pdf_update(bytes.size(), eol, made.objects, facts);
    bytes += update.bytes;
    if (made.signature_index >= 0) {
        std::string why;
        const SlotSigner sign = job.signature->sign;
        if (!sign) return refused(PdfRefusal::kSigningFailed, "no signer");
        const SlotFill fill = fill_signature_slot(
            &bytes, update.bodies[static_cast<std::size_t>(made.signature_index)] + made.slot_in_body,
            made.room, sign, &why);
        if (fill == SlotFill::kSignerFailed) return refused(PdfRefusal::kSigningFailed, why);
        if (fill == SlotFill::kTooLarge) return refused(PdfRefusal::kSignatureTooLarge);
        if (fill != SlotFill::kSigned) return refused(PdfRefusal::kNotWritten, "no room for the signature");
    }

    const std::optional<PdfStampResult> failed = write_copy(
        job.output, result.page_count,
        [&](FILE* out) { return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size(); },
        [&](const wchar_t* staging) {
            return update_reads_back(staging, result.page_count, result.placed, made.annotations);
        });
    if (failed) return *failed;
    result.incremental = true;
    return result;
}

PdfStampResult stamp_document(QPDF& pdf, FILE* input, bool repair, const PdfStampJob& job) {
    pdf.setSuppressWarnings(true);
    pdf.setAttemptRecovery(repair);
    try {
        pdf.processFile("PDF", input, false, "");
    } catch (QPDFExc& e) {
        if (e.getErrorCode() == qpdf_e_password) return refused(PdfRefusal::kPassword);
        if (!repair && e.getErrorCode() == qpdf_e_damaged_pdf)
            return refused(PdfRefusal::kDamagedLarge, e.getMessageDetail());
        return refused(PdfRefusal::kUnreadable, e.getMessageDetail());
    }
    const std::string tree_fault = page_tree_fault(pdf);
    if (!tree_fault.empty()) return refused(PdfRefusal::kPageTree, tree_fault);
    PdfStampResult result;
    if (pdf.isEncrypted() && !pdf.allowModifyOther()) return refused(PdfRefusal::kForbidsChanges);
    result.was_signed = carries_signature(pdf);
    if (job.flatten) {
        if (result.was_signed && !job.allow_signed) return refused(PdfRefusal::kSigned);
    } else {
        // An update of an encrypted file would have to encrypt its strings
        // and streams as the file does: it is rewritten instead.
        if (pdf.isEncrypted()) return refused(PdfRefusal::kNeedsRewrite, "encrypted");
        // A certifying signature's /P: 1 allows no change, 2 signing but
        // no plain annotation, 3 annotations too.
        const int permission = certified_permission(pdf);
        if (permission == 1 || (permission == 2 && !job.signature))
            return refused(PdfRefusal::kCertifiedNoChanges);
    }

    QPDFPageDocumentHelper document(pdf);
    std::vector<QPDFPageObjectHelper> pages = document.getAllPages();
    result.page_count = static_cast<int>(pages.size());
    int missing = 0;
    const std::vector<int> chosen = chosen_pages(job.pages, result.page_count, &missing);
    if (missing) {
        result.refusal = PdfRefusal::kNoSuchPage;
        result.bad_page = missing;
        return result;
    }
    std::vector<PdfBox> media_boxes;  // of the placed pages, as readers take them
    for (int number : chosen) {
        PdfPagePlaced placed;
        placed.page = number;
        const PdfPageGeometry geometry = page_geometry(pages[static_cast<std::size_t>(number - 1)]);
        placed.placement = place_stamp_on_page(geometry, job.width_pt, job.height_pt, job.position);
        if (!placed.placement.ok) {
            result.refusal =
                placed.placement.bad_geometry ? PdfRefusal::kBadGeometry : PdfRefusal::kOffPage;
            result.bad_page = number;
            return result;
        }
        result.placed.push_back(placed);
        media_boxes.push_back(readers_media_box(geometry));
    }

    if (!job.flatten) return append_stamp(pdf, input, pages, job, std::move(result));

    // One form for every page.
    QPDFObjectHandle form = pdf.makeIndirectObject(QPDFObjectHandle::newStream(&pdf, job.form));
    QPDFObjectHandle form_dict = form.getDict();
    form_dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
    form_dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
    form_dict.replaceKey("/BBox", QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(
                                      0, 0, job.width_pt, job.height_pt)));
    form_dict.replaceKey("/Resources", QPDFObjectHandle::newDictionary());
    PageContentStamper stamper(pdf);
    std::vector<std::pair<int, std::string>> stamped;  // page and the stamp's name there
    for (std::size_t i = 0; i < result.placed.size(); ++i) {
        const PdfPagePlaced& placed = result.placed[i];
        QPDFPageObjectHelper& page = pages[static_cast<std::size_t>(placed.page - 1)];
        QPDFObjectHandle own_resources = page.getAttribute("/Resources", false);
        const std::string name = name_form_on_page(page, form);
        if (!stamper.stamp(page, own_resources, media_boxes[i],
                           "q " + matrix_text(placed.placement.matrix) + " " + name + " Do Q\n")) {
            PdfStampResult too_large = refused(PdfRefusal::kPageContent);
            too_large.bad_page = placed.page;
            too_large.page_count = result.page_count;
            return too_large;
        }
        stamped.emplace_back(placed.page, name);
        warn_of_covering_annotations(page, placed, job, &result.warnings);
    }

    const std::optional<PdfStampResult> failed = write_copy(
        job.output, result.page_count,
        [&](FILE* out) {
            try {
                QPDFWriter writer(pdf);
                writer.setOutputFile("stamped PDF", out, false);
                if (pdf.isLinearized()) writer.setLinearization(true);
                writer.write();
            } catch (std::exception&) {
                return false;
            }
            return true;
        },
        [&](const wchar_t* staging) { return reads_back(staging, result.page_count, stamped); });
    if (failed) return *failed;
    std::vector<std::string> recovered;
    for (QPDFExc& w : pdf.getWarnings()) recovered.push_back(w.getMessageDetail());
    result.warnings.insert(result.warnings.begin(), recovered.begin(), recovered.end());
    result.repairs = static_cast<int>(recovered.size());
    return result;
}

// Why the input cannot be opened for reading, told apart by CreateFileW's
// error, which Windows documents (the C runtime's errno folds a sharing
// violation into "permission denied"); kNone when it opens. Every sharing
// mode is offered, so only a program that holds the file without sharing
// reading makes it "locked".
PdfRefusal input_refusal(const std::wstring& path) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid()) return PdfRefusal::kNone;
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
            return PdfRefusal::kMissing;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return PdfRefusal::kLocked;
        default:
            return PdfRefusal::kUnreadable;
    }
}

}  // namespace

PdfStampResult stamp_pdf_file(const PdfStampJob& job) {
    const PdfRefusal cannot_open = input_refusal(job.input);
    if (cannot_open != PdfRefusal::kNone) return refused(cannot_open);
    StdioFile input(job.input, L"rb");
    if (!input.get()) return refused(PdfRefusal::kUnreadable);
    if (!has_pdf_header(input.get())) return refused(PdfRefusal::kNotPdf);
    if (same_existing_file(job.input, final_target_path(job.output))) return refused(PdfRefusal::kSameFile);
    // qpdf repairs a damaged file by reading all of it token by token, at a
    // few megabytes a second (a gibibyte of junk took six minutes under
    // Wine). A sound file of any size needs no repair and is read at the
    // speed of the disk; one over the bound that needs it is refused at
    // once, so every file ends within seconds.
    const long long size = _filelengthi64(_fileno(input.get()));
    const bool repair = size >= 0 && size <= kLargestRepairedFile;
    try {
        QPDF pdf;
        return stamp_document(pdf, input.get(), repair, job);
    } catch (std::exception& e) {
        // Damage qpdf could not work round while reading the pages.
        return refused(repair ? PdfRefusal::kUnreadable : PdfRefusal::kDamagedLarge, e.what());
    }
}

}  // namespace markomi
