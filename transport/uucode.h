// uuencode: "begin MODE NAME", lines of up to 45 bytes led by their length character,
// a zero-length line and "end".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/decode_result.h"
#include "engine/stream_coder.h"

namespace cyrvert {

// Whether `name` can stand on a begin line and be read back as it is: not empty, and no
// control characters (a line break would end the line, a last CR is taken for its end).
bool IsUuFileName(std::string_view name);

// The encoder below, a slice at a time.
class UuEncoder final : public StreamCoder {
 public:
  UuEncoder(std::string_view file_name, unsigned mode) : m_name(file_name), m_nMode(mode) {}

 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;

 private:
  std::string m_name;
  unsigned m_nMode;
  bool m_bBegun = false;
};

// The decoder below, a slice at a time. Lines are carried over slices whole, except long
// lines that cannot be the begin line and long data lines, of which only the part that
// counts is kept.
class UuDecoder final : public StreamCoder {
 public:
  const std::string& file_name() const { return m_name; }
  unsigned mode() const { return m_nMode; }
  // Whether the begin line was found.
  bool begun() const { return m_stage != Stage::kSeekBegin; }

 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;

 private:
  enum class Stage { kSeekBegin, kData, kDone };
  // Handles one line (without its line end) that starts at `at` of the text given to Code.
  void Line(std::string_view line, std::size_t at, unsigned char*& o);

  Stage m_stage = Stage::kSeekBegin;
  bool m_bSkipLine = false;      // the rest of the current line does not count
  bool m_bSeenZeroLine = false;  // only "end" may follow
  std::string m_name;
  unsigned m_nMode = 0;
};

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
