#include "output/pdf_stamp/pdf_signatures_qpdf.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <cstring>
#include <map>
#include <set>

#include "base/safe_file_win.h"
#include "output/pdf_stamp/pdf_page_geometry_qpdf.h"
#include "output/pdf_stamp/pdf_page_tree_qpdf.h"

namespace markomi {
namespace {

constexpr std::size_t kLargestFile = 256u << 20;
// As the stamping: qpdf repairs damage only in files it reads within seconds.
constexpr std::size_t kLargestRepairedFile = 32u << 20;
// The form's field tree: no real form comes near these.
constexpr int kDeepestField = 32;
constexpr std::size_t kMostFields = 10000;
constexpr char kStampSubject[] = "\xE6\x97\xA5\xE4\xBB\x98\xE5\x8D\xB0";  // 日付印
constexpr char kStampIdPrefix[] = "Markomi2-";

std::string text_of(QPDFObjectHandle o) {
    return o.isString() ? o.getUTF8Value() : std::string();
}

// A field's value of an inheritable key, from it or its parents.
QPDFObjectHandle field_key(QPDFObjectHandle field, const char* key) {
    for (int depth = 0; field.isDictionary() && depth <= kDeepestField;
         ++depth, field = field.getKey("/Parent"))
        if (field.hasKey(key)) return field.getKey(key);
    return QPDFObjectHandle::newNull();
}

bool ours(QPDFObjectHandle annotation) {
    return text_of(annotation.getKey("/Subj")) == kStampSubject ||
           text_of(annotation.getKey("/NM")).rfind(kStampIdPrefix, 0) == 0;
}

struct Field {
    QPDFObjectHandle dict;
    std::string name;
};

// The signature fields holding a value, with their full names; each node
// once, within the bounds.
std::vector<Field> signature_fields(QPDF& pdf, std::set<QPDFObjGen>* field_objects) {
    std::vector<Field> found;
    std::vector<std::pair<Field, int>> stack;
    QPDFObjectHandle fields = pdf.getRoot().getKey("/AcroForm").getKey("/Fields");
    if (!fields.isArray()) return found;
    for (int i = fields.getArrayNItems() - 1; i >= 0; --i)
        stack.push_back({{fields.getArrayItem(i), ""}, 0});
    std::size_t visited = 0;
    while (!stack.empty() && visited++ < kMostFields) {
        auto [field, depth] = stack.back();
        stack.pop_back();
        if (!field.dict.isDictionary() || depth > kDeepestField) continue;
        if (field.dict.isIndirect() && !field_objects->insert(field.dict.getObjGen()).second)
            continue;
        const std::string part = text_of(field.dict.getKey("/T"));
        const std::string name = field.name.empty() ? part
                                 : part.empty()     ? field.name
                                                    : field.name + "." + part;
        QPDFObjectHandle kids = field.dict.getKey("/Kids");
        if (kids.isArray())
            for (int i = kids.getArrayNItems() - 1; i >= 0; --i)
                stack.push_back({{kids.getArrayItem(i), name}, depth + 1});
        QPDFObjectHandle type = field_key(field.dict, "/FT");
        if (type.isName() && type.getName() == "/Sig" && field.dict.getKey("/V").isDictionary())
            found.push_back({field.dict, name});
    }
    return found;
}

// What each object of the final file is to the change rule.
std::map<QPDFObjGen, PdfObjectRole> object_roles(
    QPDF& pdf, std::vector<QPDFPageObjectHelper>& pages,
    const std::set<QPDFObjGen>& signature_field_objects) {
    std::map<QPDFObjGen, PdfObjectRole> roles;
    auto mark = [&](QPDFObjectHandle o, PdfObjectRole role) {
        if (o.isIndirect()) roles[o.getObjGen()] = role;
    };
    for (const QPDFObjGen& og : signature_field_objects) roles[og] = PdfObjectRole::kAnnotation;
    QPDFObjectHandle trailer = pdf.getTrailer();
    mark(trailer.getKey("/Root"), PdfObjectRole::kCatalog);
    mark(trailer.getKey("/Info"), PdfObjectRole::kInfo);
    QPDFObjectHandle form = pdf.getRoot().getKey("/AcroForm");
    mark(form, PdfObjectRole::kAcroForm);
    mark(form.getKey("/Fields"), PdfObjectRole::kAnnotationArray);
    for (QPDFPageObjectHelper& page : pages) {
        mark(page.getObjectHandle(), PdfObjectRole::kPage);
        QPDFObjectHandle annots = page.getObjectHandle().getKey("/Annots");
        mark(annots, PdfObjectRole::kAnnotationArray);
        if (!annots.isArray()) continue;
        for (QPDFObjectHandle annot : annots.aitems()) {
            if (!annot.isDictionary()) continue;
            // A widget of another field is a form being filled in, no annotation.
            QPDFObjectHandle type = field_key(annot, "/FT");
            const bool other_field = annot.getKey("/Subtype").isNameAndEquals("/Widget") &&
                                     !(type.isName() && type.getName() == "/Sig");
            mark(annot, other_field ? PdfObjectRole::kOther : PdfObjectRole::kAnnotation);
        }
    }
    return roles;
}

bool same_entry(const QPDFXRefEntry& a, const QPDFXRefEntry& b) {
    if (a.getType() != b.getType()) return false;
    if (a.getType() == 1) return a.getOffset() == b.getOffset();
    return a.getObjStreamNumber() == b.getObjStreamNumber() &&
           a.getObjStreamIndex() == b.getObjStreamIndex();
}

bool same_stream_data(QPDFObjectHandle a, QPDFObjectHandle b) {
    std::shared_ptr<Buffer> x = a.getRawStreamData(), y = b.getRawStreamData();
    return x->getSize() == y->getSize() &&
           std::memcmp(x->getBuffer(), y->getBuffer(), x->getSize()) == 0;
}

// How an object differs between the revision and the final file; nullopt
// when it does not.
std::optional<PdfObjectChange> difference(QPDFObjectHandle old_object,
                                          QPDFObjectHandle new_object) {
    PdfObjectChange change;
    const bool streams = old_object.isStream() && new_object.isStream();
    if (streams && old_object.getDict().unparse() == new_object.getDict().unparse() &&
        same_stream_data(old_object, new_object))
        return std::nullopt;
    if (!streams && old_object.isDictionary() && new_object.isDictionary()) {
        std::set<std::string> keys = old_object.getKeys();
        for (const std::string& k : new_object.getKeys()) keys.insert(k);
        for (const std::string& k : keys)
            if (old_object.getKey(k).unparse() != new_object.getKey(k).unparse())
                change.changed_keys.push_back(k);
        if (change.changed_keys.empty()) return std::nullopt;
        return change;
    }
    // unparse() of an indirect object names it ("18 0 R"); its value is
    // unparseResolved()'s, with what it refers to still named.
    if (!streams && old_object.unparseResolved() == new_object.unparseResolved())
        return std::nullopt;
    change.dictionary = false;
    return change;
}

// The changes from the revision ending at `end` to the final document.
// Objects the update did not write again are the same bytes of the same
// prefix and are not compared.
PdfLaterChanges later_changes(QPDF& pdf, const std::string& file, std::size_t end,
                              const std::map<QPDFObjGen, PdfObjectRole>& roles) {
    QPDF older;
    older.setSuppressWarnings(true);
    older.setAttemptRecovery(false);
    try {
        older.processMemoryFile("signed revision", file.data(), end);
        const std::map<QPDFObjGen, QPDFXRefEntry> before = older.getXRefTable();
        const std::map<QPDFObjGen, QPDFXRefEntry> after = pdf.getXRefTable();
        auto unchanged = [&](const QPDFObjGen& og, const QPDFXRefEntry& entry) {
            auto it = before.find(og);
            if (it == before.end() || !same_entry(entry, it->second)) return false;
            if (entry.getType() != 2) return true;
            const QPDFObjGen stream(entry.getObjStreamNumber(), 0);
            auto a = before.find(stream), b = after.find(stream);
            return a != before.end() && b != after.end() && same_entry(a->second, b->second);
        };
        std::vector<PdfObjectChange> changes;
        for (const auto& [og, entry] : after) {
            if (unchanged(og, entry)) continue;
            auto role = roles.find(og);
            std::optional<PdfObjectChange> change;
            if (before.count(og) == 0) {
                change = PdfObjectChange{};
                change->added = true;
            } else {
                change = difference(older.getObject(og), pdf.getObject(og));
            }
            if (!change) continue;
            change->role = role == roles.end() ? PdfObjectRole::kOther : role->second;
            changes.push_back(*change);
        }
        for (const auto& [og, entry] : before)
            if (after.count(og) == 0) {
                PdfObjectChange removed;
                removed.removed = true;
                changes.push_back(removed);
            }
        return classify_later_changes(changes);
    } catch (std::exception&) {
        return PdfLaterChanges::kOther;  // a revision that does not read alone is no sound base
    }
}

struct Placed {
    int page = 0;  // 1-based
    std::optional<PdfMmRect> box;
};

// Where a signature field's widget is: the field itself when it is the
// widget, else the first of its kids that is on a page.
const Placed* widget_place(QPDFObjectHandle field, const std::map<QPDFObjGen, Placed>& on_pages) {
    auto found = field.isIndirect() ? on_pages.find(field.getObjGen()) : on_pages.end();
    if (found != on_pages.end()) return &found->second;
    QPDFObjectHandle kids = field.getKey("/Kids");
    if (!kids.isArray()) return nullptr;
    for (int i = 0; i < kids.getArrayNItems() && i < kDeepestField; ++i) {
        QPDFObjectHandle kid = kids.getArrayItem(i);
        if (!kid.isIndirect()) continue;
        found = on_pages.find(kid.getObjGen());
        if (found != on_pages.end()) return &found->second;
    }
    return nullptr;
}

PdfSignaturesReport refused(PdfRefusal why, std::string detail = std::string()) {
    PdfSignaturesReport r;
    r.refusal = why;
    r.detail = std::move(detail);
    return r;
}

}  // namespace

PdfSignaturesReport read_pdf_signatures(const std::wstring& path) {
    FileBytes read = read_file_bytes(path, kLargestFile);
    if (read.state == FileRead::kMissing) return refused(PdfRefusal::kMissing);
    if (read.state == FileRead::kTooLarge)
        return refused(PdfRefusal::kUnreadable, "larger than 256 MiB");
    if (read.state != FileRead::kRead) return refused(PdfRefusal::kUnreadable);
    PdfSignaturesReport report;
    report.file = std::move(read.bytes);
    const std::string& file = report.file;
    if (file.substr(0, 1024).find("%PDF-") == std::string::npos)
        return refused(PdfRefusal::kNotPdf);
    const bool repair = file.size() <= kLargestRepairedFile;
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.setAttemptRecovery(repair);
    try {
        pdf.processMemoryFile("PDF", file.data(), file.size());
        const std::string tree_fault = page_tree_fault(pdf);
        if (!tree_fault.empty()) return refused(PdfRefusal::kPageTree, tree_fault);
        const std::vector<PdfRevisionEnd> revisions = pdf_revision_ends(file);
        report.revisions = static_cast<int>(revisions.size());
        std::set<QPDFObjGen> field_objects;
        const std::vector<Field> fields = signature_fields(pdf, &field_objects);
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        const std::map<QPDFObjGen, PdfObjectRole> roles = object_roles(pdf, pages, field_objects);
        std::map<int, PdfLaterChanges> later_by_revision;
        for (Field field : fields) {
            QPDFObjectHandle value = field.dict.getKey("/V");
            PdfSignatureFound s;
            s.field_utf8 = field.name;
            s.name_utf8 = text_of(value.getKey("/Name"));
            s.reason_utf8 = text_of(value.getKey("/Reason"));
            s.time_iso = iso_time_of_pdf_date(text_of(value.getKey("/M")));
            std::vector<std::int64_t> numbers;
            QPDFObjectHandle range = value.getKey("/ByteRange");
            if (range.isArray() && range.getArrayNItems() <= 4)
                for (QPDFObjectHandle n : range.aitems())
                    numbers.push_back(n.isInteger() ? n.getIntValue() : -1);
            s.range = check_byte_range(file, numbers);
            QPDFObjectHandle contents = value.getKey("/Contents");
            if (s.range.valid &&
                (!contents.isString() || contents.getStringValue() != s.range.contents)) {
                s.range.valid = false;
                s.range.why = "the signature is not where its byte range leaves a gap";
            }
            if (s.range.valid) {
                s.revision = revision_covered(revisions, s.range.end);
                s.covers_whole_file = s.range.end == file.size();
                if (s.revision == report.revisions) {
                    s.later = PdfLaterChanges::kNone;
                } else if (s.revision > 0) {
                    auto known = later_by_revision.find(s.revision);
                    if (known == later_by_revision.end())
                        known =
                            later_by_revision
                                .emplace(s.revision, later_changes(pdf, file, s.range.end, roles))
                                .first;
                    s.later = known->second;
                }
            }
            report.signatures.push_back(std::move(s));
        }
        // Every annotation's place on its page (the first page that lists
        // it), and the index of our stamps among them.
        std::map<QPDFObjGen, Placed> on_pages;
        std::map<QPDFObjGen, int> stamp_of;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            QPDFObjectHandle annots = pages[i].getObjectHandle().getKey("/Annots");
            if (!annots.isArray()) continue;
            const PdfPageGeometry geometry = page_geometry(pages[i]);
            for (QPDFObjectHandle annot : annots.aitems()) {
                if (!annot.isDictionary()) continue;
                Placed placed{static_cast<int>(i + 1), std::nullopt};
                if (const std::optional<PdfBox> rect = rect_of(annot))
                    placed.box = shown_box_of_rect(geometry, *rect);
                if (annot.isIndirect() && !on_pages.emplace(annot.getObjGen(), placed).second)
                    continue;
                if (!ours(annot)) continue;
                QPDFObjectHandle type = field_key(annot, "/FT");
                const bool is_signed = annot.getKey("/Subtype").isNameAndEquals("/Widget") &&
                                       type.isName() && type.getName() == "/Sig";
                if (!is_signed && !annot.getKey("/Subtype").isNameAndEquals("/Stamp")) continue;
                if (annot.isIndirect())
                    stamp_of[annot.getObjGen()] = static_cast<int>(report.stamps.size());
                report.stamps.push_back({text_of(annot.getKey("/Contents")),
                                         iso_time_of_pdf_date(text_of(annot.getKey("/M"))),
                                         placed.page, is_signed, placed.box});
            }
        }
        for (std::size_t i = 0; i < fields.size(); ++i) {
            PdfSignatureFound& s = report.signatures[i];
            QPDFObjectHandle field = fields[i].dict;
            if (const Placed* placed = widget_place(field, on_pages)) {
                s.page = placed->page;
                s.box = placed->box;
            }
            for (QPDFObjectHandle widget : {field, field.getKey("/Kids")}) {
                if (widget.isArray() && widget.getArrayNItems() > 0) widget = widget.getArrayItem(0);
                auto stamp = widget.isIndirect() ? stamp_of.find(widget.getObjGen()) : stamp_of.end();
                if (stamp != stamp_of.end() && s.stamp < 0) s.stamp = stamp->second;
            }
        }
    } catch (QPDFExc& e) {
        if (e.getErrorCode() == qpdf_e_password) return refused(PdfRefusal::kPassword);
        if (!repair && e.getErrorCode() == qpdf_e_damaged_pdf)
            return refused(PdfRefusal::kDamagedLarge, e.getMessageDetail());
        return refused(PdfRefusal::kUnreadable, e.getMessageDetail());
    } catch (std::exception& e) {
        return refused(repair ? PdfRefusal::kUnreadable : PdfRefusal::kDamagedLarge, e.what());
    }
    return report;
}

}  // namespace markomi
