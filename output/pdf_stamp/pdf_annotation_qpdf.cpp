#include "output/pdf_stamp/pdf_annotation_qpdf.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>

#include <algorithm>
#include <map>
#include <set>

#include "output/pdf_stamp/pdf_signature_slot.h"
#include "output/vector/vector_writers.h"

namespace markomi {
namespace {

// A dictionary's value of `key`; null for what is no dictionary, without
// the warning qpdf gives for asking one (a warning here means repair).
QPDFObjectHandle key_of(QPDFObjectHandle object, const char* key) {
    return object.isDictionary() ? object.getKey(key) : QPDFObjectHandle::newNull();
}

PdfUpdateObject plain(int number, int generation, std::string body) {
    PdfUpdateObject o;
    o.number = number;
    o.generation = generation;
    o.body = std::move(body);
    return o;
}

std::string ref(int number) { return std::to_string(number) + " 0 R"; }

std::string ref(QPDFObjectHandle object) {
    return std::to_string(object.getObjectID()) + " " + std::to_string(object.getGeneration()) + " R";
}

// An existing dictionary as it is but for `changes` (keys with their new
// values' text): each kept value is unparsed by itself, so that the objects
// it refers to stay references ("N G R").
std::string dictionary_with(QPDFObjectHandle dictionary,
                            const std::map<std::string, std::string>& changes) {
    std::string s = "<<";
    if (dictionary.isDictionary()) {
        for (const std::string& key : dictionary.getKeys()) {
            if (changes.count(key)) continue;
            s += " " + QPDFObjectHandle::newName(key).unparse() + " " +
                 dictionary.getKey(key).unparse();
        }
    }
    for (const auto& [key, value] : changes) s += " " + key + " " + value;
    return s + " >>";
}

// An existing array's items, as they are, and `added` after them.
std::string array_with(QPDFObjectHandle array, const std::string& added) {
    std::string s = "[";
    if (array.isArray())
        for (int i = 0; i < array.getArrayNItems(); ++i) s += array.getArrayItem(i).unparse() + " ";
    return s + added + "]";
}

std::string number_text(double value) { return vector_number(value, 6); }

// The box of the form's [0 0 w h] under the placement: readers map the
// appearance's transformed box onto /Rect, so with this /Rect the form draws
// exactly where the placement draws it on the page.
std::string rect_under(const double m[6], double w, double h) {
    const double xs[4] = {0, w, 0, w}, ys[4] = {0, 0, h, h};
    double left = 1e300, bottom = 1e300, right = -1e300, top = -1e300;
    for (int i = 0; i < 4; ++i) {
        const double x = m[0] * xs[i] + m[2] * ys[i] + m[4];
        const double y = m[1] * xs[i] + m[3] * ys[i] + m[5];
        left = std::min(left, x), right = std::max(right, x);
        bottom = std::min(bottom, y), top = std::max(top, y);
    }
    return "[" + number_text(left) + " " + number_text(bottom) + " " + number_text(right) + " " +
           number_text(top) + "]";
}

std::string matrix_array(const double m[6]) {
    std::string s = "[";
    // Nine places: a /UserUnit of up to 75,000 scales by 1/75,000.
    for (int i = 0; i < 6; ++i) s += (i ? " " : "") + vector_number(m[i], 9);
    return s + "]";
}

// What every annotation of the stamp says of itself.
std::string note_keys(const PdfStampNote& note) {
    const std::string date = pdf_date_string(note.when);
    std::string keys = " /M " + date + " /CreationDate " + date + " /NM " +
                       pdf_text_string(note.unique_id) + " /Contents " +
                       pdf_text_string(note.contents_utf8) + " /Subj " + pdf_text_string("日付印");
    return keys;
}

// "Markomi2Signature1", or the first number no field of the document has.
std::string new_field_name(QPDF& pdf) {
    std::set<std::string> taken;
    QPDFAcroFormDocumentHelper forms(pdf);
    if (forms.hasAcroForm())
        for (QPDFFormFieldObjectHelper& field : forms.getFormFields())
            taken.insert(field.getFullyQualifiedName());
    for (int n = 1;; ++n) {
        const std::string name = "Markomi2Signature" + std::to_string(n);
        if (!taken.count(name)) return name;
    }
}

// Adds the signature field to the catalog's /AcroForm: a new version of the
// form dictionary when it is an object of its own, else of the catalog.
void add_field_to_form(QPDF& pdf, int field, std::vector<PdfUpdateObject>* objects) {
    QPDFObjectHandle catalog = pdf.getRoot();
    QPDFObjectHandle form = key_of(catalog, "/AcroForm");
    const std::map<std::string, std::string> changes = {
        {"/Fields", array_with(key_of(form, "/Fields"), ref(field))},
        {"/SigFlags", "3"}};
    if (form.isIndirect() && form.isDictionary()) {
        objects->push_back(plain(form.getObjectID(), form.getGeneration(), dictionary_with(form, changes)));
    } else {
        objects->push_back(plain(catalog.getObjectID(), catalog.getGeneration(),
                                 dictionary_with(catalog, {{"/AcroForm", dictionary_with(form, changes)}})));
    }
}

}  // namespace

StampAnnotations make_stamp_annotations(QPDF& pdf, std::vector<QPDFPageObjectHelper>& pages,
                                        const std::vector<PdfPagePlaced>& placed,
                                        const PdfStampJob& job, int first_number) {
    StampAnnotations out;
    int next = first_number;
    const int form = next++;
    out.objects.push_back({form, 0,
                           "<< /Type /XObject /Subtype /Form /BBox [0 0 " + number_text(job.width_pt) +
                               " " + number_text(job.height_pt) + "] /Resources << >> >>",
                           job.form});
    const std::string note = note_keys(job.note);
    std::set<QPDFObjGen> arrays_taken;  // an /Annots array two pages share is not shared again
    for (std::size_t i = 0; i < placed.size(); ++i) {
        QPDFObjectHandle page = pages[static_cast<std::size_t>(placed[i].page - 1)].getObjectHandle();
        const double* m = placed[i].placement.matrix;
        const int appearance = next++;
        out.objects.push_back({appearance, 0,
                               "<< /Type /XObject /Subtype /Form /BBox [0 0 " +
                                   number_text(job.width_pt) + " " + number_text(job.height_pt) +
                                   "] /Matrix " + matrix_array(m) + " /Resources << /XObject << /S0 " +
                                   ref(form) + " >> >> >>",
                               std::string("/S0 Do\n")});
        const int annotation = next++;
        out.annotations.push_back(annotation);
        const std::string common = " /Rect " + rect_under(m, job.width_pt, job.height_pt) +
                                   " /AP << /N " + ref(appearance) + " >> /F 4 /P " + ref(page) + note;
        if (job.signature && i == 0) {
            // The field and its widget in one dictionary; /T is the field's
            // name, so the stamp's title goes to the field's /TU.
            const PdfSignatureRequest& sig = *job.signature;
            const int value = next++;
            out.room = sig.contents_room ? sig.contents_room : kDefaultSignatureRoom;
            std::string body = "<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /ETSI.CAdES.detached ";
            out.slot_in_body = body.size();
            body += signature_placeholders(out.room) + " /M " + pdf_date_string(job.note.when) +
                    " /Name " + pdf_text_string(sig.name_utf8) + " /Reason " +
                    pdf_text_string(sig.reason_utf8);
            if (!sig.location_utf8.empty()) body += " /Location " + pdf_text_string(sig.location_utf8);
            out.signature_index = static_cast<int>(out.objects.size());
            out.objects.push_back(plain(value, 0, body + " >>"));
            out.objects.push_back(plain(annotation, 0,
                                        "<< /Type /Annot /Subtype /Widget /FT /Sig /T " +
                                            pdf_text_string(new_field_name(pdf)) + " /TU " +
                                            pdf_text_string(job.note.title_utf8) + " /V " +
                                            ref(value) + common + " >>"));
            add_field_to_form(pdf, annotation, &out.objects);
        } else {
            out.objects.push_back(plain(annotation, 0,
                                        "<< /Type /Annot /Subtype /Stamp /T " +
                                            pdf_text_string(job.note.title_utf8) + common + " >>"));
        }
        QPDFObjectHandle annots = page.getKey("/Annots");
        if (annots.isIndirect() && annots.isArray() && arrays_taken.insert(annots.getObjGen()).second) {
            out.objects.push_back(
                plain(annots.getObjectID(), annots.getGeneration(), array_with(annots, ref(annotation))));
        } else {
            out.objects.push_back(plain(page.getObjectID(), page.getGeneration(),
                                        dictionary_with(page, {{"/Annots", array_with(annots, ref(annotation))}})));
        }
    }
    return out;
}

int certified_permission(QPDF& pdf) {
    QPDFObjectHandle signature = key_of(key_of(pdf.getRoot(), "/Perms"), "/DocMDP");
    if (!signature.isDictionary()) return 0;
    QPDFObjectHandle references = signature.getKey("/Reference");
    const int count = references.isArray() ? std::min(references.getArrayNItems(), 16) : 0;
    for (int i = 0; i < count; ++i) {
        QPDFObjectHandle reference = references.getArrayItem(i);
        if (!key_of(reference, "/TransformMethod").isNameAndEquals("/DocMDP")) continue;
        QPDFObjectHandle p = key_of(key_of(reference, "/TransformParams"), "/P");
        // Without /P, changes are as with 2.
        return p.isInteger() && p.getIntValue() >= 1 && p.getIntValue() <= 3
                   ? static_cast<int>(p.getIntValue())
                   : 2;
    }
    return 2;
}

int signature_count(QPDF& pdf) {
    QPDFAcroFormDocumentHelper forms(pdf);
    if (!forms.hasAcroForm()) return 0;
    int count = 0;
    for (QPDFFormFieldObjectHelper& field : forms.getFormFields())
        if (field.getFieldType() == "/Sig" && field.getValue().isDictionary()) ++count;
    return count;
}

}  // namespace markomi
