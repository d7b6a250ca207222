#include "docview/byte_mapping.h"

#include <array>

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

std::string BytesToUtf8(std::string_view bytes) {
  const auto& cells = Tables().to_utf8;
  std::size_t size = 0;
  for (const char c : bytes) size += cells[static_cast<unsigned char>(c)].size;
  std::string out(size, '\0');
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

std::string Utf8ToBytes(std::string_view utf8) {
  const auto& from = Tables().from_bmp;
  std::string out(utf8.size(), '\0');
  char* p = out.data();
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = s[i];
    if (c < 0x80) {
      *p++ = static_cast<char>(c);
      ++i;
      continue;
    }
    char32_t cp = 0;
    std::size_t len = 0;
    if (c >= 0xC2 && c <= 0xDF && i + 1 < n && IsContinuation(s[i + 1])) {
      cp = (char32_t{c} & 0x1F) << 6 | (s[i + 1] & 0x3F);
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF && i + 2 < n && IsContinuation(s[i + 1]) &&
               IsContinuation(s[i + 2])) {
      cp = (char32_t{c} & 0x0F) << 12 | char32_t{s[i + 1] & 0x3Fu} << 6 | (s[i + 2] & 0x3F);
      len = cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF) ? 3 : 0;
    } else if (c >= 0xF0 && c <= 0xF4 && i + 3 < n && IsContinuation(s[i + 1]) &&
               IsContinuation(s[i + 2]) && IsContinuation(s[i + 3])) {
      cp = 0x10000;  // beyond the table: no byte
      len = 4;
    }
    if (len == 0) {  // malformed: one "?" per byte
      *p++ = kUnmappableByte;
      ++i;
      continue;
    }
    const int b = cp < 0x10000 ? from[cp] : -1;
    *p++ = b < 0 ? kUnmappableByte : static_cast<char>(b);
    i += len;
  }
  out.resize(static_cast<std::size_t>(p - out.data()));
  return out;
}

namespace {

// Calls `each(byte, character)` for every character of `text`, -1 for those without a byte.
template <typename Emit>
void ForEachCharacterByte(const QString& text, Emit each) {
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar ch = text[i];
    if (ch.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
      ++i;  // a character beyond the table
      each(-1, ch);
      continue;
    }
    each(ch.isSurrogate() ? -1 : CodePointToByte(ch.unicode()), ch);
  }
}

}  // namespace

std::string QStringToBytes(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  ForEachCharacterByte(text, [&out](int b, QChar) {
    out.push_back(b < 0 ? kUnmappableByte : static_cast<char>(b));
  });
  return out;
}

QString MapToByteCharacters(const QString& text) {
  QString out;
  out.reserve(text.size());
  ForEachCharacterByte(
      text, [&out](int b, QChar ch) { out.append(b < 0 ? QChar(kUnmappableByte) : ch); });
  return out;
}

}  // namespace cyrvert
