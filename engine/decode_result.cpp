#include "engine/decode_result.h"

namespace cyrvert {

std::string_view DecodeErrorName(DecodeError error) {
  switch (error) {
    case DecodeError::kNone:
      return "no error";
    case DecodeError::kUtf7ByteOutsideRun:
      return "byte of 0x80 or more outside a UTF-7 base64 run";
    case DecodeError::kUtf8BadLead:
      return "bad UTF-8 lead byte";
    case DecodeError::kUtf8BadContinuation:
      return "bad or missing UTF-8 continuation byte";
    case DecodeError::kUtf8Overlong:
      return "overlong UTF-8 form";
    case DecodeError::kBase64BadCharacter:
      return "character outside the base64 alphabet";
    case DecodeError::kBase64BadPadding:
      return "broken base64 padding";
    case DecodeError::kQpBadEscape:
      return "'=' not followed by two hex digits or a line break";
    case DecodeError::kUuNoBegin:
      return "no uuencode begin line";
    case DecodeError::kUuBadLine:
      return "malformed uuencoded line";
    case DecodeError::kUuNoEnd:
      return "uuencoded text ends before its end line";
    case DecodeError::kNoHeaderEnd:
      return "no empty line after the MIME header";
  }
  return "unknown error";
}

}  // namespace cyrvert
