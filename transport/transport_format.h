// The six encodings of import and export, each described once: its name on the command
// line, its MIME wrapping, its coders and the message shown when a text cannot be decoded.
// The editor's commands, its menus and cyrvert-cli all read this table.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "transport/mime.h"
#include "transport/stream_coder.h"

namespace cyrvert {

// The encodings of import and export, in the order of the menus.
enum class TransportFormat : int { kUtf7, kUtf8, kQuotedPrintable, kBase64, kUu, kUnix };
inline constexpr int kTransportFormatCount = 6;

// Mode written on the begin line of an uuencode export.
inline constexpr unsigned kUuFileMode = 0644;

// One encoding.
struct TransportFormatInfo {
  TransportFormat format;
  std::string_view name;      // on the command line: "utf7", "utf8", "qp", "base64", "uu", "unix"
  bool wrapped;               // an export starts with a MIME text/plain header
  TransferEncoding encoding;  // the Content-Transfer-Encoding that header declares
  bool header_block;          // import: a line break at the very start ends an empty header block
  // A new encoder; `file_name` is what uuencode writes on its begin line.
  std::unique_ptr<StreamCoder> (*make_encoder)(std::string_view file_name);
  // A new decoder.
  std::unique_ptr<StreamCoder> (*make_decoder)();
  std::string_view decode_error;    // shown when a text cannot be decoded; empty: never fails
  std::string_view decode_caption;  // the caption of that message
};

// Every encoding, in TransportFormat order.
std::span<const TransportFormatInfo> TransportFormats();
// The description of `format`.
const TransportFormatInfo& FormatInfo(TransportFormat format);
// The encoding named `name` on the command line, or null.
const TransportFormatInfo* FindTransportFormat(std::string_view name);
// The command-line names as a message lists them: "utf7, utf8, qp, base64, uu or unix".
std::string TransportFormatNames();

}  // namespace cyrvert
