// One conversion per transport menu command: the text in, the result out. The editor
// fetches the view text, calls one of these, and shows the result or the error; nothing
// here touches a window or shows a message.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/decode_result.h"
#include "engine/stream_coder.h"

namespace cyrvert {

// Mode written on the begin line of an uuencode export.
inline constexpr unsigned kUuFileMode = 0644;

// The encodings of import and export.
enum class TransportFormat : int { kUtf7, kUtf8, kQuotedPrintable, kBase64, kUu, kUnix };

class UuDecoder;

// An export a slice at a time: the MIME header (none for unix), then the encoded text;
// the same bytes as the Export function of the codec. `title` is the uuencode file name.
class ExportStream final : public StreamCoder {
 public:
  explicit ExportStream(TransportFormat codec, std::string_view title = {});

 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;

 private:
  std::unique_ptr<StreamCoder> m_coder;
  std::string m_header;  // written before the first output, then cleared
};

// Where an import's encoded text starts.
enum class ImportStart {
  // As the editor: for qp and base64 a line break at the very start ends an empty header
  // block; everything else is encoded text.
  kEditor,
  // A leading header block exactly as the export of the same codec writes it is skipped
  // first, so an exported text imports back whole.
  kAfterOwnHeader,
};

// An import a slice at a time: the same bytes and error offsets as the Import function
// of the codec (with kEditor).
class ImportStream final : public StreamCoder {
 public:
  ImportStream(TransportFormat codec, ImportStart start);
  ~ImportStream() override;
  // uudecode: the name on the begin line, once it has been read.
  std::string file_name() const;

 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;

 private:
  // How many bytes at the start of `text` are not encoded text; npos when more are needed.
  std::size_t Preamble(std::string_view text, bool last) const;

  TransportFormat m_codec;
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

// UTF-7 to cp-1251. The whole text is decoded; header lines pass through as ASCII.
ImportResult ImportUtf7(std::string_view text);
// UTF-8 to cp-1251. The whole text is decoded; no header or byte-order mark is stripped.
ImportResult ImportUtf8(std::string_view text);
// Quoted-printable body to bytes. A line break at the very start ends an empty header
// block; otherwise the whole text is the body.
ImportResult ImportQuotedPrintable(std::string_view text);
// Base64 body to bytes, the text taken as for ImportQuotedPrintable.
ImportResult ImportBase64(std::string_view text);
// The first uuencoded file anywhere in the text, with its name.
ImportResult ImportUu(std::string_view text);
// LF line ends to CR LF. Never fails.
ImportResult ImportUnix(std::string_view text);

// cp-1251 to UTF-7, wrapped as a text/plain message in 7bit.
std::string ExportUtf7(std::string_view text);
// cp-1251 to UTF-8, wrapped in 8bit.
std::string ExportUtf8(std::string_view text);
// Quoted-printable, wrapped as quoted-printable.
std::string ExportQuotedPrintable(std::string_view text);
// Base64, wrapped as base64.
std::string ExportBase64(std::string_view text);
// Uuencoded under `title` (the document's title) with mode 644, wrapped in 8bit.
std::string ExportUu(std::string_view text, std::string_view title);
// CR LF line ends to LF; no wrapping.
std::string ExportUnix(std::string_view text);

}  // namespace cyrvert
