// UTF-8 sequences of one to six bytes, and the conversions between UTF-8 and cp-1251.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "transport/decode_result.h"

namespace cyrvert {

// Decodes the sequence at `pos` in `text` (pos < text.size()). On success returns 0, sets
// `value` and moves `pos` past the sequence. On failure leaves `pos` and returns -1 (bad
// lead byte), -2 (bad or missing continuation byte) or -3 (overlong form). `value` is
// set to 0 first. Surrogates and values above U+10FFFF are accepted.
int Utf8DecodeOne(std::string_view text, std::size_t& pos, std::uint32_t& value);

// Appends the one- to six-byte form of `value` & 0x7FFFFFFF.
void Utf8EncodeOne(std::uint32_t value, std::string& out);

// UTF-8 text to cp-1251 bytes; values without a byte become '?'. Fails at the first
// sequence Utf8DecodeOne rejects.
DecodeResult Utf8ToBytes(std::string_view text);

// cp-1251 bytes to UTF-8 (one to three bytes each).
std::string BytesToUtf8(std::string_view bytes);
// The same, appended to `out`.
void AppendUtf8(std::string_view bytes, std::string& out);

}  // namespace cyrvert
