#include "transport/uucode.h"

#include <cstdint>
#include <utility>

namespace cyrvert {
namespace {

constexpr std::size_t kBytesPerLine = 45;

// The character of a 6-bit value; zero is '`' so no line ends in a space.
inline char UuChar(std::uint32_t value) {
  return value == 0 ? '`' : static_cast<char>(0x20 + value);
}

// The value of an encoded character, or -1 outside space..'`'.
inline int UuValue(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u < 0x20 || u > 0x60) return -1;
  return (u - 0x20) & 0x3F;
}

void AppendOctal(std::string& out, unsigned value) {
  char digits[12];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + (value & 7U));
    value >>= 3;
  } while (value != 0 && count < 12);
  while (count > 0) out += digits[--count];
}

// One line of `text` from `pos`, without its CR LF or LF; `next` is where the next starts.
std::string_view LineAt(std::string_view text, std::size_t pos, std::size_t& next) {
  std::size_t end = text.find('\n', pos);
  if (end == std::string_view::npos) {
    end = text.size();
    next = end;
  } else {
    next = end + 1;
  }
  std::string_view line = text.substr(pos, end - pos);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// Parses "begin MODE NAME"; false when the line is something else.
bool ParseBeginLine(std::string_view line, unsigned& mode, std::string& name) {
  constexpr std::string_view kBegin = "begin ";
  if (line.substr(0, kBegin.size()) != kBegin) return false;
  std::size_t i = kBegin.size();
  const std::size_t digits_from = i;
  unsigned value = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '7') {
    // Keep the low digits; a mode has at most a few.
    value = ((value << 3) | static_cast<unsigned>(line[i] - '0')) & 07777777U;
    ++i;
  }
  if (i == digits_from || i >= line.size() || line[i] != ' ' || i + 1 == line.size()) {
    return false;
  }
  mode = value;
  name.assign(line.substr(i + 1));
  return true;
}

// The line "end", allowing blanks after it.
bool IsEndLine(std::string_view line) {
  if (line.substr(0, 3) != "end") return false;
  for (std::size_t i = 3; i < line.size(); ++i) {
    if (line[i] != ' ' && line[i] != '\t') return false;
  }
  return true;
}

}  // namespace

void AppendUu(std::string_view bytes, std::string_view file_name, unsigned mode, std::string& out) {
  const std::size_t n = bytes.size();
  out += "begin ";
  AppendOctal(out, mode);
  out += ' ';
  out.append(file_name);
  out += "\r\n";
  const std::size_t head = out.size();
  const std::size_t full_lines = n / kBytesPerLine;
  const std::size_t rest = n % kBytesPerLine;
  const std::size_t body = full_lines * (1 + 60 + 2) + (rest ? 1 + (rest + 2) / 3 * 4 + 2 : 0);
  out.resize(head + body + 3 + 5);
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  char* o = out.data() + head;
  for (std::size_t pos = 0; pos < n; pos += kBytesPerLine) {
    const std::size_t len = n - pos < kBytesPerLine ? n - pos : kBytesPerLine;
    *o++ = UuChar(static_cast<std::uint32_t>(len));
    for (std::size_t g = 0; g < len; g += 3) {
      const std::uint32_t b0 = in[pos + g];
      const std::uint32_t b1 = g + 1 < len ? in[pos + g + 1] : 0;
      const std::uint32_t b2 = g + 2 < len ? in[pos + g + 2] : 0;
      const std::uint32_t v = (b0 << 16) | (b1 << 8) | b2;
      o[0] = UuChar(v >> 18);
      o[1] = UuChar((v >> 12) & 0x3F);
      o[2] = UuChar((v >> 6) & 0x3F);
      o[3] = UuChar(v & 0x3F);
      o += 4;
    }
    *o++ = '\r';
    *o++ = '\n';
  }
  for (const char c : std::string_view("`\r\nend\r\n")) *o++ = c;
}

std::string EncodeUu(std::string_view bytes, std::string_view file_name, unsigned mode) {
  std::string out;
  AppendUu(bytes, file_name, mode, out);
  return out;
}

UuDecodeResult DecodeUu(std::string_view text) {
  UuDecodeResult decoded;
  // Find the begin line.
  std::size_t pos = 0;
  std::size_t next = 0;
  bool found = false;
  while (pos < text.size()) {
    const std::string_view line = LineAt(text, pos, next);
    pos = next;
    if (ParseBeginLine(line, decoded.mode, decoded.file_name)) {
      found = true;
      break;
    }
  }
  if (!found) {
    decoded.result = detail::Failure(DecodeError::kUuNoBegin, text.size());
    decoded.file_name.clear();
    decoded.mode = 0;
    return decoded;
  }
  std::string out((text.size() - pos) / 4 * 3 + 3, '\0');
  auto* const begin = reinterpret_cast<unsigned char*>(out.data());
  unsigned char* o = begin;
  bool seen_zero_line = false;
  while (pos < text.size()) {
    const std::size_t line_pos = pos;
    const std::string_view line = LineAt(text, pos, next);
    pos = next;
    if (IsEndLine(line)) {
      out.resize(static_cast<std::size_t>(o - begin));
      decoded.result = DecodeResult{DecodeError::kNone, 0, std::move(out)};
      return decoded;
    }
    // Only "end" may follow the zero-length line.
    if (seen_zero_line || line.empty()) {
      decoded.result = detail::Failure(DecodeError::kUuBadLine, line_pos);
      return decoded;
    }
    const int length = UuValue(line[0]);
    if (length < 0) {
      decoded.result = detail::Failure(DecodeError::kUuBadLine, line_pos);
      return decoded;
    }
    if (length == 0) {
      seen_zero_line = true;
      continue;
    }
    const auto len = static_cast<std::size_t>(length);
    const std::size_t needed = (len * 4 + 2) / 3;  // characters that carry the bytes
    if (line.size() - 1 < needed) {
      decoded.result = detail::Failure(DecodeError::kUuBadLine, line_pos);
      return decoded;
    }
    std::uint32_t group[4];
    std::size_t written = 0;
    for (std::size_t c = 0; written < len; c += 4) {
      for (std::size_t k = 0; k < 4; ++k) {
        const std::size_t at = 1 + c + k;
        int v = 0;
        if (c + k < needed) {
          v = UuValue(line[at]);
          if (v < 0) {
            decoded.result = detail::Failure(DecodeError::kUuBadLine, line_pos + at);
            return decoded;
          }
        }
        group[k] = static_cast<std::uint32_t>(v);
      }
      const std::uint32_t v = (group[0] << 18) | (group[1] << 12) | (group[2] << 6) | group[3];
      for (int b = 0; b < 3 && written < len; ++b, ++written) {
        *o++ = static_cast<unsigned char>(v >> (16 - 8 * b));
      }
    }
  }
  decoded.result = detail::Failure(DecodeError::kUuNoEnd, text.size());
  return decoded;
}

}  // namespace cyrvert
