#pragma once
// Creating every missing directory along a path, with the file system passed
// in so the walk itself is testable anywhere.
#include <string_view>

namespace markomi {

enum class PathKind { kMissing, kDirectory, kFile };

class DirectoryOps {
public:
    virtual ~DirectoryOps() = default;
    virtual PathKind kind_of(std::u16string_view path) = 0;
    virtual bool create_directory(std::u16string_view path) = 0;
};

// `path` ends in a backslash. With a drive root ("C:\") every prefix ending
// in a backslash is visited left to right; without one only the whole path
// (the last directory). A missing directory is created (failure stops the
// walk and returns false); an existing directory is passed; a file of that
// name is left alone without failing, so the later file operations fail
// quietly instead.
bool create_directory_chain(std::u16string_view path, DirectoryOps& ops);

}  // namespace markomi
