// The letter-frequency signature of a text and the score of a letter set against it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/code_page.h"

namespace cyrvert {

inline constexpr std::uint32_t kMaxCountedBytes = 2048;  // histogram stops here
inline constexpr std::uint32_t kMinCountedBytes = 10;    // fewer: text rejected
inline constexpr int kTopEntries = 6;                    // entries that take part in a score
inline constexpr int kAutoSenseStart = 3;           // initial BestScore in automatic sensitivity
inline constexpr std::size_t kPreviewWindow = 100;  // bytes per variant preview
inline constexpr std::size_t kPreviewMinimum = 20;  // upper-half bytes a preview must hold

struct HistogramEntry {
  std::uint8_t byte_value = 0;
  std::uint32_t count = 0;
  bool operator==(const HistogramEntry&) const = default;
};

// Counts of the upper-half byte values, sorted by count (largest first; ties by byte value).
struct HighByteHistogram {
  std::array<HistogramEntry, 128> entries{};
};

// Fills and sorts `histogram` from the first 2048 upper-half bytes of `text`;
// returns how many were counted. Below 10 the entries are left unsorted.
std::uint32_t BuildHighByteHistogram(HighByteHistogram& histogram, std::string_view text);

// How many of the six top entries hold a byte of `letters` (0..6). Allocates nothing.
int CountTopMatches(const HighByteHistogram& histogram, const LetterSet& letters);

// The acceptance rule: with `sense` 0 a score must exceed `best_score`, else `sense`.
constexpr bool IsAccepted(int score, int sense, int best_score) {
  return sense != 0 ? score > sense : score > best_score;
}

// Where a 100-byte preview window holding at least 20 upper-half bytes starts; 0 if none.
std::size_t FindPreviewOffset(std::string_view text);

}  // namespace cyrvert
