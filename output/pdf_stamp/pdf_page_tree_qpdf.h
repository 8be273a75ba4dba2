#pragma once
// A look at a document's page tree before qpdf's page helpers walk it:
// they recurse once per level, and a tree of 12,000 levels overflows the
// stack. This walk keeps its own stack and stops at bounds no real
// document comes near.
#include <string>

class QPDF;

namespace markomi {

// Empty when the tree from the catalog's /Pages can be handed to qpdf;
// otherwise why not (too deep, too many nodes, a node within itself).
std::string page_tree_fault(QPDF& pdf);

}  // namespace markomi
