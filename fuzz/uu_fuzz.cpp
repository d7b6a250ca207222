// uudecode of any text, and the uuencode/uudecode round trip of any bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "transport/uucode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const cyrvert::UuDecodeResult decoded = cyrvert::DecodeUu(input);
  if (decoded.result.ok() ? decoded.result.bytes.size() > size : decoded.result.position > size) {
    std::abort();
  }
  const cyrvert::UuDecodeResult back = cyrvert::DecodeUu(cyrvert::EncodeUu(input, "f.bin", 0644));
  if (!back.result.ok() || back.result.bytes != input || back.file_name != "f.bin") std::abort();
  return 0;
}
