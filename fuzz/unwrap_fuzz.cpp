// MIME unwrapping and the imports that unwrap, on any text; wrapping then unwrapping.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "transport/mime.h"
#include "transport/transport_commands.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t offset = cyrvert::MimeBodyOffset(input);
  if (offset != std::string_view::npos && offset > size) std::abort();
  const cyrvert::DecodeResult body = cyrvert::UnwrapMime(input);
  if (body.ok() != (offset != std::string_view::npos)) std::abort();
  const cyrvert::DecodeResult wrapped =
      cyrvert::UnwrapMime(cyrvert::WrapMime(input, cyrvert::TransferEncoding::k8Bit));
  if (!wrapped.ok() || wrapped.bytes != input) std::abort();
  for (const auto format :
       {cyrvert::TransportFormat::kBase64, cyrvert::TransportFormat::kQuotedPrintable}) {
    const cyrvert::ImportResult got = cyrvert::ImportText(format, input);
    if (!got.result.ok() && got.result.position > size) std::abort();
  }
  return 0;
}
