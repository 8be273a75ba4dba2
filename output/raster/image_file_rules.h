#pragma once
// The rules of saving the stamp image that are not platform calls: the save
// dialog's texts and type list, how the chosen type and the typed name make
// the final file name, which writer a type goes to, and the few numbers the
// PNG/JPEG writer needs. The dialog, GDI+ and the file calls are glue.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "output/canvas/stamp_canvas.h"
#include "render/ink_margins.h"

namespace markomi {

constexpr char16_t kSaveDialogTitle[] = u"印影保存";
// The dialog starts with this name and the first type every time.
constexpr char16_t kInitialSaveFileName[] = u"Markomi2";
// Given to the dialog as its default extension (no dot).
constexpr char16_t kSaveDefaultExtension[] = u"emf";
// Capacity of the dialog's file-name and file-title buffers and of the text
// read back from its file-name box, in UTF-16 units including the terminator.
constexpr std::size_t kSaveNameBufferCapacity = 260;
// The dialog's file-name box (control identifier), rewritten on a type change.
constexpr int kSaveNameBoxId = 1152;
// The filter index the dialog starts with (1-based, as the dialog counts).
constexpr int kSaveInitialFilterIndex = 1;

enum class ImageWriter { kBmp, kPng, kJpeg, kEmf, kSvg, kPdf };

// What is behind the stamp in the file.
enum class ImageBackground { kOpaqueWhite, kTransparent, kNone };

struct ImageFileType {
    int filter_index;             // 1-based position in the dialog's type list
    std::u16string_view label;    // "BMP (*.bmp)"
    std::u16string_view pattern;  // "*.bmp"
    std::u16string_view extension;  // ".bmp", ensured on the chosen name
    ImageWriter writer;
    ImageBackground background;
};

// BMP, PNG, JPG, EMF, then the vector files SVG and PDF, in the order of the
// dialog's type list.
const std::array<ImageFileType, 6>& image_file_types();

// The type at a 1-based filter index; none outside 1..6 (nothing is saved then).
std::optional<ImageFileType> image_file_type_at(int filter_index);

// The dialog's filter list: label, NUL, pattern, NUL for each type, then a
// final NUL, so the string ends in two NULs as the dialog requires.
std::u16string save_dialog_filter();

// ---- File names ---------------------------------------------------------------

// The extension of a file name as the shell finds it: from the last "." that
// follows the last "\" and has no space after it, to the end; empty when
// there is none. "a.b\c" and "a.b c" have no extension; "x." has ".".
std::u16string_view find_file_extension(std::u16string_view name);

// Lower case for comparing extensions: ASCII, Latin-1 and full-width Latin
// capitals; every other unit is kept as it is.
std::u16string lower_case_text(std::u16string_view text);

// Appends the lower-cased `extension` unless the name already ends in it,
// compared without regard to case: "印影" -> "印影.jpg", "印影.JPG" stays,
// "印影.png" with ".bmp" -> "印影.png.bmp".
std::u16string ensure_extension(std::u16string_view name, std::u16string_view extension);

// Swaps the name's extension for `extension`; a name without one stays as it is.
std::u16string replace_extension(std::u16string_view name, std::u16string_view extension);

// The name the writer gets: the dialog's chosen name with the chosen type's
// extension ensured. None when the filter index is outside the list.
std::optional<std::u16string> saved_file_name(std::u16string_view chosen_name, int filter_index);

// The text written back into the dialog's file-name box when the user picks
// another type: the extension replaced by the new type's. None when the
// index is outside the list (the box is left alone).
std::optional<std::u16string> name_after_type_change(std::u16string_view box_text, int filter_index);

// ---- What the dialog remembers, asks and tells --------------------------------

// The folder and type of the last save, kept while the program runs (not in
// the settings file), so that the next dialog starts where the user was.
struct SaveDialogMemory {
    std::u16string folder;  // empty: the dialog's own choice
    int filter_index = kSaveInitialFilterIndex;
};

// The part of a path before its last "\" or "/" (a drive root keeps its
// "\": "C:\a.png" -> "C:\"); empty when there is none.
std::u16string_view folder_of_path(std::u16string_view path);
// The part after the last "\" or "/".
std::u16string_view file_name_of_path(std::u16string_view path);

// Notes a confirmed choice: the saved file's folder and, when it is one of
// the list, the type.
void remember_save_choice(SaveDialogMemory& memory, std::u16string_view saved_name,
                          int filter_index);

// The question before an existing file is replaced, naming the file.
std::u16string replace_file_question(std::u16string_view saved_name);

// The message when the file could not be written, naming the whole path.
// What was there before is still there (the writers replace only complete files).
std::u16string save_failure_message(std::u16string_view saved_name);

// ---- PNG and JPEG writer ------------------------------------------------------

// The encoder the image writer looks up: "image/png" or "image/jpeg"; empty
// for the other writers.
std::u16string_view encoder_mime_type(ImageWriter writer);

// The JPEG is saved with EncoderQuality 100; the PNG with no parameters.
constexpr std::int32_t kJpegQuality = 100;

// The index of the first encoder whose MIME type equals `wanted` exactly
// (case and all), or -1. `mime_types` are the installed encoders in order.
template <typename Range>
int find_encoder_index(const Range& mime_types, std::u16string_view wanted) {
    int index = 0;
    for (const auto& mime : mime_types) {
        if (std::u16string_view(mime) == wanted) return index;
        ++index;
    }
    return -1;
}

// The work and final sizes of the PNG/JPEG writer: those of the bitmap
// pipeline, except that the animal (slot index 6) gets one more work row:
// its work height is ch - mb - mt + 3. The final image is (ww / 2) x (wh / 2).
BitmapLayout image_writer_layout(int slot_index, const WorkingCanvas& canvas,
                                 const InkMargins& margins, bool shadow,
                                 std::int32_t shadow_distance, std::int32_t factor);

// The part of a stamp drawn at twice `dpi` (drawn_width x drawn_height) that
// an image file at `dpi` keeps: the ink box measured on that drawing, with
// the blank the 96-dpi files keep around theirs scaled to `dpi` (one pixel
// of their drawing at twice 96 dpi on each side, and the animal's extra row),
// so that a file has the stamp's physical size at every resolution. The
// final size is half the work size (an odd one loses its last row or
// column). All zero when there is no ink or the box leaves the drawing.
struct FinePictureBox {
    std::int32_t left = 0;  // of the drawing
    std::int32_t top = 0;
    std::int32_t work_width = 0;
    std::int32_t work_height = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};
FinePictureBox fine_picture_box(int slot_index, const InkMargins& margins, std::int32_t drawn_width,
                                std::int32_t drawn_height, std::int32_t dpi);

// The blank a fine drawing at twice `dpi` needs around its ink for that box,
// in its pixels: the scaled blank pixel, rounded.
std::int32_t fine_picture_blank(std::int32_t dpi);

}  // namespace markomi
