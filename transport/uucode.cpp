#include "transport/uucode.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

namespace cyrvert {
namespace {

constexpr std::size_t kBytesPerLine = 45;

// The character of a 6-bit value; zero is '`' so no line ends in a space.
constexpr char UuChar(std::uint32_t value) {
  return value == 0 ? '`' : static_cast<char>(0x20 + value);
}

// The value of an encoded character, or -1 outside space..'`'.
constexpr int UuValue(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u < 0x20 || u > 0x60) return -1;
  return (u - 0x20) & 0x3F;
}

// The two characters of each 12-bit value: three bytes are two look-ups.
constexpr std::array<std::array<char, 2>, 4096> MakePairs() {
  std::array<std::array<char, 2>, 4096> table{};
  for (std::uint32_t v = 0; v < table.size(); ++v) table[v] = {UuChar(v >> 6), UuChar(v & 0x3F)};
  return table;
}
constexpr std::array<std::array<char, 2>, 4096> kPairs = MakePairs();

// UuValue of every byte, 0xFF for -1.
constexpr std::array<std::uint8_t, 256> MakeValues() {
  std::array<std::uint8_t, 256> table{};
  for (unsigned c = 0; c < 256; ++c) {
    const int v = UuValue(static_cast<char>(c));
    table[c] = v < 0 ? 0xFF : static_cast<std::uint8_t>(v);
  }
  return table;
}
constexpr std::array<std::uint8_t, 256> kValues = MakeValues();

// The 12-bit value of each pair of characters (first in the low byte), 0xFFFF when either
// is not valid: two look-ups decode three bytes. Built on first use.
const std::array<std::uint16_t, 65536>& PairValues() {
  static const std::array<std::uint16_t, 65536> table = [] {
    std::array<std::uint16_t, 65536> values{};
    for (std::size_t pair = 0; pair < values.size(); ++pair) {
      const unsigned a = kValues[pair & 0xFF];
      const unsigned b = kValues[pair >> 8];
      values[pair] =
          ((a | b) & 0xC0) != 0 ? std::uint16_t{0xFFFF} : static_cast<std::uint16_t>((a << 6) | b);
    }
    return values;
  }();
  return table;
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

// Data lines longer than this are decided on their start; the rest is skipped.
constexpr std::size_t kLongLine = 1024;

// A line without its CR LF or LF.
std::string_view Chomp(std::string_view line) {
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

bool IsUuFileName(std::string_view name) {
  if (name.empty()) return false;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return false;
  }
  return true;
}

std::size_t UuEncoder::Code(std::string_view text, bool last, std::string& out) {
  if (!m_bBegun) {
    m_bBegun = true;
    out += "begin ";
    AppendOctal(out, m_nMode);
    out += ' ';
    out.append(m_name);
    out += "\r\n";
  }
  // Whole lines only, unless this is the end of the text.
  const std::size_t n = last ? text.size() : text.size() / kBytesPerLine * kBytesPerLine;
  const std::size_t head = out.size();
  const std::size_t full_lines = n / kBytesPerLine;
  const std::size_t rest = n % kBytesPerLine;
  const std::size_t body = full_lines * (1 + 60 + 2) + (rest ? 1 + (rest + 2) / 3 * 4 + 2 : 0);
  out.resize(head + body + (last ? 3 + 5 : 0));
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  char* o = out.data() + head;
  for (std::size_t pos = 0; pos < n; pos += kBytesPerLine) {
    const std::size_t len = n - pos < kBytesPerLine ? n - pos : kBytesPerLine;
    *o++ = UuChar(static_cast<std::uint32_t>(len));
    std::size_t g = 0;
    for (; g + 3 <= len; g += 3, o += 4) {
      const std::uint32_t v = (std::uint32_t{in[pos + g]} << 16) |
                              (std::uint32_t{in[pos + g + 1]} << 8) | in[pos + g + 2];
      std::memcpy(o, kPairs[v >> 12].data(), 2);
      std::memcpy(o + 2, kPairs[v & 0xFFF].data(), 2);
    }
    for (; g < len; g += 3) {
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
  if (last) {
    for (const char c : std::string_view("`\r\nend\r\n")) *o++ = c;
  }
  return n;
}

void AppendUu(std::string_view bytes, std::string_view file_name, unsigned mode, std::string& out) {
  UuEncoder encoder(file_name, mode);
  encoder.PutAll(bytes, out);
}

std::string EncodeUu(std::string_view bytes, std::string_view file_name, unsigned mode) {
  std::string out;
  AppendUu(bytes, file_name, mode, out);
  return out;
}

void UuDecoder::Line(std::string_view line, std::size_t at, unsigned char*& out) {
  // A local copy, written back on the way out: stores through `out` itself could change it.
  unsigned char* o = out;
  struct WriteBack {
    unsigned char*& to;
    unsigned char*& from;
    ~WriteBack() { to = from; }
  } write_back{out, o};
  if (m_stage == Stage::kSeekBegin) {
    if (ParseBeginLine(line, m_nMode, m_name)) m_stage = Stage::kData;
    return;
  }
  if (IsEndLine(line)) {
    m_stage = Stage::kDone;
    return;
  }
  // Only "end" may follow the zero-length line.
  if (m_bSeenZeroLine || line.empty()) return Fail(DecodeError::kUuBadLine, at);
  const int length = UuValue(line[0]);
  if (length < 0) return Fail(DecodeError::kUuBadLine, at);
  if (length == 0) {
    m_bSeenZeroLine = true;
    return;
  }
  const auto len = static_cast<std::size_t>(length);
  const std::size_t needed = (len * 4 + 2) / 3;  // characters that carry the bytes
  if (line.size() - 1 < needed) return Fail(DecodeError::kUuBadLine, at);
  // Whole groups of four valid characters give three bytes; the rest, and a group with a
  // bad character, go one character at a time.
  const auto* chars = reinterpret_cast<const unsigned char*>(line.data()) + 1;
  const std::array<std::uint16_t, 65536>& pairs = PairValues();
  std::size_t written = 0;
  std::size_t c = 0;
  for (; written + 3 <= len; c += 4, written += 3) {
    const std::uint32_t high = pairs[chars[c] | (std::size_t{chars[c + 1]} << 8)];
    const std::uint32_t low = pairs[chars[c + 2] | (std::size_t{chars[c + 3]} << 8)];
    if ((high | low) == 0xFFFF) break;
    const std::uint32_t v = (high << 12) | low;
    o[0] = static_cast<unsigned char>(v >> 16);
    o[1] = static_cast<unsigned char>(v >> 8);
    o[2] = static_cast<unsigned char>(v);
    o += 3;
  }
  std::uint32_t group[4];
  for (; written < len; c += 4) {
    for (std::size_t k = 0; k < 4; ++k) {
      const std::size_t index = 1 + c + k;
      int v = 0;
      if (c + k < needed) {
        v = UuValue(line[index]);
        if (v < 0) return Fail(DecodeError::kUuBadLine, at + index);
      }
      group[k] = static_cast<std::uint32_t>(v);
    }
    const std::uint32_t v = (group[0] << 18) | (group[1] << 12) | (group[2] << 6) | group[3];
    for (int b = 0; b < 3 && written < len; ++b, ++written) {
      *o++ = static_cast<unsigned char>(v >> (16 - 8 * b));
    }
  }
}

std::size_t UuDecoder::Code(std::string_view text, bool last, std::string& out) {
  const std::size_t n = text.size();
  const std::size_t start = out.size();
  out.resize(start + n / 4 * 3 + 64);  // a line gives fewer bytes than 3/4 of its characters
  auto* const begin = reinterpret_cast<unsigned char*>(out.data() + start);
  unsigned char* o = begin;
  std::size_t pos = 0;
  while (pos < n && m_stage != Stage::kDone && ok()) {
    const auto* nl = static_cast<const char*>(std::memchr(text.data() + pos, '\n', n - pos));
    const std::size_t end = nl ? static_cast<std::size_t>(nl - text.data()) : n;
    if (m_bSkipLine) {
      m_bSkipLine = nl == nullptr;
      pos = nl ? end + 1 : n;
      continue;
    }
    const std::string_view rest = text.substr(pos, end - pos);
    if (nl == nullptr && !last) {
      // A line still going on. Only a begin line matters before the data, and only the
      // start of a data line, unless it may yet turn out to be "end".
      if (m_stage == Stage::kSeekBegin && rest.size() >= 6 && rest.substr(0, 6) != "begin ") {
        m_bSkipLine = true;
        pos = n;
      } else if (m_stage == Stage::kData && rest.size() > kLongLine) {
        std::size_t decisive = kLongLine;
        if (rest.substr(0, 3) == "end") {
          decisive = rest.find_first_not_of(" \t", 3);
          if (decisive == std::string_view::npos) break;  // "end" and blanks so far
          decisive = decisive < kLongLine ? kLongLine : decisive + 1;
        }
        Line(rest.substr(0, decisive), pos, o);
        m_bSkipLine = true;
        pos = n;
      }
      break;
    }
    Line(Chomp(rest), pos, o);
    pos = nl ? end + 1 : n;
  }
  out.resize(start + static_cast<std::size_t>(o - begin));
  if (!ok()) return pos;
  if (m_stage == Stage::kDone) return n;  // whatever follows "end" is not read
  if (last) {
    if (m_stage == Stage::kSeekBegin) {
      m_name.clear();
      m_nMode = 0;
      Fail(DecodeError::kUuNoBegin, n);
    } else {
      Fail(DecodeError::kUuNoEnd, n);
    }
    return n;
  }
  return pos;
}

UuDecodeResult DecodeUu(std::string_view text) {
  UuDecoder decoder;
  UuDecodeResult decoded;
  decoded.result = StreamCoder::Whole(decoder, text);
  decoded.file_name = decoder.file_name();
  decoded.mode = decoder.mode();
  return decoded;
}

}  // namespace cyrvert
