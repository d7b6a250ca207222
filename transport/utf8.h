// UTF-8 sequences of one to six bytes, and the strict import of UTF-8 text as cp-1251.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/decode_result.h"

namespace cyrvert {

// Decodes the sequence at `pos` in `text` (pos < text.size()). On success returns 0, sets
// `value` and moves `pos` past the sequence. On failure leaves `pos` and returns -1 (bad
// lead byte), -2 (bad or missing continuation byte) or -3 (overlong form). `value` is
// set to 0 first. Surrogates and values above U+10FFFF are accepted.
int Utf8DecodeOne(std::string_view text, std::size_t& pos, std::uint32_t& value);

// Appends the one- to six-byte form of `value` & 0x7FFFFFFF.
void Utf8EncodeOne(std::uint32_t value, std::string& out);

// The strict UTF-8 import: UTF-8 text to cp-1251 bytes; values without a byte become '?'.
// Fails at the first sequence Utf8DecodeOne rejects. (The export direction is
// kTransportCodec.ToUtf8 in engine/unicode_codec.h.)
DecodeResult DecodeUtf8(std::string_view text);
// The same, appended to `out`. On failure returns the error, sets `at` to the offset of the
// bad sequence, and keeps what was decoded before it.
DecodeError AppendDecodedUtf8(std::string_view text, std::string& out, std::size_t& at);

}  // namespace cyrvert
