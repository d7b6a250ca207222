// Histogram, a depth-2 search, decoding and previews on arbitrary bytes. The first byte
// picks the target page, the sensitivity and the letter count; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/code_page.h"
#include "engine/scoring.h"
#include "engine/variant_search.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace cyrvert;
  if (size == 0) return 0;
  const int target = data[0] & 3;
  const int sense = (data[0] >> 2) % 7;
  const bool big_letters = (data[0] & 0x80) != 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  HighByteHistogram histogram;
  const std::uint32_t total = BuildHighByteHistogram(histogram, text);
  Check(total <= kMaxCountedBytes);
  const std::size_t offset = FindPreviewOffset(text);
  Check(offset == 0 || offset + kPreviewWindow <= text.size());
  if (total < kMinCountedBytes) return 0;
  std::uint32_t counted = 0;
  for (std::size_t i = 0; i < histogram.entries.size(); ++i) {
    counted += histogram.entries[i].count;
    if (i > 0) Check(histogram.entries[i - 1].count >= histogram.entries[i].count);
  }
  Check(counted == total);

  SearchParams params;
  params.depth = 2;
  params.sense = sense;
  params.big_letters = big_letters;
  params.target = [target] { return target; };
  NoOpSearchHooks hooks;
  const FindResult found = FindVariants(histogram, params, hooks);
  Check(found.status == EngineStatus::kDone || found.status == EngineStatus::kNothingFound);
  Check(found.status != EngineStatus::kDone || !found.variants.empty());
  if (sense == 0) Check(found.variants.size() <= 1);
  int previous = kTopEntries;
  for (const Variant& variant : found.variants) {
    Check(variant.score <= previous && variant.score > (sense == 0 ? kAutoSenseStart : sense));
    Check(!variant.chain.empty() && variant.chain.size() <= 2);
    previous = variant.score;
    const std::string history = VariantHistory(variant);
    Check(history.size() == variant.chain.size() * 4 + 1);
  }

  const auto previews =
      MakeVariantPreviews(text, found.variants, found.variants.size() + 1, offset);
  Check(previews.size() == found.variants.size());
  if (!found.variants.empty()) {
    std::string decoded(text);
    DecodeByVariant(decoded.data(), decoded.size(), found.variants.front());
    Check(decoded.size() == text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (static_cast<unsigned char>(text[i]) < 0x80) Check(decoded[i] == text[i]);
    }
    Check(previews.front() == decoded.substr(offset, kPreviewWindow));
  }
  return 0;
}
