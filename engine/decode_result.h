// The outcome of every decoder and import: the bytes, or what failed and where.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cyrvert {

// Why a decoder gave up. kNone means success.
enum class DecodeError : int {
  kNone = 0,
  kUtf7ByteOutsideRun,   // a byte of 0x80 or more outside a base64 run
  kUtf8BadLead,          // 10xxxxxx, 0xFE or 0xFF where a sequence should start
  kUtf8BadContinuation,  // a missing byte, or one not of the form 10xxxxxx
  kUtf8Overlong,         // a value written with more bytes than it needs
  kBase64BadCharacter,   // a character outside the alphabet that is not white space
  kBase64BadPadding,     // '=' out of place, data after padding, or a lone last character
  kQpBadEscape,          // '=' followed by neither two hex digits nor a line break
  kUuNoBegin,            // no "begin MODE NAME" line
  kUuBadLine,            // a data line with bad characters or too few of them
  kUuNoEnd,              // the text ends before the "end" line
  kNoHeaderEnd,          // a MIME message without the empty line that ends its header
};

// A short English description of `error`, for logs and diagnostics.
std::string_view DecodeErrorName(DecodeError error);

// Decoded bytes, or the error and the byte offset in the input where it was found.
struct DecodeResult {
  DecodeError error = DecodeError::kNone;
  std::size_t position = 0;  // offset of the offending input byte; 0 on success
  std::string bytes;         // the decoded bytes; empty on failure

  // True when decoding succeeded.
  bool ok() const { return error == DecodeError::kNone; }
};

namespace detail {
// A failed result at `position`.
inline DecodeResult Failure(DecodeError error, std::size_t position) {
  return DecodeResult{error, position, {}};
}
}  // namespace detail

}  // namespace cyrvert
