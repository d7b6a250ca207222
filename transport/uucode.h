// uuencode: "begin MODE NAME", lines of up to 45 bytes led by their length character,
// a zero-length line and "end".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "transport/decode_result.h"

namespace cyrvert {

// Encodes `bytes` under `file_name` with `mode` (written in octal). Zero sextets are
// written as '`'; lines end with CR LF.
std::string EncodeUu(std::string_view bytes, std::string_view file_name, unsigned mode);
// The same, appended to `out`.
void AppendUu(std::string_view bytes, std::string_view file_name, unsigned mode, std::string& out);

// What uudecoding gives besides the bytes.
struct UuDecodeResult {
  DecodeResult result;    // the decoded bytes, or the error and where it was found
  std::string file_name;  // the name on the begin line
  unsigned mode = 0;      // the octal mode on the begin line
};

// Decodes the first uuencoded file in `text`. Lines before the begin line are skipped: the
// begin line is the first line that reads "begin", a space, octal digits, a space and a
// non-empty name. Lines end with LF or CR LF. Each data line starts with its length
// character; space and '`' both stand for zero. A line must carry enough characters for
// its length, all between space and '`'; characters past that are ignored. Data ends at
// the "end" line, which may follow a zero-length line; text ending before it fails.
UuDecodeResult DecodeUu(std::string_view text);

}  // namespace cyrvert
