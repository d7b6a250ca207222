// The editor's one-to-one table between single bytes and the characters the view shows:
// 0x00..0x7F stand for themselves (NUL included), 0x80..0xFF for their Windows-1251 letters,
// with the unassigned 0x98 shown as U+0098. Every byte survives a trip through the view.
// Standard library only, so the decoder can be fuzzed on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cyrvert {

// Byte that stands for a character that has no byte of its own.
inline constexpr char kUnmappableByte = '?';

// The character that shows `byte`.
char32_t ByteToCodePoint(std::uint8_t byte);

// The byte that `code_point` stands for, or -1 when it has none.
int CodePointToByte(char32_t code_point);

// Length of the UTF-8 form of `bytes`.
std::size_t Utf8Size(std::string_view bytes);

// The UTF-8 form of `bytes`, one character per byte.
std::string BytesToUtf8(std::string_view bytes);

// The bytes behind UTF-8 `utf8`; characters with no byte and malformed sequences become
// kUnmappableByte, one per character or per malformed byte.
std::string Utf8ToBytes(std::string_view utf8);

namespace detail {
// UTF-8 form of every byte value, at most three bytes each.
struct Utf8Cell {
  std::uint8_t size;  // 1..3
  char bytes[3];      // the encoded character
};
// Characters shown for bytes 0x80..0xFF (generated table).
extern const char16_t kHighHalfCodePoints[128];
}  // namespace detail

}  // namespace cyrvert
