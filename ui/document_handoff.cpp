#include "ui/document_handoff.h"

#include <cstring>

namespace markomi {

bool has_pdf_extension(std::u16string_view path) {
    constexpr std::u16string_view kExtension = u".pdf";
    if (path.size() <= kExtension.size()) return false;
    const std::u16string_view tail = path.substr(path.size() - kExtension.size());
    for (std::size_t i = 0; i < kExtension.size(); ++i) {
        char16_t c = tail[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != kExtension[i]) return false;
    }
    return true;
}

namespace {

bool plausible_document(std::u16string_view path) {
    return !path.empty() && path.size() <= kMaxHandedPathLength && has_pdf_extension(path);
}

}  // namespace

std::vector<std::u16string> documents_in_arguments(
    const std::vector<std::u16string>& arguments,
    const std::function<bool(std::u16string_view)>& is_file) {
    std::vector<std::u16string> documents;
    for (const std::u16string& argument : arguments) {
        if (documents.size() == kMaxHandedDocuments) break;
        if (plausible_document(argument) && is_file(argument)) documents.push_back(argument);
    }
    return documents;
}

std::u16string encode_document_handoff(const std::vector<std::u16string>& paths) {
    std::u16string block;
    for (const std::u16string& path : paths) {
        block += path;
        block += u'\0';
    }
    return block;
}

std::optional<std::vector<std::u16string>> decode_document_handoff(const void* data,
                                                                   std::size_t size) {
    if (!data || size == 0 || size % sizeof(char16_t) != 0 || size > kMaxHandoffBytes)
        return std::nullopt;
    // The sender's bytes carry no alignment promise: copied, not cast.
    std::u16string units(size / sizeof(char16_t), u'\0');
    std::memcpy(units.data(), data, size);
    if (units.back() != u'\0') return std::nullopt;
    std::vector<std::u16string> paths;
    std::size_t start = 0;
    while (start < units.size()) {
        const std::size_t end = units.find(u'\0', start);
        const std::u16string_view path(units.data() + start, end - start);
        if (!plausible_document(path) || paths.size() == kMaxHandedDocuments) return std::nullopt;
        paths.emplace_back(path);
        start = end + 1;
    }
    return paths;
}

}  // namespace markomi
