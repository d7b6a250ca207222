#include "transport/quoted_printable.h"

#include <array>
#include <cstdint>
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

// Writes the encoded form of `bytes` to `sink`.
template <class Sink>
void Encode(std::string_view bytes, Sink& sink) {
  const std::size_t n = bytes.size();
  std::size_t column = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
      sink.Add("\r\n");
      ++i;
      column = 0;
      continue;
    }
    const bool last_on_line =
        i + 1 == n || (bytes[i + 1] == '\r' && i + 2 < n && bytes[i + 2] == '\n');
    // A blank before a hard break or at the very end would be taken for padding.
    const bool literal = kLiteral[c] && !(last_on_line && IsBlank(static_cast<char>(c)));
    const std::size_t width = literal ? 1 : 3;
    // Keep room for the '=' of a soft break unless this byte ends the line anyway.
    const std::size_t limit = last_on_line ? kMaxLine : kMaxLine - 1;
    if (column + width > limit) {
      sink.Add("=\r\n");
      column = 0;
    }
    if (literal) {
      sink.Add(static_cast<char>(c));
    } else {
      sink.Add('=');
      sink.Add(kHex[c >> 4]);
      sink.Add(kHex[c & 0x0F]);
    }
    column += width;
  }
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
  detail::AppendMeasured(out, [bytes](auto& sink) { Encode(bytes, sink); });
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
