#pragma once
// Draws a stamp after a page's own content so that nothing of that content
// reaches it. Content the scanner proves balanced and closed is wrapped in
// one q ... Q; any other (restores it never saved, saves, text or marked
// content left open, a string or inline image cut off, too large to read
// within the bound) is drawn apart as a Form XObject of its own, which
// readers draw in a state of its own and parse as a stream of its own, and
// the page's content becomes "q /Own Do Q" and the stamp. The form is not a
// transparency group (no /Group), so it draws as the content drew.
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "output/pdf_stamp/pdf_content_balance.h"
#include "output/pdf_stamp/pdf_placement.h"

namespace markomi {

class JoinedContent;

class PageContentStamper {
public:
    explicit PageContentStamper(QPDF& pdf);
    ~PageContentStamper();
    PageContentStamper(const PageContentStamper&) = delete;
    PageContentStamper& operator=(const PageContentStamper&) = delete;

    // Puts `drawing` (operators that draw the stamp) after the page's own
    // content. `own_resources` are the page's resources as they were
    // before the stamp's name was added to them. False, with the page as
    // it was, when its content is too large to be drawn apart. `media` is
    // the page's media box as readers take it, the bounds of a page drawn apart.
    bool stamp(QPDFPageObjectHelper& page, QPDFObjectHandle own_resources, const PdfBox& media,
               const std::string& drawing);

private:
    struct Scan {
        PdfContentBalance balance;
        bool complete = false;  // all of it decoded within the bound
        std::uint64_t bytes = 0;
    };
    const Scan& scan(const std::string& key, const std::vector<QPDFObjectHandle>& streams);
    QPDFObjectHandle own_content_form(const std::string& key,
                                      const std::vector<QPDFObjectHandle>& streams,
                                      QPDFObjectHandle own_resources, const PdfBox& media,
                                      const Scan& scan);

    QPDF& pdf_;
    QPDFObjectHandle opening_;                       // one shared "q" before each wrapped page
    std::map<std::string, Scan> scans_;              // by the content streams' object ids
    std::map<std::string, QPDFObjectHandle> forms_;  // by streams, resources and box
    std::shared_ptr<JoinedContent> joined_;
    std::uint64_t scan_budget_;
    std::uint64_t form_budget_;
};

// Whether a stream decodes, as far as the bound on a page's content: the
// check of a written copy.
bool decodes_within_bound(QPDFObjectHandle stream);

}  // namespace markomi
