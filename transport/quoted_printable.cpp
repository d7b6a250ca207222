#include "transport/quoted_printable.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

namespace cyrvert {
namespace {

constexpr std::size_t kMaxLine = 76;  // characters, not counting CR LF
constexpr char kHex[] = "0123456789ABCDEF";

// Bytes written as themselves: printable ASCII except '=', and space and tab (unless they
// would end a line).
constexpr std::array<bool, 256> MakeLiteralTable() {
  std::array<bool, 256> table{};
  for (int c = 33; c <= 126; ++c) table[static_cast<std::size_t>(c)] = c != '=';
  table[' '] = true;
  table['\t'] = true;
  return table;
}
constexpr std::array<bool, 256> kLiteral = MakeLiteralTable();

// Hex digit value, or 0xFF.
constexpr std::array<std::uint8_t, 256> MakeHexTable() {
  std::array<std::uint8_t, 256> table{};
  for (auto& entry : table) entry = 0xFF;
  for (int i = 0; i < 10; ++i)
    table[static_cast<std::size_t>('0' + i)] = static_cast<std::uint8_t>(i);
  for (int i = 0; i < 6; ++i) {
    table[static_cast<std::size_t>('A' + i)] = static_cast<std::uint8_t>(10 + i);
    table[static_cast<std::size_t>('a' + i)] = static_cast<std::uint8_t>(10 + i);
  }
  return table;
}
constexpr std::array<std::uint8_t, 256> kHexValue = MakeHexTable();

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// How each byte is written when nothing about its neighbours matters: the characters
// (padded to four) and how many of them count.
struct QpForm {
  std::array<char, 4> chars;
  std::uint32_t width;
};

constexpr std::array<QpForm, 256> MakeFormTable() {
  std::array<QpForm, 256> table{};
  for (unsigned c = 0; c < 256; ++c) {
    if (kLiteral[c]) {
      table[c] = {{static_cast<char>(c), 0, 0, 0}, 1};
    } else {
      table[c] = {{'=', kHex[c >> 4], kHex[c & 0x0F], 0}, 3};
    }
  }
  return table;
}
constexpr std::array<QpForm, 256> kForms = MakeFormTable();

// Bytes whose form depends on what follows: CR (of a CR LF pair) and blanks (at a line end).
constexpr std::array<bool, 256> MakeSpecialTable() {
  std::array<bool, 256> table{};
  table['\r'] = table[' '] = table['\t'] = true;
  return table;
}
constexpr std::array<bool, 256> kSpecial = MakeSpecialTable();

}  // namespace

std::size_t QpEncoder::Code(std::string_view text, bool last, std::string& out) {
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  // Each byte's form depends on the two after it, so without the end of the text the last
  // two wait for more.
  const std::size_t stop = last ? n : (n < 2 ? 0 : n - 2);
  if (!m_bStarted && n < 2 && !last) return 0;
  // Worst case: every byte as =XX, a soft break per 25 of them, and the leading one. One
  // pass into memory of that size costs less than measuring first.
  const std::size_t start = out.size();
  out.resize(start + 3 * n + 3 * (n / 25 + 2) + 4);
  char* const o = out.data() + start;
  std::size_t size = 0;
  if (!m_bStarted) {
    m_bStarted = true;
    if (n >= 2 && in[0] == '\r' && in[1] == '\n') {
      std::memcpy(o, "=\r\n", 3);
      size = 3;
    }
  }
  // Whether the byte at i is the last of its line: the text or a CR LF pair follows.
  const auto last_on_line = [in, n, last](std::size_t i) {
    return (last && i + 1 == n) || (i + 2 < n && in[i + 1] == '\r' && in[i + 2] == '\n');
  };
  std::size_t column = m_nColumn;
  std::size_t i = 0;
  for (; i < stop; ++i) {
    // Well inside a line no soft break can fall: bytes whose form does not depend on their
    // neighbours go straight out.
    while (column <= kMaxLine - 4 && i < stop && !kSpecial[in[i]]) {
      const QpForm& form = kForms[in[i++]];
      std::memcpy(o + size, form.chars.data(), 4);
      size += form.width;
      column += form.width;
    }
    if (i == stop) break;
    const unsigned char c = in[i];
    QpForm form = kForms[c];
    if (kSpecial[c]) {
      if (c == '\r' && i + 1 < n && in[i + 1] == '\n') {
        std::memcpy(o + size, "\r\n", 2);
        size += 2;
        ++i;
        column = 0;
        continue;
      }
      // A blank before a hard break or at the very end would be taken for padding.
      if (c != '\r' && last_on_line(i)) form = {{'=', kHex[c >> 4], kHex[c & 0x0F], 0}, 3};
    }
    // Keep room for the '=' of a soft break unless this byte ends the line anyway.
    if (column + form.width > kMaxLine - 1 &&
        (column + form.width > kMaxLine || !last_on_line(i))) {
      std::memcpy(o + size, "=\r\n", 3);
      size += 3;
      column = 0;
    }
    std::memcpy(o + size, form.chars.data(), 4);  // only `width` of them count
    size += form.width;
    column += form.width;
  }
  m_nColumn = column;
  out.resize(start + size);
  return i < n ? i : n;
}

void AppendQuotedPrintable(std::string_view bytes, std::string& out) {
  QpEncoder encoder;
  encoder.PutAll(bytes, out);
}

std::string EncodeQuotedPrintable(std::string_view bytes) {
  std::string out;
  AppendQuotedPrintable(bytes, out);
  return out;
}

std::size_t QpDecoder::Code(std::string_view text, bool last, std::string& out) {
  const std::size_t n = text.size();
  const std::size_t start = out.size();
  out.resize(start + n);  // the decoded text is never longer
  char* const begin = out.data() + start;
  char* o = begin;
  const auto done = [&](std::size_t used) {
    out.resize(start + static_cast<std::size_t>(o - begin));
    return used;
  };
  // Whether a line break starts at j; unknown (and `more` set) when the text may go on.
  bool more = false;
  const auto break_at = [&](std::size_t j) {
    if (j == n) {
      more = !last;
      return true;
    }
    if (text[j] == '\n') return true;
    if (text[j] != '\r') return false;
    if (j + 1 == n) {
      more = !last;
      return false;
    }
    return text[j + 1] == '\n';
  };
  std::size_t i = 0;
  while (i < n) {
    const char c = text[i];
    if (c == '=') {
      if (i + 2 >= n && !last) return done(i);
      const std::uint8_t high =
          i + 2 < n ? kHexValue[static_cast<unsigned char>(text[i + 1])] : 0xFF;
      const std::uint8_t low =
          i + 2 < n ? kHexValue[static_cast<unsigned char>(text[i + 2])] : 0xFF;
      if (high != 0xFF && low != 0xFF) {
        *o++ = static_cast<char>((high << 4) | low);
        i += 3;
        continue;
      }
      // A soft break: '=', optional blanks, then CR LF, LF or the end of the text.
      std::size_t j = i + 1;
      while (j < n && IsBlank(text[j])) ++j;
      const bool at_break = break_at(j);
      if (more) return done(i);
      if (j == n) return done(n);
      if (!at_break) {
        done(0);
        Fail(DecodeError::kQpBadEscape, i);
        return i;
      }
      i = j + (text[j] == '\r' ? 2 : 1);
      continue;
    }
    if (IsBlank(c)) {
      // Blanks are dropped when they end a line.
      std::size_t j = i + 1;
      while (j < n && IsBlank(text[j])) ++j;
      const bool at_break = break_at(j);
      if (more) return done(i);
      if (!at_break) {
        std::memcpy(o, text.data() + i, j - i);
        o += j - i;
      }
      i = j;
      continue;
    }
    *o++ = c;
    ++i;
  }
  return done(n);
}

DecodeResult DecodeQuotedPrintable(std::string_view text) {
  QpDecoder decoder;
  return StreamCoder::Whole(decoder, text);
}

}  // namespace cyrvert
