// The byte codec: with the editor's one-to-one reading any bytes survive the trip through
// UTF-8, and any input taken as UTF-8 (well-formed or not) decodes to at most one byte per
// input byte, which then survive the trip themselves. Every reading agrees on its sizes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/unicode_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using cyrvert::kViewCodec;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string utf8 = kViewCodec.ToUtf8(input);
  if (utf8.size() != kViewCodec.Utf8Size(input)) std::abort();
  if (kViewCodec.FromUtf8(utf8) != input) std::abort();
  const std::string decoded = kViewCodec.FromUtf8(input);
  if (decoded.size() > input.size()) std::abort();
  if (kViewCodec.FromUtf8(kViewCodec.ToUtf8(decoded)) != decoded) std::abort();
  for (int page = 0; page < 4; ++page) {
    const cyrvert::ByteCodec& codec = *cyrvert::PageCodec(page);
    if (codec.ToUtf8(input).size() != codec.Utf8Size(input)) std::abort();
    if (codec.FromUtf8(input).size() > input.size()) std::abort();
  }
  return 0;
}
