// Smart repair on the samples of tests/data/smart, whose names carry the answer, and the
// streaming of a repair across slice ends.
#include "engine/smart_repair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/code_page.h"
#include "engine/unicode_codec.h"

namespace cyrvert {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = fs::path(CYRVERT_TEST_DATA_DIR) / "smart";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> Samples() {
  std::vector<fs::path> paths;
  for (const auto& entry : fs::directory_iterator(kSamples)) paths.push_back(entry.path());
  std::sort(paths.begin(), paths.end());
  return paths;
}

// The answer a sample's name gives: the part after the last '-', "_" between step codes.
std::string AnswerOf(const fs::path& path) {
  const std::string stem = path.stem().string();
  std::string answer = stem.substr(stem.rfind('-') + 1);
  std::replace(answer.begin(), answer.end(), '_', ',');
  return answer;
}

TEST(SmartRepairTest, EverySampleGetsTheAnswerItsNameGives) {
  const std::string original = ReadFile(kSamples / "win-none.txt");
  const std::string original_utf8 = kViewCodec.ToUtf8(original);
  const std::vector<fs::path> samples = Samples();
  ASSERT_GE(samples.size(), 20u);
  for (const fs::path& path : samples) {
    SCOPED_TRACE(path.filename().string());
    const std::string text = ReadFile(path);
    const std::string answer = AnswerOf(path);
    const RepairAnalysis analysis = AnalyzeForRepair(text);
    if (answer == "none") {
      EXPECT_EQ(analysis.verdict, RepairVerdict::kNotDamaged);
      EXPECT_TRUE(analysis.steps.empty());
    } else if (answer == "cannot") {
      EXPECT_EQ(analysis.verdict, RepairVerdict::kCannotRepair);
    } else {
      ASSERT_EQ(analysis.verdict, RepairVerdict::kRepaired);
      EXPECT_EQ(RepairCodes(analysis.steps), answer);
      EXPECT_GT(analysis.confidence, 0.5);
      EXPECT_EQ(ApplyRepair(text, analysis.steps, RepairOutput::kWindows), original);
      EXPECT_EQ(ApplyRepair(text, analysis.steps, RepairOutput::kUtf8), original_utf8);
      // The same letters in the other pages.
      const std::pair<RepairOutput, int> pages[] = {
          {RepairOutput::kDos, kW2D}, {RepairOutput::kKoi8r, kW2K}, {RepairOutput::kIso, kW2I}};
      for (const auto& [output, conversion] : pages) {
        std::string expected = original;
        ConvertHighHalf(expected.data(), expected.size(), conversion);
        EXPECT_EQ(ApplyRepair(text, analysis.steps, output), expected);
      }
    }
  }
}

// Upper-half bytes at random, in words: Cyrillic in every reading, Russian in none.
std::string Gibberish() {
  std::string text;
  std::uint32_t state = 1;
  for (int i = 0; i < 3000; ++i) {
    state = state * 1103515245u + 12345u;
    text += (i % 6 == 5) ? ' ' : static_cast<char>(0x80 | ((state >> 16) & 0x7F));
  }
  return text;
}

TEST(SmartRepairTest, EdgeInputs) {
  struct Case {
    std::string text;
    RepairVerdict verdict;
  };
  const Case cases[] = {
      {"", RepairVerdict::kEmpty},
      {"Plain ASCII text, nothing to repair.\r\n", RepairVerdict::kNotDamaged},
      {std::string(5000, '\0'), RepairVerdict::kNotDamaged},
      {std::string(3000, '\xB0'), RepairVerdict::kNotDamaged},  // degree signs: no Russian
      {Gibberish(), RepairVerdict::kCannotRepair},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 20));
    EXPECT_EQ(AnalyzeForRepair(c.text).verdict, c.verdict);
  }
}

TEST(SmartRepairTest, DamageBeyondTheScoredWindowIsRepairedLikeTheStart) {
  // A text longer than the window: the chain found on its start applies to all of it.
  const std::string sample = ReadFile(kSamples / "w2k-K2W.txt");
  std::string text;
  while (text.size() < 3 * kSmartRepairWindow) text += sample;
  const RepairAnalysis analysis = AnalyzeForRepair(text);
  ASSERT_EQ(RepairCodes(analysis.steps), "K2W");
  const std::string original = ReadFile(kSamples / "win-none.txt");
  std::string expected;
  while (expected.size() < text.size()) expected += original;
  EXPECT_EQ(ApplyRepair(text, analysis.steps, RepairOutput::kWindows), expected);
}

