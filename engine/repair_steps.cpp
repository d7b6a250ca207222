#include "engine/repair_steps.h"

#include <string>
#include <unordered_set>

#include "engine/code_page.h"
#include "engine/code_page_tables.h"

namespace cyrvert::detail {

ByteTable IdentityTable() {
  ByteTable t{};
  for (std::size_t b = 0; b < t.size(); ++b) t[b] = static_cast<unsigned char>(b);
  return t;
}

ByteTable Then(const ByteTable& first, int conversion) {
  const auto& next = FullConversionTable(conversion);
  ByteTable t{};
  for (std::size_t b = 0; b < t.size(); ++b) t[b] = next[first[b]];
  return t;
}

const std::vector<ByteChain>& ByteChains() {
  static const std::vector<ByteChain> chains = [] {
    const auto key = [](const ByteTable& t) {
      return std::string(reinterpret_cast<const char*>(t.data()), t.size());
    };
    std::vector<ByteChain> all{{IdentityTable(), {}}};
    std::unordered_set<std::string> seen{key(all[0].table)};
    std::size_t level_begin = 0;
    for (int depth = 1; depth <= kMaxRepairSteps; ++depth) {
      const std::size_t level_end = all.size();
      for (std::size_t i = level_begin; i < level_end; ++i) {
        for (int k = 0; k < kConversionCount; ++k) {
          ByteChain next{Then(all[i].table, k), all[i].conversions};
          next.conversions.push_back(k);
          if (seen.insert(key(next.table)).second) all.push_back(std::move(next));
        }
      }
      level_begin = level_end;
    }
    return all;
  }();
  return chains;
}

const ByteCodec& RepairCodec(int page) {
  static constexpr std::array<const ByteCodec*, kCodePageCount> kCodecs = {
      &kByteCodec<kWindows, UnassignedByte::kSameValue>,
      &kByteCodec<kDos, UnassignedByte::kSameValue>,
      &kByteCodec<kKoi8r, UnassignedByte::kSameValue>,
      &kByteCodec<kIso, UnassignedByte::kSameValue>};
  return *kCodecs[static_cast<std::size_t>(page)];
}

int EncodeForStep(int page, std::uint32_t cp) {
  if (cp == 0xFFFD && page == kWindows) return 0x98;
  return cp > 0xFFFF ? kUnmappable : RepairCodec(page).FromUnicode(cp);
}

}  // namespace cyrvert::detail
