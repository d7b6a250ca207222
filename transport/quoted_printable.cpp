#include "transport/quoted_printable.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

#include "transport/output_sink.h"

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

// Encodes `bytes` into `out`, which has room for the worst case and three spare bytes;
// returns the encoded size.
std::size_t Encode(std::string_view bytes, char* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  // Whether the byte at i is the last of its line: the text or a CR LF pair follows.
  const auto last_on_line = [in, n](std::size_t i) {
    return i + 1 == n || (i + 2 < n && in[i + 1] == '\r' && in[i + 2] == '\n');
  };
  std::size_t size = 0;
  std::size_t column = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = in[i];
    QpForm form = kForms[c];
    if (kSpecial[c]) {
      if (c == '\r' && i + 1 < n && in[i + 1] == '\n') {
        std::memcpy(out + size, "\r\n", 2);
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
      std::memcpy(out + size, "=\r\n", 3);
      size += 3;
      column = 0;
    }
    std::memcpy(out + size, form.chars.data(), 4);  // only `width` of them count
    size += form.width;
    column += form.width;
  }
  return size;
}

// Writes the decoded form of `text` to `sink`; returns the offset of a bad escape, or npos.
template <class Sink>
std::size_t Decode(std::string_view text, Sink& sink) {
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const char c = text[i];
    if (c == '=') {
      const std::uint8_t high =
          i + 2 < n ? kHexValue[static_cast<unsigned char>(text[i + 1])] : 0xFF;
      const std::uint8_t low =
          i + 2 < n ? kHexValue[static_cast<unsigned char>(text[i + 2])] : 0xFF;
      if (high != 0xFF && low != 0xFF) {
        sink.Add(static_cast<char>((high << 4) | low));
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
      return i;
    }
    if (IsBlank(c)) {
      // Blanks are dropped when they end a line.
      std::size_t j = i + 1;
      while (j < n && IsBlank(text[j])) ++j;
      const bool at_line_end =
          j == n || text[j] == '\n' || (text[j] == '\r' && j + 1 < n && text[j + 1] == '\n');
      if (!at_line_end) sink.Add(text.substr(i, j - i));
      i = j;
      continue;
    }
    sink.Add(c);
    ++i;
  }
  return std::string_view::npos;
}

}  // namespace

void AppendQuotedPrintable(std::string_view bytes, std::string& out) {
  // Worst case: every byte as =XX, and a soft break per 25 of them. One pass into memory of
  // that size costs less than measuring first.
  const std::size_t n = bytes.size();
  const std::size_t start = out.size();
  out.resize(start + 3 * n + 3 * (n / 25 + 1) + 4);
  out.resize(start + Encode(bytes, out.data() + start));
}

std::string EncodeQuotedPrintable(std::string_view bytes) {
  std::string out;
  AppendQuotedPrintable(bytes, out);
  return out;
}

DecodeResult DecodeQuotedPrintable(std::string_view text) {
  detail::CountSink count;
  const std::size_t bad = Decode(text, count);
  if (bad != std::string_view::npos) return detail::Failure(DecodeError::kQpBadEscape, bad);
  std::string out(count.size, '\0');
  detail::PointerSink sink{out.data()};
  Decode(text, sink);
  return DecodeResult{DecodeError::kNone, 0, std::move(out)};
}

}  // namespace cyrvert
