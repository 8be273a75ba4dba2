#include "output/pdf_stamp/pdf_page_content_qpdf.h"

#include <qpdf/Pipeline.hh>

#include <algorithm>
#include <stdexcept>

namespace markomi {
namespace {

// Decoded bytes of one page's content that are read to prove it balanced
// (drawings of whole maps reach tens of megabytes), and of all pages
// together; content past them is drawn apart unread.
constexpr std::uint64_t kPageScanBytes = 64u << 20;
constexpr std::uint64_t kDocumentScanBytes = 512u << 20;
// Bytes of content copied into forms, so that a stream many pages share
// under different resources cannot multiply the copy's size.
constexpr std::uint64_t kFormBytes = 256u << 20;
// "EMC" written after a form that leaves marked content open.
constexpr int kMostClosings = 32;

// Passes what it is given on, or counts it, and takes no finish: a page's
// streams go through it one after another. Past `limit` bytes it throws,
// which qpdf's stream reading turns into a failed read.
class BoundedPipe : public Pipeline {
public:
    BoundedPipe(Pipeline* next, PdfContentScanner* scanner, std::uint64_t limit)
        : Pipeline("bounded content", next), scanner_(scanner), limit_(limit) {}
    void write(unsigned char const* data, size_t len) override {
        if (len > limit_ - count_) {
            over_ = true;
            throw std::length_error("content beyond the bound");
        }
        count_ += len;
        if (scanner_) scanner_->feed(std::string_view(reinterpret_cast<const char*>(data), len));
        if (getNext(true)) getNext()->write(data, len);
    }
    void finish() override {}
    bool over() const { return over_; }
    std::uint64_t count() const { return count_; }

private:
    PdfContentScanner* scanner_;
    std::uint64_t limit_;
    std::uint64_t count_ = 0;
    bool over_ = false;
};

// Pipes each stream decoded, a line break between them as readers read a
// page's streams; false when one cannot be decoded or the bound is passed.
bool pipe_decoded(const std::vector<QPDFObjectHandle>& streams, BoundedPipe& pipe) {
    for (QPDFObjectHandle stream : streams) {
        bool attempted = false;
        if (!stream.pipeStreamData(&pipe, &attempted, 0, qpdf_dl_specialized, true) || !attempted ||
            pipe.over())
            return false;
        try {
            pipe.writeCStr("\n");
        } catch (std::length_error&) {
            return false;
        }
    }
    return true;
}

std::vector<QPDFObjectHandle> content_streams(QPDFPageObjectHelper& page) {
    QPDFObjectHandle contents = page.getObjectHandle().getKey("/Contents");
    std::vector<QPDFObjectHandle> streams;
    if (contents.isStream()) streams.push_back(contents);
    if (contents.isArray())
        for (QPDFObjectHandle item : contents.aitems())
            if (item.isStream()) streams.push_back(item);
    return streams;
}

std::string repeated(const char* text, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += text;
    return s;
}

}  // namespace

bool decodes_within_bound(QPDFObjectHandle stream) {
    if (!stream.isStream()) return false;
    BoundedPipe pipe(nullptr, nullptr, kPageScanBytes);
    return pipe_decoded({stream}, pipe) || pipe.over();
}

// The streams of pages that were several, joined into the one stream of
// their form when the copy is written, so that they are never all held.
class JoinedContent : public QPDFObjectHandle::StreamDataProvider {
public:
    JoinedContent() : StreamDataProvider(true) {}
    using StreamDataProvider::provideStreamData;
    void add(QPDFObjGen form, std::vector<QPDFObjectHandle> streams) {
        sources_[form] = std::move(streams);
    }
    bool provideStreamData(QPDFObjGen const& og, Pipeline* pipeline, bool, bool) override {
        BoundedPipe pipe(pipeline, nullptr, kPageScanBytes + sources_[og].size());
        const bool ok = pipe_decoded(sources_[og], pipe);
        pipeline->finish();
        return ok;
    }

private:
    std::map<QPDFObjGen, std::vector<QPDFObjectHandle>> sources_;
};

PageContentStamper::PageContentStamper(QPDF& pdf)
    : pdf_(pdf),
      opening_(pdf.makeIndirectObject(QPDFObjectHandle::newStream(&pdf, "q\n"))),
      joined_(std::make_shared<JoinedContent>()),
      scan_budget_(kDocumentScanBytes),
      form_budget_(kFormBytes) {}

PageContentStamper::~PageContentStamper() = default;

const PageContentStamper::Scan& PageContentStamper::scan(
    const std::string& key, const std::vector<QPDFObjectHandle>& streams) {
    auto found = scans_.find(key);
    if (found != scans_.end()) return found->second;
    PdfContentScanner scanner;
    BoundedPipe pipe(nullptr, &scanner, std::min(kPageScanBytes + streams.size(), scan_budget_));
    Scan result;
    result.complete = pipe_decoded(streams, pipe);
    result.balance = scanner.finish();
    result.bytes = pipe.count();
    scan_budget_ -= pipe.count();
    return scans_.emplace(key, result).first->second;
}

QPDFObjectHandle PageContentStamper::own_content_form(const std::string& key,
                                                      const std::vector<QPDFObjectHandle>& streams,
                                                      QPDFObjectHandle own_resources,
                                                      const PdfBox& media, const Scan& scan) {
    QPDFObjectHandle box = QPDFObjectHandle::newArray(
        QPDFObjectHandle::Rectangle(media.left, media.bottom, media.right, media.top));
    if (!own_resources.isDictionary()) own_resources = QPDFObjectHandle::newDictionary();
    const std::string form_key = key + "|" + own_resources.unparse() + "|" + box.unparse();
    auto found = forms_.find(form_key);
    if (found != forms_.end()) return found->second;

    QPDFObjectHandle form;
    if (streams.size() == 1) {
        // One stream: its bytes as they are, still encoded, never decoded here.
        BoundedPipe raw(nullptr, nullptr, form_budget_);
        QPDFObjectHandle only = streams[0];
        bool attempted = false;
        if (!only.pipeStreamData(&raw, &attempted, 0, qpdf_dl_none, true) || raw.over())
            return QPDFObjectHandle();
        form_budget_ -= raw.count();
        form = only.copyStream();
    } else {
        // Several: joined as readers join them, which needs all of them read.
        if (!scan.complete || scan.bytes > form_budget_) return QPDFObjectHandle();
        form_budget_ -= scan.bytes;
        form = pdf_.newStream();
        joined_->add(form.getObjGen(), streams);
        form.replaceStreamData(joined_, QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
    }
    QPDFObjectHandle dict = form.getDict();
    dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
    dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
    dict.replaceKey("/BBox", box);
    dict.replaceKey("/Resources", own_resources);
    return forms_.emplace(form_key, form).first->second;
}

bool PageContentStamper::stamp(QPDFPageObjectHelper& page, QPDFObjectHandle own_resources,
                               const PdfBox& media, const std::string& drawing) {
    const std::vector<QPDFObjectHandle> streams = content_streams(page);
    std::string key;
    for (QPDFObjectHandle stream : streams) key += stream.getObjGen().unparse(' ') + ",";
    const Scan& read = scan(key, streams);
    if (read.complete && read.balance.wrap_is_enough()) {
        page.addPageContents(opening_, true);
        page.addPageContents(QPDFObjectHandle::newStream(&pdf_, "\nQ\n" + drawing), false);
        return true;
    }
    QPDFObjectHandle form = own_content_form(key, streams, own_resources, media, read);
    if (!form.isInitialized()) return false;
    QPDFObjectHandle resources = page.getObjectHandle().getKey("/Resources");
    QPDFObjectHandle xobjects = resources.getKey("/XObject");
    int suffix = 1;
    const std::string name = resources.getUniqueResourceName("/Markomi2Page", suffix);
    xobjects.replaceKey(name, form);
    // Marked content the form leaves open would take in the stamp where a
    // reader does not end it with the form.
    const std::string closings =
        repeated("EMC\n", std::min(read.balance.open_marked, kMostClosings));
    page.getObjectHandle().replaceKey(
        "/Contents",
        QPDFObjectHandle::newStream(&pdf_, "q " + name + " Do Q\n" + closings + drawing));
    return true;
}

}  // namespace markomi
