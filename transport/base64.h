// MIME base64: 76-character lines with CR LF.
#pragma once

#include <string>
#include <string_view>

#include "transport/decode_result.h"

namespace cyrvert {

// The 64 characters of base64; value v is character v. UTF-7 runs use the same.
inline constexpr std::string_view Base64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Encodes `bytes` as lines of at most 76 characters, each ended by CR LF; padding with
// '='. Empty input gives empty output.
std::string EncodeBase64(std::string_view bytes);
// The same, appended to `out`.
void AppendBase64(std::string_view bytes, std::string& out);

// Decodes base64 text. CR, LF, space, tab, VT and FF are skipped anywhere. Fails on any
// other character outside the alphabet, on '=' anywhere but the last one or two places of
// a four-character group, on anything but white space after padding, and on a lone
// character left at the end. A last group of two or three characters without its '='
// is accepted, and unused low bits of a last group are ignored.
DecodeResult DecodeBase64(std::string_view text);

}  // namespace cyrvert
