// Every streaming coder against itself given the whole text at once: the same output and
// the same error at the same offset, whatever the slices. The first byte picks the coder,
// the second seeds the slice sizes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "transport/transport_commands.h"
#include "transport/transport_format.h"

namespace {

using cyrvert::StreamCoder;

constexpr int kCoders = 24;

// 0..11: each encoding's encoder and decoder; 12..17 its export, 18..23 its import.
std::unique_ptr<StreamCoder> MakeCoder(int which) {
  const cyrvert::TransportFormatInfo& format = cyrvert::TransportFormats()[static_cast<std::size_t>(
      which < 12 ? which / 2 : (which - 12) % 6)];
  if (which < 12) return which % 2 == 0 ? format.make_encoder("f") : format.make_decoder();
  if (which < 18) return std::make_unique<cyrvert::ExportStream>(format.format, "f");
  return std::make_unique<cyrvert::ImportStream>(
      format.format,
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