// Feeding a text in slices of every small size gives what one whole pass gives.
TEST(SmartRepairTest, StreamingMatchesOnePassAtEverySliceSize) {
  const std::vector<RepairSteps> chains = {
      {},
      {{RepairStep::Kind::kReadUtf8, 0}},
      {{RepairStep::Kind::kFromUtf8, kKoi8r}, {RepairStep::Kind::kReadUtf8, 0}},
      {{RepairStep::Kind::kFromUtf8, kWindows}, {RepairStep::Kind::kConvert, kK2W}},
      {{RepairStep::Kind::kConvert, kI2W}, {RepairStep::Kind::kConvert, kK2W}},
  };
  for (const fs::path& path : Samples()) {
    const std::string text = ReadFile(path).substr(0, 700);
    for (const RepairSteps& steps : chains) {
      for (const RepairOutput output : {RepairOutput::kWindows, RepairOutput::kUtf8}) {
        const std::string whole = ApplyRepair(text, steps, output);
        for (std::size_t slice = 1; slice <= 7; ++slice) {
          RepairStream stream(steps, output);
          std::string out;
          for (std::size_t at = 0; at < text.size(); at += slice) {
            stream.Feed(std::string_view(text).substr(at, slice), out);
          }
          stream.Finish(out);
          ASSERT_EQ(out, whole) << path.filename() << " " << RepairCodes(steps) << " slice "
                                << slice;
        }
      }
    }
  }
}

TEST(SmartRepairTest, InvalidUtf8BecomesReplacementOrQuestionMark) {
  const RepairSteps read = {{RepairStep::Kind::kReadUtf8, 0}};
  struct Case {
    std::string in;
    std::string windows;
    std::string utf8;
  };
  const Case cases[] = {
      {"\xD0\x9F", "\xCF", "\xD0\x9F"},                                 // П
      {"a\xD0", "a?", "a\xEF\xBF\xBD"},                                 // cut at the end
      {"\xD0z", "?z", "\xEF\xBF\xBDz"},                                 // lead without continuation
      {"\xC0\x80", "??", "\xEF\xBF\xBD\xEF\xBF\xBD"},                   // overlong
      {"\xED\xA0\x80", "???", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // surrogate
      {"\xE2\x9C\x93", "?", "\xE2\x9C\x93"},                            // ✓: not in cp-1251
      {"\xF0\x9F\x98\x80", "?", "\xF0\x9F\x98\x80"},                    // outside the BMP
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ApplyRepair(c.in, read, RepairOutput::kWindows), c.windows);
    EXPECT_EQ(ApplyRepair(c.in, read, RepairOutput::kUtf8), c.utf8);
  }
}

TEST(SmartRepairTest, DescriptionsNameTheDamageInTheOrderItHappened) {
  using K = RepairStep::Kind;
  struct Case {
    RepairSteps steps;
    std::string words;
    std::string codes;
  };
  const Case cases[] = {
      {{}, "", ""},
      {{{K::kReadUtf8, 0}}, "UTF-8 read as cp-1251", "U8"},
      {{{K::kConvert, kK2W}, {K::kReadUtf8, 0}},
       "UTF-8 read as cp-1251, then KOI8-R read as cp-1251",
       "K2W,U8"},
      {{{K::kFromUtf8, kKoi8r}, {K::kReadUtf8, 0}},
       "UTF-8 read as KOI8-R, then KOI8-R encoded to UTF-8",
       "U2K,U8"},
      {{{K::kFromUtf8, kWindows}, {K::kConvert, kK2W}},
       "KOI8-R read as cp-1251, then cp-1251 encoded to UTF-8",
       "U2W,K2W"},
      {{{K::kConvert, kI2W}, {K::kConvert, kD2W}},
       "cp-866 read as cp-1251, then ISO-8859-5 read as cp-1251",
       "I2W,D2W"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DescribeRepair(c.steps), c.words);
    EXPECT_EQ(RepairCodes(c.steps), c.codes);
  }
}

}  // namespace
}  // namespace cyrvert
