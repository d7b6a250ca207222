// UTF-8: decoding any text, and the round trip of any cp-1251 bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "transport/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const cyrvert::DecodeResult decoded = cyrvert::Utf8ToBytes(input);
  if (decoded.ok() ? decoded.bytes.size() > size : decoded.position >= size) std::abort();
  // 0x98 has no character of its own and comes back as the no-break space 0xA0.
  std::string want(input);
  for (char& c : want) {
    if (static_cast<unsigned char>(c) == 0x98) c = static_cast<char>(0xA0);
  }
  const cyrvert::DecodeResult back = cyrvert::Utf8ToBytes(cyrvert::BytesToUtf8(input));
  if (!back.ok() || back.bytes != want) std::abort();
  return 0;
}
