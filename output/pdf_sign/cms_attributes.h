#pragma once
// The DER pieces of a PDF signature that crypt32 takes ready-made: the
// signed attributes' values (signing-certificate-v2, signing-time) and the
// subject of a personal certificate. Encoded here, so that their bytes are
// the same on every system and a department line's commas or quotes are
// data, never syntax.
#include <optional>
#include <string>
#include <string_view>

namespace markomi {

// A moment on the local clock with its offset from UTC (Japan: +540).
struct SigningTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int utc_offset_minutes = 0;
};

// A DER element: tag, length (short form below 128, else the long form),
// content.
std::string der_element(unsigned char tag, std::string_view content);

// The value of the signing-certificate-v2 attribute (RFC 5035):
// SEQUENCE { SEQUENCE OF ESSCertIDv2 }, one ESSCertIDv2 holding only the
// certificate's SHA-256 (its hash algorithm, SHA-256, is the default and so
// left out, as DER requires).
std::string signing_certificate_v2_value(std::string_view certificate_sha256);

// The value of the signing-time attribute: the moment in UTC as UTCTime for
// the years 1950 to 2049 and as GeneralizedTime otherwise (RFC 5652).
// nullopt for a moment that is no calendar time.
std::optional<std::string> signing_time_value(const SigningTime& local);

// The Name "CN=<cn>, O=<organisation>" (no O when empty), each value a
// UTF8String in a set of its own. nullopt for an empty CN.
std::optional<std::string> subject_name(std::string_view cn_utf8, std::string_view organisation_utf8);

// Bytes as upper-case hex, as Windows shows a thumbprint.
std::u16string upper_hex(std::string_view bytes);

// A thumbprint as typed: 40 hex digits, spaces between them dropped,
// returned upper-case; nullopt for anything else.
std::optional<std::u16string> parse_thumbprint(std::u16string_view text);

// The 20 bytes of a thumbprint that parse_thumbprint accepted.
std::string thumbprint_bytes(std::u16string_view thumbprint);

}  // namespace markomi
