// Import and export of any encoding of transport/transport_format.h, a slice at a time or a
// whole text at once. The editor fetches the view text, calls these, and shows the result or
// the error; nothing here touches a window or shows a message.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "transport/decode_result.h"
#include "transport/stream_coder.h"
#include "transport/transport_format.h"

namespace cyrvert {

class UuDecoder;

// An export a slice at a time: the MIME header (none for unix), then the encoded text.
// `title` is the uuencode file name.
class ExportStream final : public StreamCoder {
 public:
  explicit ExportStream(TransportFormat format, std::string_view title = {});

 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;

 private:
  std::unique_ptr<StreamCoder> m_coder;
  std::string m_header;  // written before the first output, then cleared
};

// Where an import's encoded text starts.
enum class ImportStart {
  // As the editor: for an encoding with a header_block a line break at the very start ends
  // an empty header block; everything else is encoded text.
  kEditor,
  // A leading header block exactly as the export of the same codec writes it is skipped
  // first, so an exported text imports back whole.
  kAfterOwnHeader,
};

// An import a slice at a time: the same bytes and error offsets as ImportText (with
// kEditor).
class ImportStream final : public StreamCoder {
 public:
  ImportStream(TransportFormat format, ImportStart start);
  ~ImportStream() override;
  // uudecode: the name on the begin line, once it has been read.
  std::string file_name() const;

 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;

 private:
  // How many bytes at the start of `text` are not encoded text; npos when more are needed.
  std::size_t Preamble(std::string_view text, bool last) const;

  const TransportFormatInfo& m_format;
  ImportStart m_start;
  std::unique_ptr<StreamCoder> m_coder;
  const UuDecoder* m_pUu = nullptr;  // m_coder, for uu
  bool m_bStarted = false;
  std::size_t m_nOffset = 0;  // where the encoded text starts in the whole input
};

// The result of an import, and for uudecode the name from the begin line.
struct ImportResult {
  DecodeResult result;    // decoded cp-1251 text, or the error and its offset in the input
  std::string file_name;  // uudecode only: the name to offer and to title the window with
};

// A whole text imported as the editor does it (ImportStart::kEditor): UTF-7 and UTF-8 to
// cp-1251, the quoted-printable or base64 body to bytes, the first uuencoded file anywhere
// in the text with its name, LF line ends to CR LF.
ImportResult ImportText(TransportFormat format, std::string_view text);
// A whole text exported: encoded and wrapped as its encoding says; `title` (the document's
// title) is the uuencode file name.
std::string ExportText(TransportFormat format, std::string_view text, std::string_view title = {});

}  // namespace cyrvert
