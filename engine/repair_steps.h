// The candidate steps of smart repair: the 8-bit chains (every chain of up to kMaxRepairSteps
// conversions, one per distinct byte table) and the byte a UTF-8 step writes for a character.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/repair_plan.h"
#include "engine/unicode_codec.h"

namespace cyrvert::detail {

// Longest chain of steps a repair undoes.
inline constexpr int kMaxRepairSteps = 3;

// A byte -> byte mapping over all 256 values.
using ByteTable = std::array<unsigned char, 256>;

// One or more conversions composed into one table.
struct ByteChain {
  ByteTable table{};
  std::vector<int> conversions;
};

// The table that maps every byte to itself.
ByteTable IdentityTable();
// `first`, then conversion `conversion`.
ByteTable Then(const ByteTable& first, int conversion);
// Every chain of up to kMaxRepairSteps conversions with a table of its own, shortest first;
// the first is the empty chain.
const std::vector<ByteChain>& ByteChains();

// What a step writes for a character a page has no byte for.
inline constexpr int kUnmappable = -1;

// `page`'s codec (0..3) with bytes without a character read as their C1 controls.
const ByteCodec& RepairCodec(int page);
// The byte a UTF-8 step writes for `cp` into `page` (a RepairPage), or kUnmappable. U+FFFD, what
// many decoders make of cp-1251's 0x98, goes back to that byte, so that text encoded to UTF-8 twice
// by such a decoder still comes back whole.
int EncodeForStep(int page, std::uint32_t cp);

}  // namespace cyrvert::detail
