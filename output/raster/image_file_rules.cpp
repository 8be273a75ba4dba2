#include "output/raster/image_file_rules.h"

namespace markomi {

namespace {

// Slot index of the animal design, whose PNG/JPEG work bitmap is one row taller.
constexpr int kAnimalSlotIndex = 6;

char16_t lower_case_unit(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
    // Latin-1 capitals, except the multiplication sign among them.
    if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) return static_cast<char16_t>(c + 0x20);
    // Full-width Latin capitals, which a Japanese input method readily types.
    if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 0x20);
    return c;
}

}  // namespace

const std::array<ImageFileType, 6>& image_file_types() {
    static const std::array<ImageFileType, 6> kTypes = {{
        {1, u"BMP (*.bmp)", u"*.bmp", u".bmp", ImageWriter::kBmp, ImageBackground::kOpaqueWhite},
        {2, u"PNG (*.png)", u"*.png", u".png", ImageWriter::kPng, ImageBackground::kTransparent},
        {3, u"JPG (*.jpg)", u"*.jpg", u".jpg", ImageWriter::kJpeg, ImageBackground::kOpaqueWhite},
        {4, u"EMF (*.emf)", u"*.emf", u".emf", ImageWriter::kEmf, ImageBackground::kNone},
        {5, u"SVG (*.svg)", u"*.svg", u".svg", ImageWriter::kSvg, ImageBackground::kNone},
        {6, u"PDF (*.pdf)", u"*.pdf", u".pdf", ImageWriter::kPdf, ImageBackground::kNone},
    }};
    return kTypes;
}

std::optional<ImageFileType> image_file_type_at(int filter_index) {
    const auto& types = image_file_types();
    if (filter_index < 1 || filter_index > static_cast<int>(types.size())) return std::nullopt;
    return types[static_cast<std::size_t>(filter_index - 1)];
}

std::u16string save_dialog_filter() {
    std::u16string filter;
    for (const ImageFileType& type : image_file_types()) {
        filter.append(type.label);
        filter.push_back(u'\0');
        filter.append(type.pattern);
        filter.push_back(u'\0');
    }
    filter.push_back(u'\0');
    return filter;
}

std::u16string_view find_file_extension(std::u16string_view name) {
    // A backslash starts a new path component and a space ends a would-be
    // extension; both forget the dot seen so far, as the shell does.
    std::size_t dot = std::u16string_view::npos;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c == u'\\' || c == u' ') {
            dot = std::u16string_view::npos;
        } else if (c == u'.') {
            dot = i;
        }
    }
    if (dot == std::u16string_view::npos) return name.substr(name.size());
    return name.substr(dot);
}

std::u16string lower_case_text(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) c = lower_case_unit(c);
    return out;
}

std::u16string ensure_extension(std::u16string_view name, std::u16string_view extension) {
    const std::u16string wanted = lower_case_text(extension);
    std::u16string result(name);
    if (lower_case_text(find_file_extension(name)) != wanted) result += wanted;
    return result;
}

std::u16string replace_extension(std::u16string_view name, std::u16string_view extension) {
    const std::u16string_view current = find_file_extension(name);
    if (current.empty()) return std::u16string(name);
    std::u16string result(name.substr(0, name.size() - current.size()));
    result.append(extension);
    return result;
}

std::optional<std::u16string> saved_file_name(std::u16string_view chosen_name, int filter_index) {
    const std::optional<ImageFileType> type = image_file_type_at(filter_index);
    if (!type) return std::nullopt;
    return ensure_extension(chosen_name, type->extension);
}

std::optional<std::u16string> name_after_type_change(std::u16string_view box_text,
                                                     int filter_index) {
    const std::optional<ImageFileType> type = image_file_type_at(filter_index);
    if (!type) return std::nullopt;
    return replace_extension(box_text, type->extension);
}

std::u16string_view folder_of_path(std::u16string_view path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    if (slash == std::u16string_view::npos) return {};
    // "C:\\a.png": the folder is the root, with its separator.
    if (slash == 2 && path[1] == u':') return path.substr(0, 3);
    return path.substr(0, slash);
}

std::u16string_view file_name_of_path(std::u16string_view path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

void remember_save_choice(SaveDialogMemory& memory, std::u16string_view saved_name,
                          int filter_index) {
    const std::u16string_view folder = folder_of_path(saved_name);
    if (!folder.empty()) memory.folder.assign(folder);
    if (image_file_type_at(filter_index)) memory.filter_index = filter_index;
}

std::u16string replace_file_question(std::u16string_view saved_name) {
    std::u16string text = u"「";
    text.append(file_name_of_path(saved_name));
    text.append(u"」は既にあります。\n置き換えますか？");
    return text;
}

std::u16string save_failure_message(std::u16string_view saved_name) {
    std::u16string text = u"印影を次のファイルに保存できませんでした。\n\n";
    text.append(saved_name);
    text.append(
        u"\n\n書き込み禁止のファイルやフォルダー、長すぎるファイル名、ディスクの空き不足などが"
        u"考えられます。\n既にあったファイルは元のまま残っています。");
    return text;
}

std::u16string_view encoder_mime_type(ImageWriter writer) {
    switch (writer) {
        case ImageWriter::kPng: return u"image/png";
        case ImageWriter::kJpeg: return u"image/jpeg";
        default: return {};
    }
}

BitmapLayout image_writer_layout(int slot_index, const WorkingCanvas& canvas,
                                 const InkMargins& margins, bool shadow,
                                 std::int32_t shadow_distance, std::int32_t factor) {
    BitmapLayout layout = bitmap_layout(canvas, margins, shadow, shadow_distance, factor);
    if (slot_index == kAnimalSlotIndex) {
        // Image files of the animal keep one more blank row than its clipboard bitmap.
        layout.work_height += 1;
        const std::int32_t f = factor > 0 ? factor : 1;
        layout.height = layout.work_height / f;
    }
    return layout;
}

std::int32_t fine_picture_blank(std::int32_t dpi) { return dpi > 0 ? (dpi + 48) / 96 : 0; }

FinePictureBox fine_picture_box(int slot_index, const InkMargins& margins, std::int32_t drawn_width,
                                std::int32_t drawn_height, std::int32_t dpi) {
    const std::int32_t blank = fine_picture_blank(dpi);
    FinePictureBox box;
    box.left = margins.left - blank;
    box.top = margins.top - blank;
    box.work_width = drawn_width - margins.right - margins.left + 2 * blank;
    box.work_height = drawn_height - margins.bottom - margins.top + 2 * blank;
    if (slot_index == kAnimalSlotIndex) box.work_height += blank;
    const bool ink = margins.left + margins.right < drawn_width && margins.top + margins.bottom < drawn_height;
    if (!ink || blank == 0 || box.left < 0 || box.top < 0 || box.left + box.work_width > drawn_width ||
        box.top + box.work_height > drawn_height)
        return FinePictureBox();
    box.width = box.work_width / 2;
    box.height = box.work_height / 2;
    return box;
}

}  // namespace markomi
