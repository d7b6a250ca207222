// One conversion per transport menu command: the text in, the result out. The editor
// fetches the view text, calls one of these, and shows the result or the error; nothing
// here touches a window or shows a message.
#pragma once

#include <string>
#include <string_view>

#include "transport/decode_result.h"

namespace cyrvert {

// Mode written on the begin line of an uuencode export.
inline constexpr unsigned kUuFileMode = 0644;

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
