// The view's byte table: any bytes survive the trip through UTF-8, and any input taken as
// UTF-8 (well-formed or not) decodes to at most one byte per input byte, which then survive
// the trip themselves.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "docview/byte_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string utf8 = cyrvert::BytesToUtf8(input);
  if (utf8.size() != cyrvert::Utf8Size(input)) std::abort();
  if (cyrvert::Utf8ToBytes(utf8) != input) std::abort();
  const std::string decoded = cyrvert::Utf8ToBytes(input);
  if (decoded.size() > input.size()) std::abort();
  if (cyrvert::Utf8ToBytes(cyrvert::BytesToUtf8(decoded)) != decoded) std::abort();
  return 0;
}
