#pragma once
// The room a signature dictionary keeps for its signature: a /ByteRange of
// fixed width and a /Contents of zeros, written with the update and filled
// once the whole file is assembled, without moving a byte. The signer sees
// the file's bytes outside the <...> of /Contents, as readers check them.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace markomi {

// Bytes of DER kept for a signature by default: a certificate chain of a
// company's certificate authority fits with room to spare.
constexpr std::size_t kDefaultSignatureRoom = 16 * 1024;

// "/ByteRange [0 ########## ########## ##########] /Contents <00...0>" with
// 2 x room zeros: put into the signature dictionary as it is.
std::string signature_placeholders(std::size_t room);

using SlotSigner = std::function<std::optional<std::string>(
    const std::vector<std::string_view>& parts, std::string* why)>;

enum class SlotFill {
    kSigned,
    kSignerFailed,  // the signer's reason in `why`
    kTooLarge,      // the signature needs more than the room; nothing cut
    kNoSlot,        // the placeholders are not at `at` (a fault of the caller)
};

// Fills the placeholders that begin at `at` in `file`: the byte range, then
// the signature of the two parts as upper-case hex padded with zeros. On
// anything but kSigned the file may hold a filled byte range and no signature:
// it must not be written.
SlotFill fill_signature_slot(std::string* file, std::size_t at, std::size_t room,
                             const SlotSigner& sign, std::string* why);

}  // namespace markomi
