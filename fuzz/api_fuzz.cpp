// The front ends' entry points on any bytes: nothing crashes, every codec answers with a
// value, and text input written as UTF-8 stays well formed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "api/cyrvert_api.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the options; the rest is the input.
  const unsigned pick = data[0];
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto page = static_cast<cyrvert::api::OutputPage>(pick % 5);

  const cyrvert::api::RepairReport bytes = cyrvert::api::Repair(input, page);
  if (bytes.exit_status != 0 && bytes.exit_status != 3 && bytes.exit_status != 4) std::abort();
  const cyrvert::api::RepairReport text = cyrvert::api::RepairText(input, page);
  if (text.verdict.empty()) std::abort();

  cyrvert::api::DecodeOptions options;
  options.depth = 1 + static_cast<int>(pick % 2);
  options.target = static_cast<int>((pick >> 1) % 4);
  const cyrvert::api::DecodeReport decoded = cyrvert::api::Decode(input, options);
  for (const auto& candidate : decoded.candidates) {
    if (candidate.text.size() != input.size()) std::abort();
  }

  for (const std::string_view codec : cyrvert::api::CodecNames()) {
    const cyrvert::api::CodecResult imported = cyrvert::api::Import(codec, input);
    if (!imported.ok && imported.error.empty()) std::abort();
    const cyrvert::api::CodecResult exported = cyrvert::api::Export(codec, input);
    if (!input.empty() && !exported.ok) std::abort();
  }
  return 0;
}
