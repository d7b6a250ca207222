// Every streaming coder against itself given the whole text at once: the same output and
// the same error at the same offset, whatever the slices. The first byte picks the coder,
// the second seeds the slice sizes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "transport/base64.h"
#include "transport/line_ends.h"
#include "transport/quoted_printable.h"
#include "transport/transport_commands.h"
#include "transport/utf7.h"
#include "transport/utf8_stream.h"
#include "transport/uucode.h"

namespace {

using cyrvert::StreamCoder;
using cyrvert::TransportFormat;

constexpr int kCoders = 24;

std::unique_ptr<StreamCoder> MakeCoder(int which) {
  constexpr TransportFormat kCodecs[] = {
      TransportFormat::kUtf7,   TransportFormat::kUtf8, TransportFormat::kQuotedPrintable,
      TransportFormat::kBase64, TransportFormat::kUu,   TransportFormat::kUnix};
  switch (which) {
    case 0:
      return std::make_unique<cyrvert::Base64Encoder>();
    case 1:
      return std::make_unique<cyrvert::Base64Decoder>();
    case 2:
      return std::make_unique<cyrvert::QpEncoder>();
    case 3:
      return std::make_unique<cyrvert::QpDecoder>();
    case 4:
      return std::make_unique<cyrvert::UuEncoder>("f", 0644);
    case 5:
      return std::make_unique<cyrvert::UuDecoder>();
    case 6:
      return std::make_unique<cyrvert::Utf7StreamEncoder>();
    case 7:
      return std::make_unique<cyrvert::Utf7StreamDecoder>();
    case 8:
      return std::make_unique<cyrvert::Utf8StreamEncoder>();
    case 9:
      return std::make_unique<cyrvert::Utf8StreamDecoder>();
    case 10:
      return std::make_unique<cyrvert::CrLfToLfStream>();
    case 11:
      return std::make_unique<cyrvert::LfToCrLfStream>();
    default:
      break;
  }
  const TransportFormat codec = kCodecs[(which - 12) % 6];
  if (which < 18) return std::make_unique<cyrvert::ExportStream>(codec, "f");
  return std::make_unique<cyrvert::ImportStream>(
      codec,
      which % 2 == 0 ? cyrvert::ImportStart::kEditor : cyrvert::ImportStart::kAfterOwnHeader);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int which = data[0] % kCoders;
  unsigned seed = data[1];
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

  const std::unique_ptr<StreamCoder> whole = MakeCoder(which);
  std::string want;
  whole->PutLast(text, want);

  const std::unique_ptr<StreamCoder> sliced = MakeCoder(which);
  std::string got;
  std::string_view rest = text;
  while (!rest.empty()) {
    seed = seed * 1103515245U + 12345U;
    const std::size_t slice = 1 + (seed >> 16) % 17;
    if (slice >= rest.size()) break;
    sliced->Put(rest.substr(0, slice), got);
    rest.remove_prefix(slice);
  }
  sliced->PutLast(rest, got);

  if (whole->error() != sliced->error()) std::abort();
  if (!whole->ok() && whole->error_position() != sliced->error_position()) std::abort();
  if (whole->ok() && want != got) std::abort();
  return 0;
}
