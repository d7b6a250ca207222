#include "transport/quoted_printable.h"

#include <array>
#include <cstdint>
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

}  // namespace

std::string EncodeQuotedPrintable(std::string_view bytes) {
  const std::size_t n = bytes.size();
  // Worst case: every byte as =XX, plus a soft break "=\r\n" per 73 characters.
  std::string out(3 * n + (3 * n / 73 + 1) * 3, '\0');
  char* const begin = out.data();
  char* o = begin;
  std::size_t column = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
      *o++ = '\r';
      *o++ = '\n';
      ++i;
      column = 0;
      continue;
    }
    bool literal = kLiteral[c];
    if (literal && IsBlank(static_cast<char>(c))) {
      // A blank before a hard break or at the very end would be taken for padding.
      const bool ends_line =
          i + 1 == n || (bytes[i + 1] == '\r' && i + 2 < n && bytes[i + 2] == '\n');
      literal = !ends_line;
    }
    const std::size_t width = literal ? 1 : 3;
    // Keep room for the '=' of a soft break unless this byte ends the line anyway.
    const bool last_on_line =
        i + 1 == n || (bytes[i + 1] == '\r' && i + 2 < n && bytes[i + 2] == '\n');
    const std::size_t limit = last_on_line ? kMaxLine : kMaxLine - 1;
    if (column + width > limit) {
      *o++ = '=';
      *o++ = '\r';
      *o++ = '\n';
      column = 0;
    }
    if (literal) {
      *o++ = static_cast<char>(c);
    } else {
      *o++ = '=';
      *o++ = kHex[c >> 4];
      *o++ = kHex[c & 0x0F];
    }
    column += width;
  }
  out.resize(static_cast<std::size_t>(o - begin));
  return out;
}

DecodeResult DecodeQuotedPrintable(std::string_view text) {
  const std::size_t n = text.size();
  std::string out(n, '\0');
  char* const begin = out.data();
  char* o = begin;
  std::size_t i = 0;
  while (i < n) {
    const char c = text[i];
    if (c == '=') {
      if (i + 2 < n && kHexValue[static_cast<unsigned char>(text[i + 1])] != 0xFF &&
          kHexValue[static_cast<unsigned char>(text[i + 2])] != 0xFF) {
        *o++ = static_cast<char>((kHexValue[static_cast<unsigned char>(text[i + 1])] << 4) |
                                 kHexValue[static_cast<unsigned char>(text[i + 2])]);
        i += 3;
        continue;
      }
      // A soft break: '=', optional blanks, then CR LF, LF or the end of the text.
      std::size_t j = i + 1;
      while (j < n && IsBlank(text[j])) ++j;
      if (j == n) break;
      if (text[j] == '\n') {
        i = j + 1;
        continue;
      }
      if (text[j] == '\r' && j + 1 < n && text[j + 1] == '\n') {
        i = j + 2;
        continue;
      }
      return detail::Failure(DecodeError::kQpBadEscape, i);
    }
    if (IsBlank(c)) {
      // Blanks are dropped when they end a line.
      std::size_t j = i + 1;
      while (j < n && IsBlank(text[j])) ++j;
      const bool at_line_end =
          j == n || text[j] == '\n' || (text[j] == '\r' && j + 1 < n && text[j + 1] == '\n');
      if (!at_line_end) {
        for (; i < j; ++i) *o++ = text[i];
      }
      i = j;
      continue;
    }
    *o++ = c;
    ++i;
  }
  out.resize(static_cast<std::size_t>(o - begin));
  return DecodeResult{DecodeError::kNone, 0, std::move(out)};
}

}  // namespace cyrvert
