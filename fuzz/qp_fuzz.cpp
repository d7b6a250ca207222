// Quoted-printable: decoding any text, and the encode/decode round trip of any bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "transport/quoted_printable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const cyrvert::DecodeResult decoded = cyrvert::DecodeQuotedPrintable(input);
  if (decoded.ok() ? decoded.bytes.size() > size : decoded.position >= size) std::abort();
  const std::string encoded = cyrvert::EncodeQuotedPrintable(input);
  // No line longer than 76 characters.
  std::size_t line = 0;
  for (const char c : encoded) {
    line = c == '\n' ? 0 : line + 1;
    if (line > 77) std::abort();  // 76 and the CR
  }
  const cyrvert::DecodeResult back = cyrvert::DecodeQuotedPrintable(encoded);
  if (!back.ok() || back.bytes != input) std::abort();
  return 0;
}
