#include "transport/transport_commands.h"

#include <cstddef>
#include <utility>

#include "transport/base64.h"
#include "transport/line_ends.h"
#include "transport/mime.h"
#include "transport/quoted_printable.h"
#include "transport/utf7.h"
#include "transport/utf8.h"
#include "transport/utf8_stream.h"
#include "transport/uucode.h"

namespace cyrvert {
namespace {

// The Content-Transfer-Encoding an export declares; unix is not wrapped.
TransferEncoding EncodingOf(TransportFormat codec) {
  switch (codec) {
    case TransportFormat::kUtf7:
      return TransferEncoding::k7Bit;
    case TransportFormat::kQuotedPrintable:
      return TransferEncoding::kQuotedPrintable;
    case TransportFormat::kBase64:
      return TransferEncoding::kBase64;
    default:
      return TransferEncoding::k8Bit;
  }
}

std::unique_ptr<StreamCoder> MakeEncoder(TransportFormat codec, std::string_view title) {
  switch (codec) {
    case TransportFormat::kUtf7:
      return std::make_unique<Utf7StreamEncoder>();
    case TransportFormat::kUtf8:
      return std::make_unique<Utf8StreamEncoder>();
    case TransportFormat::kQuotedPrintable:
      return std::make_unique<QpEncoder>();
    case TransportFormat::kBase64:
      return std::make_unique<Base64Encoder>();
    case TransportFormat::kUu:
      return std::make_unique<UuEncoder>(title, kUuFileMode);
    case TransportFormat::kUnix:
      break;
  }
  return std::make_unique<CrLfToLfStream>();
}

std::unique_ptr<StreamCoder> MakeDecoder(TransportFormat codec) {
  switch (codec) {
    case TransportFormat::kUtf7:
      return std::make_unique<Utf7StreamDecoder>();
    case TransportFormat::kUtf8:
      return std::make_unique<Utf8StreamDecoder>();
    case TransportFormat::kQuotedPrintable:
      return std::make_unique<QpDecoder>();
    case TransportFormat::kBase64:
      return std::make_unique<Base64Decoder>();
    case TransportFormat::kUu:
      return std::make_unique<UuDecoder>();
    case TransportFormat::kUnix:
      break;
  }
  return std::make_unique<LfToCrLfStream>();
}

// A whole text through an import stream.
ImportResult ImportWhole(TransportFormat codec, std::string_view text) {
  ImportStream stream(codec, ImportStart::kEditor);
  DecodeResult decoded = StreamCoder::Whole(stream, text);
  return ImportResult{std::move(decoded), stream.file_name()};
}

// A whole text through an export stream.
std::string ExportWhole(TransportFormat codec, std::string_view text, std::string_view title = {}) {
  ExportStream stream(codec, title);
  std::string out;
  stream.PutAll(text, out);
  return out;
}

}  // namespace

ExportStream::ExportStream(TransportFormat codec, std::string_view title)
    : m_coder(MakeEncoder(codec, title)) {
  if (codec != TransportFormat::kUnix) m_header = MimeHeader(EncodingOf(codec));
}

std::size_t ExportStream::Code(std::string_view text, bool last, std::string& out) {
  if (!m_header.empty()) {
    out += m_header;
    m_header.clear();
  }
  if (last) {
    m_coder->PutLast(text, out);
  } else {
    m_coder->Put(text, out);
  }
  return text.size();
}

ImportStream::ImportStream(TransportFormat codec, ImportStart start)
    : m_codec(codec), m_start(start), m_coder(MakeDecoder(codec)) {
  if (codec == TransportFormat::kUu) m_pUu = static_cast<const UuDecoder*>(m_coder.get());
}

ImportStream::~ImportStream() = default;

std::string ImportStream::file_name() const { return m_pUu ? m_pUu->file_name() : std::string(); }

std::size_t ImportStream::Preamble(std::string_view text, bool last) const {
  if (m_start == ImportStart::kAfterOwnHeader && m_codec != TransportFormat::kUnix) {
    const std::string header = MimeHeader(EncodingOf(m_codec));
    if (text.substr(0, header.size()) == header) return header.size();
    if (!last && text.size() < header.size() &&
        std::string_view(header).substr(0, text.size()) == text) {
      return std::string_view::npos;
    }
  }
  if (m_codec != TransportFormat::kQuotedPrintable && m_codec != TransportFormat::kBase64) return 0;
  // Unwrapping CR LF + text when the text starts with neither CR nor LF, else the text
  // itself: so the whole text is the body, unless a line break at the very start ends an
  // empty header block.
  if (text.empty()) return last ? 0 : std::string_view::npos;
  if (text[0] == '\n') return 1;
  if (text[0] != '\r') return 0;
  if (text.size() == 1) return last ? 1 : std::string_view::npos;
  return text[1] == '\n' ? 2 : 1;
}

std::size_t ImportStream::Code(std::string_view text, bool last, std::string& out) {
  std::size_t skipped = 0;
  if (!m_bStarted) {
    skipped = Preamble(text, last);
    if (skipped == std::string_view::npos) return 0;
    m_bStarted = true;
    m_nOffset = skipped;
    text.remove_prefix(skipped);
  }
  if (last) {
    m_coder->PutLast(text, out);
  } else {
    m_coder->Put(text, out);
  }
  if (!m_coder->ok()) FailAt(m_coder->error(), m_coder->error_position() + m_nOffset);
  return skipped + text.size();
}

ImportResult ImportUtf7(std::string_view text) { return ImportWhole(TransportFormat::kUtf7, text); }

ImportResult ImportUtf8(std::string_view text) { return ImportWhole(TransportFormat::kUtf8, text); }

ImportResult ImportQuotedPrintable(std::string_view text) {
  return ImportWhole(TransportFormat::kQuotedPrintable, text);
}

ImportResult ImportBase64(std::string_view text) {
  return ImportWhole(TransportFormat::kBase64, text);
}

ImportResult ImportUu(std::string_view text) { return ImportWhole(TransportFormat::kUu, text); }

ImportResult ImportUnix(std::string_view text) {
  return ImportResult{DecodeResult{DecodeError::kNone, 0, LfToCrLf(text)}, {}};
}

std::string ExportUtf7(std::string_view text) { return ExportWhole(TransportFormat::kUtf7, text); }

std::string ExportUtf8(std::string_view text) { return ExportWhole(TransportFormat::kUtf8, text); }

std::string ExportQuotedPrintable(std::string_view text) {
  return ExportWhole(TransportFormat::kQuotedPrintable, text);
}

std::string ExportBase64(std::string_view text) {
  return ExportWhole(TransportFormat::kBase64, text);
}

std::string ExportUu(std::string_view text, std::string_view title) {
  return ExportWhole(TransportFormat::kUu, text, title);
}

std::string ExportUnix(std::string_view text) { return CrLfToLf(text); }

}  // namespace cyrvert
