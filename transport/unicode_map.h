// The mapping between cp-1251 bytes and Unicode values used by the UTF-7 and UTF-8 coders:
// the codec's transport reading, where the unassigned 0x98 exports as U+00A0. Inline, as the
// coders call it once per byte.
#pragma once

#include <cstdint>

#include "engine/unicode_codec.h"

namespace cyrvert {

// The Unicode value of a byte; only the low 8 bits of `byte` count.
constexpr std::uint32_t ByteToUnicode(unsigned byte) {
  return kTransportCodec.ToUnicode(static_cast<unsigned char>(byte & 0xFFU));
}

// The byte of a Unicode value, '?' when it has none. U+00A0 gives 0xA0, the no-break space of
// cp-1251, not 0x98.
constexpr unsigned char UnicodeToByte(std::uint32_t value) {
  const int byte = kTransportCodec.FromUnicode(value);
  return byte < 0 ? static_cast<unsigned char>(kUnmappableByte) : static_cast<unsigned char>(byte);
}

}  // namespace cyrvert
