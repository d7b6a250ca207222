// The variant search, its driver, decoding by a Variant, history and previews.
#include "engine/variant_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace cyrvert {
namespace {

std::string ReadData(const std::string& name) {
  std::ifstream in(std::string(CYRVERT_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Converted(std::string text, std::initializer_list<int> conversions) {
  for (const int k : conversions) ConvertHighHalf(text.data(), text.size(), k);
  return text;
}

HighByteHistogram HistogramOf(std::string_view text) {
  HighByteHistogram histogram;
  EXPECT_GE(BuildHighByteHistogram(histogram, text), kMinCountedBytes);
  return histogram;
}

// Hooks that record what the search asks for and can stop or quit at a chosen call.
class RecordingHooks : public SearchHooks {
 public:
  int stop_at = -1;  // StopRequested call (1-based) from which it answers true
  int quit_at = -1;  // Pump call (1-based) that reports quitting
  bool minimised = false;
  int stop_calls = 0;
  int pump_calls = 0;
  std::vector<std::string> progress;

  bool StopRequested() override {
    return ++stop_calls == stop_at || (stop_at > 0 && stop_calls > stop_at);
  }
  bool Pump() override { return ++pump_calls != quit_at; }
  bool Minimised() override { return minimised; }
  void OpenProgress(int lower, int upper, int position) override {
    progress.push_back("open " + std::to_string(lower) + ".." + std::to_string(upper) + " " +
                       std::to_string(position));
  }
  void SetProgress(int position) override { progress.push_back(std::to_string(position)); }
  void CloseProgress() override { progress.push_back("close"); }
};

SearchParams Params(int depth, int sense, int target = kWindows, int n_limit = 0) {
  SearchParams params;
  params.depth = depth;
  params.sense = sense;
  params.n_limit = n_limit;
  params.target = [target] { return target; };
  return params;
}

class VariantSearchTest : public ::testing::Test {
 protected:
  const std::string original = ReadData("win-original.txt");
};

// Damaged texts found by automatic depth and sensitivity, with the depth they need.
TEST_F(VariantSearchTest, FindsTheDamage) {
  struct Case {
    std::string name;
    std::string text;
    int target;
    std::vector<int> chain;
    int score;
    int depth;
  };
  const Case cases[] = {
      {"W2K", Converted(original, {kW2K}), kWindows, {kW2K}, 6, 1},
      {"DOS text", Converted(original, {kW2D}), kWindows, {kW2D}, 6, 1},
      {"W2K twice", Converted(original, {kW2K, kW2K}), kWindows, {kW2K, kW2K}, 6, 2},
      // D2W then W2K amounts to D2K on the frequent letters but т, which both turn into "?";
      // с moves up into the top six in its place.
      {"D2W, W2K", Converted(original, {kD2W, kW2K}), kWindows, {kD2K}, 6, 1},
      // An undamaged text: D2I keeps о е а и с н, and comes before I2D, which scores the same.
      {"undamaged", original, kWindows, {kD2I}, 5, 1},
      {"KOI target", original, kKoi8r, {kK2W}, 6, 1},
  };
  for (const Case& c : cases) {
    NoOpSearchHooks hooks;
    const FindResult found = FindVariants(HistogramOf(c.text), Params(0, 0, c.target), hooks);
    ASSERT_EQ(found.status, EngineStatus::kDone) << c.name;
    ASSERT_EQ(found.variants.size(), 1u) << c.name;
    EXPECT_EQ(found.variants[0].chain, c.chain) << c.name;
    EXPECT_EQ(found.variants[0].score, c.score) << c.name;
    EXPECT_EQ(found.depth, c.depth) << c.name;
  }
  const auto histogram = HistogramOf(original);
  LetterSet i2d = MakeLetterSet(kWindows, false);
  ConvertHighHalf(i2d.bytes.data(), i2d.size, kI2D);
  EXPECT_EQ(CountTopMatches(histogram, i2d), 5);
}

TEST_F(VariantSearchTest, DecodingRestoresTheText) {
  const std::string damaged = Converted(original, {kW2K, kW2K});
  NoOpSearchHooks hooks;
  const FindResult found = FindVariants(HistogramOf(damaged), Params(0, 0), hooks);
  ASSERT_EQ(found.status, EngineStatus::kDone);
  std::string text = damaged;
  DecodeByVariant(text.data(), text.size(), found.variants[0]);
  // ё and Ё do not survive being read as cp-1251 twice; every other byte does.
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(original[i]);
    if (b != 0xB8 && b != 0xA8) {
      ASSERT_EQ(text[i], original[i]) << i;
    }
  }
}

TEST(FindVariants, AutomaticDepthStopsAtFour) {
  const auto histogram =
      HistogramOf(std::string(5, 'x') + "\x98\x99\x9A\x9B\x9C\x9D\x98\x99\x9A\x9B\x9C\x9D");
  RecordingHooks hooks;
  int target_reads = 0;
  SearchParams params = Params(0, 0);
  params.target = [&target_reads] { return ++target_reads, kWindows; };
  const FindResult found = FindVariants(histogram, params, hooks);
  EXPECT_EQ(found.status, EngineStatus::kNothingFound);
  EXPECT_EQ(found.depth, 4);
  EXPECT_EQ(target_reads, 4);
  // Nodes with children: 1 + 13 + 157 + 1885 for depths 1..4.
  EXPECT_EQ(hooks.stop_calls, 1 + 13 + 157 + 1885);
}

TEST_F(VariantSearchTest, FixedDepthFiveVisitsEveryNode) {
  RecordingHooks hooks;
  hooks.minimised = true;
  const FindResult found = FindVariants(HistogramOf(original), Params(5, 6), hooks);
  EXPECT_EQ(found.status, EngineStatus::kNothingFound);  // no score exceeds 6
  EXPECT_EQ(hooks.stop_calls, 1 + 12 + 144 + 1728 + 20736);
  EXPECT_EQ(hooks.pump_calls, hooks.stop_calls);
  EXPECT_TRUE(hooks.progress.empty());
}

TEST(FindVariants, NoSearchForBadDepthOrTarget) {
  const auto histogram = HistogramOf(std::string(20, '\xEE'));
  struct Case {
    int depth;
    int target;
  };
  for (const Case c : {Case{-1, kWindows}, Case{0, 7}, Case{3, -1}}) {
    RecordingHooks hooks;
    const FindResult found = FindVariants(histogram, Params(c.depth, 0, c.target), hooks);
    EXPECT_EQ(found.status, EngineStatus::kNothingFound) << c.depth << " " << c.target;
    EXPECT_EQ(hooks.stop_calls, 0);
    EXPECT_TRUE(found.variants.empty());
  }
}

TEST_F(VariantSearchTest, StopEndsADepthFiveSearchWithinOneNode) {
  RecordingHooks hooks;
  hooks.stop_at = 5000;
  const FindResult found = FindVariants(HistogramOf(original), Params(5, 2), hooks);
  EXPECT_EQ(found.status, EngineStatus::kStopped);
  EXPECT_TRUE(found.variants.empty());
  EXPECT_EQ(hooks.stop_calls, 5000);      // no node looked again after the stop
  EXPECT_EQ(hooks.pump_calls, 5000 - 1);  // and none ran past it
  EXPECT_EQ(hooks.progress.back(), "close");
}

TEST_F(VariantSearchTest, QuitEndsTheSearchWithoutMovingProgress) {
  RecordingHooks hooks;
  hooks.quit_at = 2;  // the first node under the first top-level child
  const FindResult found = FindVariants(HistogramOf(original), Params(3, 2), hooks);
  EXPECT_EQ(found.status, EngineStatus::kQuitting);
  EXPECT_EQ(hooks.pump_calls, 2);
  EXPECT_EQ(hooks.progress, (std::vector<std::string>{"open 1..13 1", "close"}));
}

TEST_F(VariantSearchTest, ProgressFollowsTheTopLevelSubtrees) {
  const auto histogram = HistogramOf(original);
  RecordingHooks depth2;
  FindVariants(histogram, Params(2, 0), depth2);
  std::vector<std::string> want = {"open 1..13 1"};
  for (int i = 2; i <= 13; ++i) want.push_back(std::to_string(i));
  want.push_back("close");
  EXPECT_EQ(depth2.progress, want);

  RecordingHooks depth1;
  FindVariants(histogram, Params(1, 0), depth1);
  EXPECT_EQ(depth1.progress, (std::vector<std::string>{"open 1..13 1", "close"}));
}

TEST_F(VariantSearchTest, SortsStablyAndKeepsTheNBest) {
  const auto histogram = HistogramOf(Converted(original, {kW2K}));
  // Acceptance order, as the search produced it.
  VariantList raw;
  NoOpSearchHooks hooks;
  ASSERT_EQ(SearchVariants(histogram, 3, MakeLetterSet(kWindows, false), raw, 2, hooks),
            kSearchDone);
  ASSERT_GE(raw.size(), 10u);
  VariantList want = raw;
  std::stable_sort(want.begin(), want.end(),
                   [](const Variant& a, const Variant& b) { return a.score > b.score; });

  const FindResult all = FindVariants(histogram, Params(3, 2), hooks);
  ASSERT_EQ(all.status, EngineStatus::kDone);
  EXPECT_EQ(all.variants, want);
  EXPECT_EQ(all.variants.front().chain, std::vector<int>{kW2K});

  for (const int limit : {1, 3, 7}) {
    const FindResult best = FindVariants(histogram, Params(3, 2, kWindows, limit), hooks);
    EXPECT_EQ(best.variants, VariantList(want.begin(), want.begin() + limit)) << limit;
  }
  const FindResult roomy =
      FindVariants(histogram, Params(3, 2, kWindows, static_cast<int>(raw.size()) + 5), hooks);
  EXPECT_EQ(roomy.variants.size(), raw.size());
}

TEST_F(VariantSearchTest, AutomaticSensitivityKeepsOnlyItsOwnBest) {
  VariantList found = {Variant{{kK2D}, 1}};  // left by an earlier search: kept
  NoOpSearchHooks hooks;
  SearchVariants(HistogramOf(Converted(original, {kW2K})), 2, MakeLetterSet(kWindows, false), found,
                 0, hooks);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0], (Variant{{kK2D}, 1}));
  EXPECT_EQ(found[1], (Variant{{kW2K}, 6}));
}

// The whole ranked list of two samples at depth 2, sensitivity 2, as literals: the order in
// which the search tries conversions decides which of the equal scores comes first.
TEST(FindVariants, RankedListOfFixedSamples) {
  struct Case {
    const char* file;
    std::vector<std::string> want;  // "score (history)", best first
  };
  const Case cases[] = {
      {"koi-win-W2K.txt",
       {"6 (K2D,D2K)", "6 (D2W,W2D)", "6 (W2D,D2W)", "6 (W2K,K2W)", "6 (K2W,W2K)", "6 (D2I,I2D)",
        "6 (I2W,W2I)", "6 (W2I,I2W)", "6 (K2I,I2K)", "5 (I2D)",     "5 (D2I)",     "5 (D2K,K2D)",
        "5 (I2K,K2D)", "5 (I2W,W2D)", "5 (I2D,I2D)", "5 (I2D,D2I)", "5 (D2I,D2I)", "5 (D2W,W2I)",
        "5 (D2K,K2I)", "5 (I2K,K2I)", "3 (W2I,W2K)", "3 (K2W,I2W)", "3 (W2K,I2K)"}},
      {"dos-koi-K2D.txt",
       {"6 (K2W)", "6 (K2D,D2W)", "6 (K2I,I2W)", "5 (K2W,I2D)", "5 (K2W,D2I)", "3 (I2K)",
        "3 (I2D,D2K)", "3 (I2W,W2K)", "3 (K2I,W2K)", "3 (I2K,I2D)", "3 (I2K,D2I)"}},
  };
  for (const Case& c : cases) {
    RecordingHooks hooks;
    const FindResult found = FindVariants(HistogramOf(ReadData(c.file)), Params(2, 2), hooks);
    std::vector<std::string> got;
    for (const Variant& v : found.variants) {
      got.push_back(std::to_string(v.score) + " " + VariantHistory(v));
    }
    EXPECT_EQ(got, c.want) << c.file;
  }
}

TEST(VariantHistory, NamesTheInverseConversions) {
  struct Case {
    std::vector<int> chain;
    std::string history;
  };
  const Case cases[] = {
      {{kW2K}, "(K2W)"}, {{kW2K, kD2W}, "(K2W,W2D)"}, {{kI2K, kK2I, kD2K}, "(K2I,I2K,K2D)"},
      {{}, "()"},        {{kD2K, 99, -1}, "(K2D)"},
  };
  for (const Case& c : cases) EXPECT_EQ(VariantHistory(Variant{c.chain, 0}), c.history);
}

// Decoding in one pass equals applying the inverse conversions one after another.
TEST(DecodeByVariant, EqualsTheInverseConversionsInTurn) {
  std::mt19937 random(7);
  std::string text(4096, '\0');
  for (char& c : text) c = static_cast<char>(random() & 0xFF);
  for (int round = 0; round < 200; ++round) {
    Variant variant;
    const std::size_t length = random() % 6;
    for (std::size_t i = 0; i < length; ++i)
      variant.chain.push_back(static_cast<int>(random() % 12));
    std::string want = text;
    for (const int k : variant.chain)
      ConvertHighHalf(want.data(), want.size(), InverseConversion(k));
    std::string got = text;
    DecodeByVariant(got.data(), got.size(), variant);
    ASSERT_EQ(got, want) << VariantHistory(variant);
  }
}

TEST(MakeVariantPreviews, DecodesTheSameSampleForEachVariant) {
  const std::string text = std::string(30, 'a') + Converted("\xCF\xF0\xE8\xE2\xE5\xF2", {kW2K});
  const std::vector<Variant> variants = {{{kW2K}, 6}, {{kD2K}, 5}, {{}, 4}};
  struct Case {
    std::size_t count, start, window;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {1, 30, 100, {"\xCF\xF0\xE8\xE2\xE5\xF2"}},  // shorter at the end
      {2, 28, 4, {"aa\xCF\xF0", Converted("aa\xF0\xD2", {kK2D})}},
      {9, 0, 2, {"aa", "aa", "aa"}},  // count beyond the Variants
      {3, 500, 100, {"", "", ""}},    // start beyond the text
      {0, 0, 100, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MakeVariantPreviews(text, variants, c.count, c.start, c.window), c.want)
        << c.count << " " << c.start;
  }
}

}  // namespace
}  // namespace cyrvert
