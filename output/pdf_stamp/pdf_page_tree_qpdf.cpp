#include "output/pdf_stamp/pdf_page_tree_qpdf.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <set>
#include <utility>
#include <vector>

namespace markomi {
namespace {

// Writers build trees a few levels deep (even two kids a level would hold
// 2^999 pages in 1,000 levels). qpdf's walk and its writer recurse once per
// level: 6,000 levels fit the companion's stack and 12,000 do not, so a
// sixth of what fits leaves room for everything else on it.
constexpr int kDeepest = 1000;
// Nodes, pages and /Pages together: far above the longest documents
// readers page through, and each costs qpdf only a small object.
constexpr std::size_t kMostNodes = 1000000;

}  // namespace

std::string page_tree_fault(QPDF& pdf) {
    QPDFObjectHandle top = pdf.getRoot().getKey("/Pages");
    if (!top.isDictionary()) return std::string();  // qpdf says what it makes of that
    std::vector<std::pair<QPDFObjectHandle, int>> stack{{top, 1}};
    std::set<QPDFObjGen> walked;  // the /Pages nodes: one met again is within itself
    std::size_t nodes = 0;
    while (!stack.empty()) {
        auto [node, depth] = stack.back();
        stack.pop_back();
        if (++nodes > kMostNodes) return "the page tree has more than 1000000 nodes";
        QPDFObjectHandle kids = node.isDictionary() ? node.getKey("/Kids") : QPDFObjectHandle();
        if (!kids.isArray()) continue;  // a page
        if (depth > kDeepest) return "the page tree is more than 1000 levels deep";
        if (node.isIndirect() && !walked.insert(node.getObjGen()).second)
            return "the page tree holds a node within itself";
        const int count = kids.getArrayNItems();
        if (nodes + stack.size() + static_cast<std::size_t>(count) > kMostNodes)
            return "the page tree has more than 1000000 nodes";
        for (int i = 0; i < count; ++i) stack.emplace_back(kids.getArrayItem(i), depth + 1);
    }
    return std::string();
}

}  // namespace markomi
