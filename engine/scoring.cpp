// The letter-frequency signature of a text and its scores.
#include "engine/scoring.h"

#include <algorithm>

namespace cyrvert {

std::uint32_t BuildHighByteHistogram(HighByteHistogram& histogram, std::string_view text) {
  std::array<std::uint32_t, 128> counts{};
  std::uint32_t total = 0;
  for (std::size_t i = 0; i < text.size() && total < kMaxCountedBytes; ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b >= 0x80) {
      ++counts[b - 0x80u];
      ++total;
    }
  }
  for (std::size_t i = 0; i < counts.size(); ++i) {
    histogram.entries[i] = {static_cast<std::uint8_t>(0x80 + i), counts[i]};
  }
  if (total < kMinCountedBytes) return total;
  // Largest count first; equal counts by ascending byte value, so the order is fixed.
  std::sort(histogram.entries.begin(), histogram.entries.end(),
            [](const HistogramEntry& a, const HistogramEntry& b) {
              return a.count != b.count ? a.count > b.count : a.byte_value < b.byte_value;
            });
  return total;
}

int CountTopMatches(const HighByteHistogram& histogram, const LetterSet& letters) {
  // The letters as a bit set over 0x80..0xFF; bytes below 0x80 never stand in the histogram.
  std::uint64_t bits[2] = {0, 0};
  const std::size_t size = std::min(letters.size, letters.bytes.size());
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned b = letters.bytes[i];
    if (b >= 0x80) bits[(b >> 6) & 1u] |= std::uint64_t{1} << (b & 63u);
  }
  int score = 0;
  for (int p = 0; p < kTopEntries; ++p) {
    const unsigned b = histogram.entries[static_cast<std::size_t>(p)].byte_value;
    if (b >= 0x80) score += static_cast<int>((bits[(b >> 6) & 1u] >> (b & 63u)) & 1u);
  }
  return score;
}

std::size_t FindPreviewOffset(std::string_view text) {
  const std::size_t length = text.size();
  if (length <= kPreviewWindow) return 0;
  const auto high = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]) >= 0x80; };
  std::size_t h = 0;
  for (std::size_t i = 0; i < kPreviewWindow; ++i) h += high(i) ? 1 : 0;
  std::size_t j = 0;
  std::size_t e = kPreviewWindow;
  // Slide the window until it starts on an upper-half byte and holds enough of them,
  // or until it is the last window of the text.
  while (h < kPreviewMinimum || !high(j)) {
    if (high(j)) --h;
    ++j;
    if (high(e)) ++h;
    ++e;
    if (e == length) break;
  }
  return h >= kPreviewMinimum ? j : 0;
}

}  // namespace cyrvert
