#include "transport/transport_commands.h"

#include <cstddef>
#include <utility>

#include "transport/base64.h"
#include "transport/line_ends.h"
#include "transport/mime.h"
#include "transport/quoted_printable.h"
#include "transport/utf7.h"
#include "transport/utf8.h"
#include "transport/uucode.h"

namespace cyrvert {
namespace {

// The encoded body of an imported text. Unwrapping CR LF + text when the text starts with
// neither CR nor LF, else the text itself: so the whole text is the body, unless a line
// break at the very start ends an empty header block. Returns the body's offset.
std::size_t ImportBodyOffset(std::string_view text) {
  if (text.empty() || (text[0] != '\r' && text[0] != '\n')) return 0;
  return MimeBodyOffset(text);  // the first line is empty, so this always succeeds
}

// Moves a decoder's error position from the body back into the whole text.
ImportResult FromBody(DecodeResult decoded, std::size_t offset) {
  if (!decoded.ok()) decoded.position += offset;
  return ImportResult{std::move(decoded), {}};
}

}  // namespace

ImportResult ImportUtf7(std::string_view text) { return ImportResult{Utf7ToBytes(text), {}}; }

ImportResult ImportUtf8(std::string_view text) { return ImportResult{Utf8ToBytes(text), {}}; }

ImportResult ImportQuotedPrintable(std::string_view text) {
  const std::size_t offset = ImportBodyOffset(text);
  return FromBody(DecodeQuotedPrintable(text.substr(offset)), offset);
}

ImportResult ImportBase64(std::string_view text) {
  const std::size_t offset = ImportBodyOffset(text);
  return FromBody(DecodeBase64(text.substr(offset)), offset);
}

ImportResult ImportUu(std::string_view text) {
  UuDecodeResult decoded = DecodeUu(text);
  return ImportResult{std::move(decoded.result), std::move(decoded.file_name)};
}

ImportResult ImportUnix(std::string_view text) {
  std::string converted(text);
  ConvertLfToCrLf(converted);
  return ImportResult{DecodeResult{DecodeError::kNone, 0, std::move(converted)}, {}};
}

std::string ExportUtf7(std::string_view text) {
  return WrapMime(BytesToUtf7(text), TransferEncoding::k7Bit);
}

std::string ExportUtf8(std::string_view text) {
  return WrapMime(BytesToUtf8(text), TransferEncoding::k8Bit);
}

std::string ExportQuotedPrintable(std::string_view text) {
  return WrapMime(EncodeQuotedPrintable(text), TransferEncoding::kQuotedPrintable);
}

std::string ExportBase64(std::string_view text) {
  return WrapMime(EncodeBase64(text), TransferEncoding::kBase64);
}

std::string ExportUu(std::string_view text, std::string_view title) {
  return WrapMime(EncodeUu(text, title, kUuFileMode), TransferEncoding::k8Bit);
}

std::string ExportUnix(std::string_view text) {
  std::string converted(text);
  ConvertCrLfToLf(converted);
  return converted;
}

}  // namespace cyrvert
