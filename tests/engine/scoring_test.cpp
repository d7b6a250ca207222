// The letter-frequency signature, its score and the preview offset.
#include "engine/scoring.h"

#include <gtest/gtest.h>

#include <string>

namespace cyrvert {
namespace {

std::string Repeat(std::string_view unit, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += unit;
  return out;
}

TEST(BuildHighByteHistogram, CountsOnlyUpperHalfBytes) {
  struct Case {
    std::string text;
    std::uint32_t total;
  };
  const Case cases[] = {
      {"", 0},
      {"Only ASCII, line ends\r\n and a zero \0 byte", 0},
      {Repeat("\xEE", 9) + "abc", 9},
      {Repeat("\xEE", 10), 10},
      {Repeat("\xEE", 10000), 2048},
  };
  for (const Case& c : cases) {
    HighByteHistogram histogram;
    EXPECT_EQ(BuildHighByteHistogram(histogram, c.text), c.total);
  }
}

TEST(BuildHighByteHistogram, JudgesOnlyTheFirst2048UpperHalfBytes) {
  const std::string head = Repeat("\xEE\xE5 ", 1024);  // 2048 upper-half bytes
  HighByteHistogram a;
  HighByteHistogram b;
  BuildHighByteHistogram(a, head + Repeat("\xC0", 5000));
  BuildHighByteHistogram(b, head + "tail");
  EXPECT_EQ(a.entries, b.entries);
  EXPECT_EQ(a.entries[0].byte_value, 0xE5);  // ties by ascending byte value
  EXPECT_EQ(a.entries[0].count, 1024u);
  EXPECT_EQ(a.entries[1].byte_value, 0xEE);
}

TEST(BuildHighByteHistogram, OrdersEqualCountsByByteValue) {
  HighByteHistogram histogram;
  BuildHighByteHistogram(histogram, Repeat("\xF0\xEE\xC1", 4));
  const std::uint8_t want[] = {0xC1, 0xEE, 0xF0, 0x80, 0x81, 0x82};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(histogram.entries[i].byte_value, want[i]) << i;
}

HighByteHistogram HistogramOf(std::string_view text) {
  HighByteHistogram histogram;
  BuildHighByteHistogram(histogram, text);
  return histogram;
}

TEST(CountTopMatches, ScoresTheSixTopBytes) {
  // WINDOWS о е а и т н most frequent, then a rare letter.
  const auto prose =
      HistogramOf(Repeat("\xEE", 9) + Repeat("\xE5", 8) + Repeat("\xE0", 7) + Repeat("\xE8", 6) +
                  Repeat("\xF2", 5) + Repeat("\xED", 4) + Repeat("\xFF", 3));
  // The same in capitals: О Е А И Т Н.
  const auto capitals = HistogramOf(Repeat("\xCE", 9) + Repeat("\xC5", 8) + Repeat("\xC0", 7) +
                                    Repeat("\xC8", 6) + Repeat("\xD2", 5) + Repeat("\xCD", 4));
  // One distinct byte: positions 1..5 hold the count-0 bytes 80..84, which DOS's А (80) matches.
  const auto single = HistogramOf(Repeat("\xEE", 12));
  struct Case {
    const HighByteHistogram& histogram;
    int page;
    bool big;
    int score;
  };
  const Case cases[] = {
      {prose, kWindows, false, 6},    {prose, kWindows, true, 6},    {prose, kKoi8r, false, 0},
      {capitals, kWindows, false, 0}, {capitals, kWindows, true, 6}, {single, kWindows, false, 1},
      {single, kDos, false, 0},       {single, kDos, true, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountTopMatches(c.histogram, MakeLetterSet(c.page, c.big)), c.score)
        << "page " << c.page << " big " << c.big;
  }
}

TEST(IsAccepted, SensitivityLevels) {
  struct Case {
    int score, sense, best;
    bool accepted;
  };
  const Case cases[] = {
      {5, 5, 0, false}, {6, 5, 0, true}, {5, 4, 0, true},  {3, 2, 0, true}, {2, 2, 0, false},
      {3, 0, 3, false}, {4, 0, 3, true}, {4, 0, 4, false}, {5, 0, 4, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsAccepted(c.score, c.sense, c.best), c.accepted)
        << c.score << " " << c.sense << " " << c.best;
  }
}

TEST(FindPreviewOffset, FindsTheFirstReadableWindow) {
  struct Case {
    std::string text;
    std::size_t offset;
  };
  const Case cases[] = {
      {Repeat("\xEE", 100), 0},
      {Repeat("a", 300) + Repeat("\xEE\xE5 ", 100), 300},
      {Repeat("\xEE", 19) + Repeat("a", 200), 0},        // never 20 in a window
      {Repeat("a", 170) + Repeat("\xEE", 30), 100},      // the last window
      {Repeat("a", 150) + Repeat("\xEE", 19) + "a", 0},  // last window has 19
      {Repeat("\xEE", 10) + Repeat("a", 150) + Repeat("\xEE\xE5", 20) + Repeat("a", 100), 160},
      // Exactly 20 upper-half bytes are enough, in the middle and in the last window.
      {Repeat("a", 150) + Repeat("\xEE", 20) + Repeat("a", 100), 150},
      {Repeat("a", 180) + Repeat("\xEE", 20), 100},
      {Repeat("a", 150) + Repeat("\xEE", 19) + Repeat("a", 100), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindPreviewOffset(c.text), c.offset) << c.text.size();
  }
}

}  // namespace
}  // namespace cyrvert
