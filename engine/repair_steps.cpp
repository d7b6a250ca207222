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

const ByteCodec& RepairCodec(int page) { return *PageCodec(page, UnassignedByte::kSameValue); }

namespace {

// cp-1252 bytes 0x80..0x9F; its unused bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) read as the C1
// controls of the same value, as web browsers read them. 0xA0..0xFF are ISO-8859-1's.
constexpr std::array<std::uint16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

int Cp1252Byte(std::uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
    if (kCp1252High[i] == cp) return static_cast<int>(0x80 + i);
  }
  return kUnmappable;
}

}  // namespace

int EncodeForStep(int page, std::uint32_t cp) {
  switch (page) {
    case kRepairPageCp1252:
      return Cp1252Byte(cp);
    case kRepairPageLatin1:
      return cp <= 0xFF ? static_cast<int>(cp) : kUnmappable;
    case kWindows:
      if (cp == 0xFFFD) return 0x98;
      break;
    default:
      break;
  }
  if (page < 0 || page >= kCodePageCount) return kUnmappable;
  return cp > 0xFFFF ? kUnmappable : RepairCodec(page).FromUnicode(cp);
}

}  // namespace cyrvert::detail
