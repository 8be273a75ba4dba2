#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "output/raster/image_file_rules.h"

namespace markomi {
namespace {

constexpr int kBmp = 1, kPng = 2, kJpg = 3, kEmf = 4, kSvg = 5, kPdf = 6;

TEST(SaveDialog, FilterListHoldsTheFourTypesThenSvgAndPdfAndEndsInTwoNuls) {
    const std::u16string filter = save_dialog_filter();
    const std::u16string expected(
        u"BMP (*.bmp)\0*.bmp\0PNG (*.png)\0*.png\0JPG (*.jpg)\0*.jpg\0EMF (*.emf)\0*.emf\0"
        u"SVG (*.svg)\0*.svg\0PDF (*.pdf)\0*.pdf\0\0", 109);
    EXPECT_EQ(filter, expected);
    ASSERT_GE(filter.size(), 2u);
    EXPECT_EQ(filter[filter.size() - 1], u'\0');
    EXPECT_EQ(filter[filter.size() - 2], u'\0');
}

TEST(SaveDialog, StartsWithMarkomi2AndTheFirstTypeEveryTime) {
    EXPECT_EQ(std::u16string(kInitialSaveFileName), u"Markomi2");
    EXPECT_EQ(std::u16string(kSaveDefaultExtension), u"emf");
    EXPECT_EQ(std::u16string(kSaveDialogTitle), u"印影保存");
    EXPECT_EQ(kSaveInitialFilterIndex, 1);
    EXPECT_EQ(kSaveNameBufferCapacity, 260u);
    EXPECT_EQ(kSaveNameBoxId, 1152);
}

TEST(SaveDialog, EachTypeGoesToItsWriterAndIndicesOutsideTheListDoNothing) {
    EXPECT_EQ(image_file_type_at(kBmp)->writer, ImageWriter::kBmp);
    EXPECT_EQ(image_file_type_at(kPng)->writer, ImageWriter::kPng);
    EXPECT_EQ(image_file_type_at(kJpg)->writer, ImageWriter::kJpeg);
    EXPECT_EQ(image_file_type_at(kEmf)->writer, ImageWriter::kEmf);
    EXPECT_EQ(image_file_type_at(kPng)->background, ImageBackground::kTransparent);
    EXPECT_EQ(image_file_type_at(kJpg)->background, ImageBackground::kOpaqueWhite);
    EXPECT_EQ(image_file_type_at(kEmf)->background, ImageBackground::kNone);
    EXPECT_EQ(image_file_type_at(kSvg)->writer, ImageWriter::kSvg);
    EXPECT_EQ(image_file_type_at(kPdf)->writer, ImageWriter::kPdf);
    EXPECT_FALSE(image_file_type_at(0));
    EXPECT_FALSE(image_file_type_at(7));
    EXPECT_FALSE(image_file_type_at(-1));
    EXPECT_FALSE(saved_file_name(u"印影", 0));
    EXPECT_FALSE(saved_file_name(u"印影", 7));
    EXPECT_FALSE(name_after_type_change(u"印影.bmp", 7));
}

TEST(FileExtension, FoundFromTheLastDotOfTheLastComponent) {
    EXPECT_EQ(find_file_extension(u"印影.png"), u".png");
    EXPECT_EQ(find_file_extension(u"印影.tar.gz"), u".gz");
    EXPECT_EQ(find_file_extension(u"印影"), u"");
    EXPECT_EQ(find_file_extension(u""), u"");
    EXPECT_EQ(find_file_extension(u"C:\\dir.d\\印影"), u"");
    EXPECT_EQ(find_file_extension(u"C:\\dir.d\\印影.bmp"), u".bmp");
    EXPECT_EQ(find_file_extension(u"印影."), u".");
    EXPECT_EQ(find_file_extension(u".png"), u".png");
    // A space after the dot ends the extension, as the shell has it.
    EXPECT_EQ(find_file_extension(u"印影.a b"), u"");
    EXPECT_EQ(find_file_extension(u"my stamp.png"), u".png");
}

TEST(EnsureExtension, ChosenTypeAndTypedNameGiveTheFinalName) {
    EXPECT_EQ(*saved_file_name(u"印影", kJpg), u"印影.jpg");
    EXPECT_EQ(*saved_file_name(u"印影.JPG", kJpg), u"印影.JPG");
    EXPECT_EQ(*saved_file_name(u"印影.png", kBmp), u"印影.png.bmp");
    EXPECT_EQ(*saved_file_name(u"印影.PNG", kPng), u"印影.PNG");
    EXPECT_EQ(*saved_file_name(u"Markomi2", kBmp), u"Markomi2.bmp");
    EXPECT_EQ(*saved_file_name(u"Markomi2", kEmf), u"Markomi2.emf");
    EXPECT_EQ(*saved_file_name(u"Markomi2", kSvg), u"Markomi2.svg");
    EXPECT_EQ(*saved_file_name(u"印影.PDF", kPdf), u"印影.PDF");
    EXPECT_EQ(*saved_file_name(u"C:\\a.b\\印影", kPng), u"C:\\a.b\\印影.png");
    // Case does not matter, but full-width letters are other characters.
    EXPECT_EQ(*saved_file_name(u"印影.Emf", kEmf), u"印影.Emf");
    EXPECT_EQ(*saved_file_name(u"印影.ＢＭＰ", kBmp), u"印影.ＢＭＰ.bmp");
    // A lone dot is an extension of its own, so one more is appended.
    EXPECT_EQ(*saved_file_name(u"印影.", kPng), u"印影..png");
    // A near miss is not the extension: ".jpeg" and ".jp" get ".jpg" added.
    EXPECT_EQ(*saved_file_name(u"印影.jpeg", kJpg), u"印影.jpeg.jpg");
    EXPECT_EQ(*saved_file_name(u"印影.jp", kJpg), u"印影.jp.jpg");
}

TEST(EnsureExtension, AppendsTheExtensionInLowerCase) {
    EXPECT_EQ(ensure_extension(u"印影", u".PNG"), u"印影.png");
    EXPECT_EQ(ensure_extension(u"印影.png", u".PNG"), u"印影.png");
    EXPECT_EQ(lower_case_text(u"AZaz@[ÀÞ×ＡＺ印"), u"azaz@[àþ×ａｚ印");
}

TEST(ReplaceExtension, TypeChangeSwapsTheExtensionInTheNameBox) {
    EXPECT_EQ(*name_after_type_change(u"印影.bmp", kPng), u"印影.png");
    EXPECT_EQ(*name_after_type_change(u"印影", kPng), u"印影");
    EXPECT_EQ(*name_after_type_change(u"印影.tar.gz", kEmf), u"印影.tar.emf");
    EXPECT_EQ(*name_after_type_change(u"印影.emf", kPdf), u"印影.pdf");
    EXPECT_EQ(*name_after_type_change(u"印影.", kJpg), u"印影.jpg");
    EXPECT_EQ(*name_after_type_change(u"C:\\a.b\\印影", kJpg), u"C:\\a.b\\印影");
    EXPECT_EQ(*name_after_type_change(u"", kBmp), u"");
    EXPECT_EQ(replace_extension(u"印影.PNG", u".bmp"), u"印影.bmp");
}

TEST(ImageWriter, EncodersAreFoundByTypeAndJpegIsSavedAtQuality100) {
    EXPECT_EQ(encoder_mime_type(ImageWriter::kPng), u"image/png");
    EXPECT_EQ(encoder_mime_type(ImageWriter::kJpeg), u"image/jpeg");
    EXPECT_TRUE(encoder_mime_type(ImageWriter::kEmf).empty());
    EXPECT_EQ(kJpegQuality, 100);
}

TEST(ImageWriter, EncoderLookupTakesTheFirstExactMatch) {
    const std::vector<std::u16string> encoders = {u"image/bmp", u"image/jpeg", u"image/gif",
                                                   u"image/png", u"image/png"};
    EXPECT_EQ(find_encoder_index(encoders, u"image/png"), 3);
    EXPECT_EQ(find_encoder_index(encoders, u"image/jpeg"), 1);
    EXPECT_EQ(find_encoder_index(encoders, u"image/PNG"), -1);
    EXPECT_EQ(find_encoder_index(encoders, u"image/pn"), -1);
    EXPECT_EQ(find_encoder_index(std::vector<std::u16string>{}, u"image/png"), -1);
}

TEST(SaveDialog, RemembersTheFolderAndTypeOfTheLastSave) {
    SaveDialogMemory memory;
    EXPECT_TRUE(memory.folder.empty());
    EXPECT_EQ(memory.filter_index, 1);
    remember_save_choice(memory, u"D:\\書類\\印影.jpg", kJpg);
    EXPECT_EQ(memory.folder, u"D:\\書類");
    EXPECT_EQ(memory.filter_index, kJpg);
    // A drive root keeps its separator ("D:" alone would mean the current folder there).
    remember_save_choice(memory, u"D:\\a.png", kPng);
    EXPECT_EQ(memory.folder, u"D:\\");
    // A bare name or a type outside the list leaves what was remembered.
    remember_save_choice(memory, u"b.bmp", 9);
    EXPECT_EQ(memory.folder, u"D:\\");
    EXPECT_EQ(memory.filter_index, kPng);
    EXPECT_EQ(file_name_of_path(u"D:\\書類/印影.emf"), u"印影.emf");
}

TEST(SaveDialog, QuestionNamesTheFileAndTheFailureTheWholePath) {
    const std::u16string question = replace_file_question(u"C:\\書類\\印影.png");
    EXPECT_EQ(question.find(u"「印影.png」"), 0u);
    EXPECT_EQ(question.find(u"書類"), std::u16string::npos);
    const std::u16string failure = save_failure_message(u"C:\\書類\\印影.png");
    EXPECT_NE(failure.find(u"\nC:\\書類\\印影.png\n"), std::u16string::npos);
}

TEST(ImageWriter, AnimalKeepsOneMoreWorkRowThanTheBitmapPipeline) {
    const WorkingCanvas canvas{72, 72, 146, 146};
    const InkMargins margins{1, 1, 1, 1};
    for (int slot = 0; slot < 6; ++slot) {
        const BitmapLayout b = image_writer_layout(slot, canvas, margins, false, 2, 2);
        EXPECT_EQ(b.work_width, 146);
        EXPECT_EQ(b.work_height, 146);
        EXPECT_EQ(b.height, 73);
    }
    const BitmapLayout animal = image_writer_layout(6, canvas, margins, false, 2, 2);
    EXPECT_EQ(animal.work_width, 146);
    EXPECT_EQ(animal.work_height, 147);
    EXPECT_EQ(animal.height, 73);  // the odd row is lost in the halving
    EXPECT_EQ(animal.px, 72);
    EXPECT_EQ(animal.py, 72);

    const BitmapLayout shadowed = image_writer_layout(6, canvas, InkMargins{1, 1, 1, 2}, true, 3, 2);
    EXPECT_EQ(shadowed.work_width, 149);
    EXPECT_EQ(shadowed.work_height, 149);  // 146 - 2 - 1 + 3, + 3 for the shadow
    EXPECT_EQ(shadowed.width, 74);
    EXPECT_EQ(shadowed.height, 74);
}

// A fine picture keeps its ink and the blank the 96-dpi files keep around
// theirs, scaled: at 96 dpi it is the image writer's box (the animal's extra
// row too), finer it is that box grown alike, and none where that box would
// leave the drawing.
TEST(ImageWriter, FinePicturesKeepTheInkBoxAndItsBlankScaled) {
    const WorkingCanvas canvas{72, 72, 146, 146};
    const BitmapLayout screen = image_writer_layout(6, canvas, InkMargins{3, 2, 5, 9}, false, 0, 2);
    const FinePictureBox at96 = fine_picture_box(6, InkMargins{3, 2, 5, 9}, 146, 146, 96);
    EXPECT_EQ((std::array<int, 4>{canvas.cx - at96.left, canvas.cy - at96.top, at96.work_width, at96.work_height}),
              (std::array<int, 4>{screen.px, screen.py, screen.work_width, screen.work_height}));
    const struct {
        int slot;
        InkMargins margins;  // of a 470 x 470 drawing at 300 dpi: 3 blank pixels
        std::array<int, 4> box;
    } cases[] = {
        {0, {4, 5, 20, 10}, {1, 2, 226, 230}},  // (446 + 6) / 2, (455 + 6) / 2
        {6, {4, 5, 20, 10}, {1, 2, 226, 232}},  // 3 rows more for the animal
        {0, {2, 5, 20, 10}, {0, 0, 0, 0}},      // no room for the blank at the left
        {0, {0, 0, 470, 0}, {0, 0, 0, 0}},      // no ink
    };
    for (const auto& c : cases) {
        const FinePictureBox b = fine_picture_box(c.slot, c.margins, 470, 470, 300);
        EXPECT_EQ((std::array<int, 4>{b.left, b.top, b.width, b.height}), c.box) << c.slot << " " << c.margins.left;
    }
}

}  // namespace
}  // namespace markomi
