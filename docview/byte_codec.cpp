#include "docview/byte_codec.h"

#include <array>
#include <optional>

namespace cyrvert {
namespace {

// Lookup tables built once from the generated high-half table.
struct ByteTables {
  std::array<detail::Utf8Cell, 256> to_utf8{};   // byte -> UTF-8
  std::array<std::int16_t, 0x10000> from_bmp{};  // BMP code point -> byte or -1
};

detail::Utf8Cell EncodeCell(char32_t cp) {
  detail::Utf8Cell cell{};
  if (cp < 0x80) {
    cell.size = 1;
    cell.bytes[0] = static_cast<char>(cp);
  } else if (cp < 0x800) {
    cell.size = 2;
    cell.bytes[0] = static_cast<char>(0xC0 | (cp >> 6));
    cell.bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    cell.size = 3;
    cell.bytes[0] = static_cast<char>(0xE0 | (cp >> 12));
    cell.bytes[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    cell.bytes[2] = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return cell;
}

ByteTables BuildTables() {
  ByteTables t;
  t.from_bmp.fill(-1);
  for (int b = 0; b < 256; ++b) {
    const char32_t cp = ByteToCodePoint(static_cast<std::uint8_t>(b));
    t.to_utf8[static_cast<std::size_t>(b)] = EncodeCell(cp);
    t.from_bmp[cp] = static_cast<std::int16_t>(b);
  }
  return t;
}

const ByteTables& Tables() {
  static const ByteTables tables = BuildTables();
  return tables;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

char32_t ByteToCodePoint(std::uint8_t byte) {
  return byte < 0x80 ? char32_t{byte} : char32_t{detail::kHighHalfCodePoints[byte - 0x80]};
}

int CodePointToByte(char32_t code_point) {
  if (code_point >= 0x10000) return -1;
  return Tables().from_bmp[code_point];
}

std::size_t Utf8Size(std::string_view bytes) {
  const auto& cells = Tables().to_utf8;
  std::size_t size = 0;
  for (const char c : bytes) size += cells[static_cast<unsigned char>(c)].size;
  return size;
}

std::string BytesToUtf8(std::string_view bytes) {
  const auto& cells = Tables().to_utf8;
  std::string out(Utf8Size(bytes), '\0');
  char* p = out.data();
  for (const char c : bytes) {
    const detail::Utf8Cell& cell = cells[static_cast<unsigned char>(c)];
    p[0] = cell.bytes[0];
    if (cell.size > 1) {
      p[1] = cell.bytes[1];
      if (cell.size > 2) p[2] = cell.bytes[2];
    }
    p += cell.size;
  }
  return out;
}

namespace {

// Decodes the character at `s[i]` that is not a well-formed one- or two-byte one: writes its
// byte (or "?") to `*out` and returns how many input bytes it took.
std::size_t DecodeSlow(const unsigned char* s, std::size_t i, std::size_t n, char* out) {
  const auto& from = Tables().from_bmp;
  const unsigned char c = s[i];
  if (c >= 0xE0 && c <= 0xEF && i + 2 < n && IsContinuation(s[i + 1]) && IsContinuation(s[i + 2])) {
    const char32_t cp =
        (char32_t{c} & 0x0F) << 12 | char32_t{s[i + 1] & 0x3Fu} << 6 | (s[i + 2] & 0x3F);
    if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) {
      const int b = from[cp];
      *out = b < 0 ? kUnmappableByte : static_cast<char>(b);
      return 3;
    }
  } else if (c >= 0xF0 && c <= 0xF4 && i + 3 < n && IsContinuation(s[i + 1]) &&
             IsContinuation(s[i + 2]) && IsContinuation(s[i + 3])) {
    *out = kUnmappableByte;  // beyond the table
    return 4;
  }
  *out = kUnmappableByte;  // malformed: one "?" per byte
  return 1;
}

// Decodes `n` bytes of UTF-8 at `s` into at most `room` bytes at `out`; returns how many were
// written, or nothing when `room` was too small.
std::optional<std::size_t> DecodeInto(const unsigned char* s, std::size_t n, char* out,
                                      std::size_t room) {
  const auto& from = Tables().from_bmp;
  char* p = out;
  char* const end = out + room;
  std::size_t i = 0;
  while (i < n) {
    if (p == end) return std::nullopt;
    const unsigned c = s[i];
    if (c < 0x80) {
      *p++ = static_cast<char>(c);
      ++i;
    } else if (c - 0xC2u < 0x1Eu && i + 1 < n && IsContinuation(s[i + 1])) {
      const int b = from[(c & 0x1Fu) << 6 | (s[i + 1] & 0x3Fu)];
      *p++ = b < 0 ? kUnmappableByte : static_cast<char>(b);
      i += 2;
    } else {
      i += DecodeSlow(s, i, n, p++);
    }
  }
  return static_cast<std::size_t>(p - out);
}

}  // namespace

std::string Utf8ToBytes(std::string_view utf8) {
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  // Well-formed text gives one byte per lead byte; malformed text may give more.
  std::size_t leads = 0;
  for (std::size_t i = 0; i < n; ++i) leads += !IsContinuation(s[i]);
  std::string out(leads, '\0');
  std::optional<std::size_t> size = DecodeInto(s, n, out.data(), out.size());
  if (!size) {
    out.assign(n, '\0');
    size = DecodeInto(s, n, out.data(), out.size());
  }
  out.resize(*size);
  return out;
}

}  // namespace cyrvert
