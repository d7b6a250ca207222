#include "transport/transport_commands.h"

#include <cstddef>
#include <utility>

#include "transport/mime.h"
#include "transport/uucode.h"

namespace cyrvert {

ExportStream::ExportStream(TransportFormat format, std::string_view title)
    : m_coder(FormatInfo(format).make_encoder(title)) {
  if (FormatInfo(format).wrapped) m_header = MimeHeader(FormatInfo(format).encoding);
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

ImportStream::ImportStream(TransportFormat format, ImportStart start)
    : m_format(FormatInfo(format)), m_start(start), m_coder(m_format.make_decoder()) {
  if (format == TransportFormat::kUu) m_pUu = static_cast<const UuDecoder*>(m_coder.get());
}

ImportStream::~ImportStream() = default;

std::string ImportStream::file_name() const { return m_pUu ? m_pUu->file_name() : std::string(); }

std::size_t ImportStream::Preamble(std::string_view text, bool last) const {
  if (m_start == ImportStart::kAfterOwnHeader && m_format.wrapped) {
    const std::string header = MimeHeader(m_format.encoding);
    if (text.substr(0, header.size()) == header) return header.size();
    if (!last && text.size() < header.size() &&
        std::string_view(header).substr(0, text.size()) == text) {
      return std::string_view::npos;
    }
  }
  if (!m_format.header_block) return 0;
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

ImportResult ImportText(TransportFormat format, std::string_view text) {
  ImportStream stream(format, ImportStart::kEditor);
  DecodeResult decoded = StreamCoder::Whole(stream, text);
  return ImportResult{std::move(decoded), stream.file_name()};
}

std::string ExportText(TransportFormat format, std::string_view text, std::string_view title) {
  ExportStream stream(format, title);
  std::string out;
  stream.PutAll(text, out);
  return out;
}

}  // namespace cyrvert
