// UTF-8: decoding any text, the round trip of any cp-1251 bytes, and the whole-text
// coders against Utf8DecodeOne and Utf8EncodeOne.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "transport/unicode_map.h"
#include "transport/utf8.h"

namespace {

cyrvert::DecodeResult DecodeByOnes(std::string_view text) {
  cyrvert::DecodeResult result;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::uint32_t value = 0;
    const int code = cyrvert::Utf8DecodeOne(text, pos, value);
    if (code != 0) {
      const cyrvert::DecodeError error = code == -1   ? cyrvert::DecodeError::kUtf8BadLead
                                         : code == -2 ? cyrvert::DecodeError::kUtf8BadContinuation
                                                      : cyrvert::DecodeError::kUtf8Overlong;
      return cyrvert::DecodeResult{error, pos, {}};
    }
    result.bytes += static_cast<char>(cyrvert::UnicodeToByte(value));
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const cyrvert::DecodeResult decoded = cyrvert::DecodeUtf8(input);
  const cyrvert::DecodeResult by_ones = DecodeByOnes(input);
  if (decoded.error != by_ones.error || decoded.position != by_ones.position ||
      decoded.bytes != by_ones.bytes) {
    std::abort();
  }
  std::string encoded_by_ones;
  for (const char c : input) {
    cyrvert::Utf8EncodeOne(cyrvert::ByteToUnicode(static_cast<unsigned char>(c)), encoded_by_ones);
  }
  const std::string encoded = cyrvert::kTransportCodec.ToUtf8(input);
  if (encoded != encoded_by_ones) std::abort();
  // 0x98 has no character of its own and comes back as the no-break space 0xA0.
  std::string want(input);
  for (char& c : want) {
    if (static_cast<unsigned char>(c) == 0x98) c = static_cast<char>(0xA0);
  }
  const cyrvert::DecodeResult back = cyrvert::DecodeUtf8(encoded);
  if (!back.ok() || back.bytes != want) std::abort();
  return 0;
}
