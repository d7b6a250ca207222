// The fixed mapping between cp-1251 bytes and Unicode values used by the UTF-7 and UTF-8
// coders. Inline, as the coders call it once per byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "transport/unicode_table.h"

namespace cyrvert {

namespace detail {
// Largest value in HighHalfTable (U+2122).
inline constexpr std::size_t kMaxMappedValue = 0x2122;

// Byte of each value 0x80..kMaxMappedValue, 0 where none. The first table entry wins,
// except that U+00A0 gives 0xA0, the no-break space of cp-1251, rather than 0x98, which
// cp-1251 leaves undefined.
constexpr std::array<std::uint8_t, kMaxMappedValue + 1> MakeReverseTable() {
  std::array<std::uint8_t, kMaxMappedValue + 1> table{};
  for (std::size_t k = HighHalfTable.size(); k-- > 0;) {
    table[HighHalfTable[k]] = static_cast<std::uint8_t>(0x80 + k);
  }
  table[0x00A0] = 0xA0;
  return table;
}
inline constexpr std::array<std::uint8_t, kMaxMappedValue + 1> kReverseTable = MakeReverseTable();
}  // namespace detail

// The Unicode value of a byte; only the low 8 bits of `byte` count.
constexpr std::uint32_t ByteToUnicode(unsigned byte) {
  byte &= 0xFFU;
  return byte < 0x80 ? byte : HighHalfTable[byte - 0x80];
}

// The byte of a Unicode value, '?' when it has none.
constexpr unsigned char UnicodeToByte(std::uint32_t value) {
  if (value < 0x80) return static_cast<unsigned char>(value);
  if (value > detail::kMaxMappedValue) return '?';
  const std::uint8_t byte = detail::kReverseTable[value];
  return byte == 0 ? static_cast<unsigned char>('?') : byte;
}

}  // namespace cyrvert
