#include "output/pdf_stamp/pdf_signature_slot.h"

namespace markomi {
namespace {

constexpr char kRangeHead[] = "/ByteRange [0 ";
constexpr char kRangeMarks[] = "########## ########## ##########]";
constexpr char kContentsHead[] = " /Contents <";

}  // namespace

std::string signature_placeholders(std::size_t room) {
    return std::string(kRangeHead) + kRangeMarks + kContentsHead + std::string(2 * room, '0') + ">";
}

SlotFill fill_signature_slot(std::string* file, std::size_t at, std::size_t room,
                             const SlotSigner& sign, std::string* why) {
    const std::string expected = signature_placeholders(room);
    if (at > file->size() || file->compare(at, expected.size(), expected) != 0)
        return SlotFill::kNoSlot;
    const std::size_t marks = at + sizeof kRangeHead - 1;
    const std::size_t hex_open = marks + sizeof kRangeMarks - 1 + sizeof kContentsHead - 2;
    const std::size_t hex_end = hex_open + 2 * room + 2;  // after the '>'
    // Numbers of up to ten digits each, then spaces up to the ']': no byte moves.
    std::string range = std::to_string(hex_open) + " " + std::to_string(hex_end) + " " +
                        std::to_string(file->size() - hex_end);
    const std::size_t width = sizeof kRangeMarks - 2;
    if (range.size() > width) return SlotFill::kNoSlot;
    range.resize(width, ' ');
    file->replace(marks, width, range);

    const std::string_view whole(*file);
    std::optional<std::string> der =
        sign({whole.substr(0, hex_open), whole.substr(hex_end)}, why);
    if (!der) return SlotFill::kSignerFailed;
    if (der->size() > room) return SlotFill::kTooLarge;
    static const char kHex[] = "0123456789ABCDEF";
    std::size_t to = hex_open + 1;
    for (unsigned char c : *der) {
        (*file)[to++] = kHex[c >> 4];
        (*file)[to++] = kHex[c & 15];
    }
    return SlotFill::kSigned;
}

}  // namespace markomi
