// Names and texts made safe for the terminal and for JSON.
#include <cstdint>
#include <cstdio>

#include "cli/cli.h"
#include "transport/utf8.h"

namespace cyrvert::cli {
namespace {

// Appends `format` filled with `value` (a short escape).
void AppendEscape(std::string& out, const char* format, unsigned value) {
  char escape[8];
  std::snprintf(escape, sizeof escape, format, value);
  out += escape;
}

// The length of the UTF-8 character at `pos` as JSON may carry it (at most 4 bytes, no
// surrogate, nothing above U+10FFFF), or 0 when the byte there starts none.
std::size_t ValidSequence(std::string_view text, std::size_t pos) {
  std::size_t end = pos;
  std::uint32_t value = 0;
  if (Utf8DecodeOne(text, end, value) != 0) return 0;
  if (end - pos > 4 || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000)) return 0;
  return end - pos;
}

}  // namespace

std::string Printable(std::string_view name) {
  std::string printable;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || c == '\\') {
      AppendEscape(printable, "\\x%02X", u);
    } else {
      printable += c;
    }
  }
  return printable;
}

std::string JsonString(std::string_view bytes) {
  std::string out = "\"";
  for (std::size_t pos = 0; pos < bytes.size();) {
    const char c = bytes[pos];
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
      ++pos;
    } else if (u < 0x20 || u == 0x7F) {
      AppendEscape(out, "\\u%04x", u);
      ++pos;
    } else if (u < 0x80) {
      out += c;
      ++pos;
    } else if (const std::size_t length = ValidSequence(bytes, pos); length > 0) {
      out.append(bytes.substr(pos, length));
      pos += length;
    } else {
      AppendEscape(out, "\\udc%02x", u);
      ++pos;
    }
  }
  return out + "\"";
}

}  // namespace cyrvert::cli
