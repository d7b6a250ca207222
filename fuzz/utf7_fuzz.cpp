// UTF-7: decoding any text, the round trip of any cp-1251 bytes, and the whole-text
// coders against the unit-at-a-time Utf7Encoder and Utf7Decoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "transport/unicode_map.h"
#include "transport/utf7.h"

namespace {

std::string EncodeByUnits(std::string_view bytes) {
  cyrvert::Utf7Encoder encoder;
  encoder.Begin();
  std::string out;
  for (const char c : bytes)
    encoder.Put(cyrvert::ByteToUnicode(static_cast<unsigned char>(c)), out);
  encoder.End(out);
  return out;
}

// The decoded bytes, or "error" and the offset.
cyrvert::DecodeResult DecodeBySteps(std::string_view text) {
  cyrvert::Utf7Decoder decoder;
  decoder.Begin();
  cyrvert::DecodeResult result;
  std::uint16_t unit = 0;
  bool delivered = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t at = pos;
    if (decoder.Step(text, pos, unit, delivered) != 0) {
      return cyrvert::DecodeResult{cyrvert::DecodeError::kUtf7ByteOutsideRun, at, {}};
    }
    if (delivered) result.bytes += static_cast<char>(cyrvert::UnicodeToByte(unit));
  }
  decoder.End(unit, delivered);
  if (delivered) result.bytes += static_cast<char>(cyrvert::UnicodeToByte(unit));
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const cyrvert::DecodeResult decoded = cyrvert::Utf7ToBytes(input);
  const cyrvert::DecodeResult stepped = DecodeBySteps(input);
  if (decoded.error != stepped.error || decoded.position != stepped.position ||
      decoded.bytes != stepped.bytes) {
    std::abort();
  }
  const std::string encoded = cyrvert::BytesToUtf7(input);
  if (encoded != EncodeByUnits(input)) std::abort();
  // 0x98 has no character of its own and comes back as the no-break space 0xA0.
  std::string want(input);
  for (char& c : want) {
    if (static_cast<unsigned char>(c) == 0x98) c = static_cast<char>(0xA0);
  }
  const cyrvert::DecodeResult back = cyrvert::Utf7ToBytes(encoded);
  if (!back.ok() || back.bytes != want) std::abort();
  return 0;
}
