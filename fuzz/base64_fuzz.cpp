// Base64: decoding any text, and the encode/decode round trip of any bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "transport/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const cyrvert::DecodeResult decoded = cyrvert::DecodeBase64(input);
  if (decoded.ok() ? decoded.bytes.size() > size : decoded.position > size) std::abort();
  const cyrvert::DecodeResult back = cyrvert::DecodeBase64(cyrvert::EncodeBase64(input));
  if (!back.ok() || back.bytes != input) std::abort();
  return 0;
}
