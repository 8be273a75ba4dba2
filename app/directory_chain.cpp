#include "app/directory_chain.h"

namespace markomi {
namespace {

bool is_drive_root_prefix(std::u16string_view path) {
    if (path.size() < 3) return false;
    char16_t d = path[0];
    bool letter = (d >= u'A' && d <= u'Z') || (d >= u'a' && d <= u'z');
    return letter && path[1] == u':' && path[2] == u'\\';
}

// Visits one prefix that ends in a backslash.
bool visit(std::u16string_view prefix_with_backslash, DirectoryOps& ops) {
    std::u16string_view dir = prefix_with_backslash.substr(0, prefix_with_backslash.size() - 1);
    if (dir.empty()) return true;
    if (dir.size() == 2 && dir[1] == u':') return true;  // bare drive root
    switch (ops.kind_of(dir)) {
        case PathKind::kMissing: return ops.create_directory(dir);
        case PathKind::kDirectory: return true;
        case PathKind::kFile: return true;
    }
    return true;
}

}  // namespace

bool create_directory_chain(std::u16string_view path, DirectoryOps& ops) {
    if (path.empty() || path.back() != u'\\') return false;
    if (!is_drive_root_prefix(path)) return visit(path, ops);
    for (std::size_t i = 3; i < path.size(); ++i) {
        if (path[i] == u'\\' && !visit(path.substr(0, i + 1), ops)) return false;
    }
    return true;
}

}  // namespace markomi
