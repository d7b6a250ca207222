#include "transport/mime.h"

namespace cyrvert {
namespace {

std::string_view EncodingName(TransferEncoding encoding) {
  switch (encoding) {
    case TransferEncoding::k7Bit:
      return "7bit";
    case TransferEncoding::k8Bit:
      return "8bit";
    case TransferEncoding::kQuotedPrintable:
      return "quoted-printable";
    case TransferEncoding::kBase64:
      return "base64";
  }
  return "8bit";
}

}  // namespace

std::string MimeHeader(TransferEncoding encoding) {
  // CR LF line ends, as the editor keeps them.
  std::string header = "Content-Type: text/plain\r\nContent-Transfer-Encoding: ";
  header += EncodingName(encoding);
  header += "\r\n\r\n";
  return header;
}

std::string WrapMime(std::string_view body, TransferEncoding encoding) {
  std::string message = MimeHeader(encoding);
  message.append(body);
  return message;
}

std::size_t MimeBodyOffset(std::string_view message) {
  std::size_t line_start = 0;
  const std::size_t size = message.size();
  while (line_start < size) {
    // Find the end of the line that starts at line_start.
    std::size_t end = line_start;
    while (end < size && message[end] != '\n' && message[end] != '\r') ++end;
    if (end == size) return std::string_view::npos;  // last line has no break
    std::size_t next = end + 1;
    if (message[end] == '\r' && next < size && message[next] == '\n') ++next;
    if (end == line_start) return next;  // the empty line ending the header block
    line_start = next;
  }
  return std::string_view::npos;
}

DecodeResult UnwrapMime(std::string_view message) {
  const std::size_t offset = MimeBodyOffset(message);
  if (offset == std::string_view::npos) {
    return detail::Failure(DecodeError::kNoHeaderEnd, message.size());
  }
  return DecodeResult{DecodeError::kNone, 0, std::string(message.substr(offset))};
}

}  // namespace cyrvert
