#include "transport/transport_commands.h"

#include <cstddef>
#include <utility>

#include "engine/unicode_codec.h"
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

ImportResult ImportUtf8(std::string_view text) { return ImportResult{DecodeUtf8(text), {}}; }

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
  return ImportResult{DecodeResult{DecodeError::kNone, 0, LfToCrLf(text)}, {}};
}

std::string ExportUtf7(std::string_view text) {
  std::string out = MimeHeader(TransferEncoding::k7Bit);
  AppendUtf7(text, out);
  return out;
}

std::string ExportUtf8(std::string_view text) {
  std::string out = MimeHeader(TransferEncoding::k8Bit);
  kTransportCodec.AppendUtf8(text, out);
  return out;
}

std::string ExportQuotedPrintable(std::string_view text) {
  std::string out = MimeHeader(TransferEncoding::kQuotedPrintable);
  AppendQuotedPrintable(text, out);
  return out;
}

std::string ExportBase64(std::string_view text) {
  std::string out = MimeHeader(TransferEncoding::kBase64);
  AppendBase64(text, out);
  return out;
}

std::string ExportUu(std::string_view text, std::string_view title) {
  std::string out = MimeHeader(TransferEncoding::k8Bit);
  AppendUu(text, title, kUuFileMode, out);
  return out;
}

std::string ExportUnix(std::string_view text) { return CrLfToLf(text); }

}  // namespace cyrvert
