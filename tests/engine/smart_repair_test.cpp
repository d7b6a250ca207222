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
#include "engine/repair_writing.h"
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

// What a repaired sample gives back: <group>-none.txt beside it, else win-none.txt.
std::string OriginalOf(const fs::path& path) {
  const std::string stem = path.stem().string();
  const fs::path own = kSamples / (stem.substr(0, stem.find('-')) + "-none.txt");
  return ReadFile(fs::exists(own) ? own : kSamples / "win-none.txt");
}

TEST(SmartRepairTest, EverySampleGetsTheAnswerItsNameGives) {
  const std::vector<fs::path> samples = Samples();
  ASSERT_GE(samples.size(), 35u);
  for (const fs::path& path : samples) {
    SCOPED_TRACE(path.filename().string());
    const std::string text = ReadFile(path);
    const std::string answer = AnswerOf(path);
    const RepairAnalysis analysis = AnalyzeForRepair(text);
    if (answer == "none") {
      EXPECT_EQ(analysis.verdict, RepairVerdict::kNotDamaged);
      EXPECT_TRUE(analysis.steps.empty());
      EXPECT_EQ(ApplyPlan(text, analysis.plan, RepairOutput::kWindows), text);
    } else if (answer == "cannot") {
      EXPECT_EQ(analysis.verdict, RepairVerdict::kCannotRepair);
    } else {
      ASSERT_EQ(analysis.verdict, RepairVerdict::kRepaired);
      EXPECT_EQ(VerdictName(analysis), answer == "partly" ? "partly repaired" : "repaired");
      if (answer != "partly") {
        EXPECT_EQ(RepairCodes(analysis.steps), answer);
      }
      EXPECT_GT(analysis.confidence, 0.4);
      const std::string original = OriginalOf(path);
      EXPECT_EQ(ApplyPlan(text, analysis.plan, RepairOutput::kWindows), original);
      EXPECT_EQ(ApplyPlan(text, analysis.plan, RepairOutput::kUtf8), kViewCodec.ToUtf8(original));
      // The same letters in the other pages.
      const std::pair<RepairOutput, int> pages[] = {
          {RepairOutput::kDos, kW2D}, {RepairOutput::kKoi8r, kW2K}, {RepairOutput::kIso, kW2I}};
      for (const auto& [output, conversion] : pages) {
        std::string expected = original;
        ConvertHighHalf(expected.data(), expected.size(), conversion);
        EXPECT_EQ(ApplyPlan(text, analysis.plan, output), expected);
      }
    }
  }
}

// What a repair writes in `output` reads as not damaged when analysed for that output, so a
// second run in place changes nothing.
TEST(SmartRepairTest, WhatARepairWritesIsNotDamagedOnASecondPass) {
  const RepairOutput outputs[] = {RepairOutput::kWindows, RepairOutput::kDos, RepairOutput::kKoi8r,
                                  RepairOutput::kIso, RepairOutput::kUtf8};
  for (const fs::path& path : Samples()) {
    // Russian texts only: a text of another language is "not damaged" but converted.
    const std::string name = path.filename().string();
    if (AnswerOf(path) == "cannot" || name.find("ukrainian") == 0 || name.find("bulgarian") == 0 ||
        name.find("french") == 0 || name.find("german") == 0) {
      continue;
    }
    const std::string text = ReadFile(path);
    for (const RepairOutput output : outputs) {
      SCOPED_TRACE(path.filename().string() + " output " +
                   std::to_string(static_cast<int>(output)));
      const RepairAnalysis first = AnalyzeForRepair(text, {.output = output});
      const std::string written = ApplyPlan(text, WritingPlan(first, output), output);
      const RepairAnalysis second = AnalyzeForRepair(written, {.output = output});
      EXPECT_EQ(second.verdict, RepairVerdict::kNotDamaged) << second.reason;
      EXPECT_EQ(ApplyPlan(written, WritingPlan(second, output), output), written);
    }
  }
}

TEST(SmartRepairTest, AChainThatLosesALetterToReadAsRussianIsNoRepair) {
  // "працювати як з текстом, так і з кодом": through cp-866, which lacks і, it would read
  // as Russian.
  const RepairAnalysis analysis = AnalyzeForRepair(
      "\xD0\xBF\xD1\x80\xD0\xB0\xD1\x86\xD1\x8E\xD0\xB2\xD0\xB0\xD1\x82\xD0\xB8 "
      "\xD1\x8F\xD0\xBA \xD0\xB7 \xD1\x82\xD0\xB5\xD0\xBA\xD1\x81\xD1\x82\xD0\xBE\xD0\xBC, "
      "\xD1\x82\xD0\xB0\xD0\xBA \xD1\x96 \xD0\xB7 \xD0\xBA\xD0\xBE\xD0\xB4\xD0\xBE\xD0\xBC\n");
  EXPECT_EQ(analysis.verdict, RepairVerdict::kNotDamaged) << analysis.reason;
}

TEST(SmartRepairTest, Utf8WithCharactersNoCyrillicPageHoldsIsLeftAlone) {
  const std::string text = ReadFile(kSamples / "utf8-U8.txt") +
                           "\xE2\x89\x88 \xE2\x9C\x93 \xF0\x9F\x98\x80 \xE6\x97\xA5\xE6\x9C\xAC\n";
  for (const RepairOutput output : {RepairOutput::kWindows, RepairOutput::kKoi8r}) {
    const RepairAnalysis analysis = AnalyzeForRepair(text, {.output = output});
    EXPECT_EQ(analysis.verdict, RepairVerdict::kNotDamaged);
    EXPECT_EQ(ApplyPlan(text, WritingPlan(analysis, output), output), text);
  }
  EXPECT_EQ(AnalyzeForRepair(text, {.output = RepairOutput::kUtf8}).verdict,
            RepairVerdict::kNotDamaged);
  // Shown beside its source, the repair may write "?" for them.
  const RepairAnalysis beside = AnalyzeForRepair(text, {.keep_characters = false});
  EXPECT_EQ(RepairCodes(beside.steps), "U8");
}

TEST(SmartRepairTest, UnicodeTextIsRepairedOnlyWhenDamaged) {
  const std::string russian = kViewCodec.ToUtf8(ReadFile(kSamples / "win-none.txt"));
  const std::string subject = kViewCodec.ToUtf8(ReadFile(kSamples / "subject-none.txt"));
  struct Case {
    std::string in;
    std::string out;
    RepairVerdict verdict;
  };
  const Case cases[] = {
      {ReadFile(kSamples / "web-cp1252-U2C_U8.txt"), russian, RepairVerdict::kRepaired},
      {ReadFile(kSamples / "web-latin1-U2L_U8.txt"), russian, RepairVerdict::kRepaired},
      {ReadFile(kSamples / "utf8-twice-U2W_U8.txt"), russian, RepairVerdict::kRepaired},
      {ReadFile(kSamples / "subject-twice-U2W_U8.txt"), subject, RepairVerdict::kRepaired},
      {russian, russian, RepairVerdict::kNotDamaged},
      {subject, subject, RepairVerdict::kNotDamaged},
      {ReadFile(kSamples / "bulgarian-utf8-none.txt"),
       ReadFile(kSamples / "bulgarian-utf8-none.txt"), RepairVerdict::kNotDamaged},
      {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE6\x96\x87\xE7\xAB\xA0",
       "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE6\x96\x87\xE7\xAB\xA0",
       RepairVerdict::kNotDamaged},
      {"Plain text.", "Plain text.", RepairVerdict::kNotDamaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in.substr(0, 30));
    const UnicodeRepair repair = RepairUnicodeText(c.in);
    EXPECT_EQ(repair.analysis.verdict, c.verdict);
    EXPECT_EQ(repair.text, c.out);
  }
}

TEST(SmartRepairTest, AShortTextNeedsTheEvidenceOfItsKindOfDamage) {
  // Nine letters: a UTF-8 trace is enough, one 8-bit re-reading is not; and --explain says so.
  const RepairAnalysis koi = AnalyzeForRepair(ReadFile(kSamples / "short-koi-cannot.txt"));
  EXPECT_EQ(koi.verdict, RepairVerdict::kCannotRepair);
  EXPECT_NE(koi.reason.find("bits of evidence"), std::string::npos) << koi.reason;
  const std::string hello =
      "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, "
      "\xD0\xBC\xD0\xB8\xD1\x80";  // "Привет, мир"
  const UnicodeRepair twice = RepairUnicodeText(kViewCodec.ToUtf8(hello));
  EXPECT_EQ(twice.analysis.verdict, RepairVerdict::kRepaired);
  EXPECT_EQ(twice.text, hello);
  // Three words in code, read as KOI8-R: the trace holds though the letters' pattern is odd.
  const UnicodeRepair code = RepairUnicodeText(
      "print('\xD0\xBF\xE2\x96\x93\xD1\x8F\xE2\x96\x80 \xD0\xBF\xE2\x95\xA1\xD0\xBF\xE2"
      "\x95\xA5\xD1\x8F\xE2\x96\x90\xD0\xBF\xE2\x95\xA9\xD0\xBF\xE2\x95\xA6 \xD0\xBF\xE2"
      "\x95\xA8\xD0\xBF\xE2\x95\xA9\xD1\x8F\xE2\x96\x8C\xD1\x8F\xE2\x94\xA4.')");
  EXPECT_EQ(code.analysis.verdict, RepairVerdict::kRepaired);
  EXPECT_GT(code.analysis.confidence, 0.4);  // the trace is sure, odd as the letters are
  EXPECT_EQ(code.text,
            "print('\xD0\x92\xD1\x8B \xD0\xB2\xD0\xB7\xD1\x8F\xD0\xBB\xD0\xB8 "
            "\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87.')");  // print('Вы взяли ключ.')
}

TEST(SmartRepairTest, DamageOnlyPastTheScoredStartIsFoundByStretches) {
  // Two files glued: the first right, the second read as KOI8-R, each longer than analysis
  // scores at the start.
  const std::string good = ReadFile(kSamples / "win-none.txt");
  const std::string bad = ReadFile(kSamples / "w2k-K2W.txt");
  std::string text;
  std::string expected;
  for (int i = 0; i < 3; ++i) text += good, expected += good;
  for (int i = 0; i < 3; ++i) text += bad, expected += good;
  ASSERT_LE(text.size(), kSmartRepairWindow);
  const RepairAnalysis analysis = AnalyzeForRepair(text);
  EXPECT_EQ(VerdictName(analysis), "partly repaired");
  EXPECT_EQ(ApplyPlan(text, analysis.plan, RepairOutput::kWindows), expected);
}

TEST(SmartRepairTest, DamageThatComesAndGoesIsRepairedRunByRun) {
  // Runs of a few lines, every other one read as KOI8-R or as ISO-8859-5: each line comes back.
  const std::string sample = ReadFile(kSamples / "win-none.txt");
  const std::string good = sample + sample + sample + sample;
  for (const int conversion : {kW2K, kW2I}) {
    SCOPED_TRACE(conversion);
    std::string text;
    std::size_t start = 0;
    for (int run = 0; start < good.size(); ++run) {
      std::size_t end = start;
      for (int line = 0; line < 5 && end < good.size(); ++line) {
        end = std::min(good.size(), good.find('\n', end) + 1);
      }
      std::string part = good.substr(start, end - start);
      if (run % 2 == 1) ConvertHighHalf(part.data(), part.size(), conversion);
      text += part;
      start = end;
    }
    const RepairAnalysis analysis = AnalyzeForRepair(text);
    EXPECT_EQ(VerdictName(analysis), "partly repaired");
    EXPECT_GE(analysis.plan.stretches.size(), 8u);
    EXPECT_EQ(ApplyPlan(text, analysis.plan, RepairOutput::kWindows), good);
  }
}

TEST(SmartRepairTest, PlansByStretchesReplayAndExplainThemselves) {
  using K = RepairStep::Kind;
  const std::string good = "\xCF\xF0\xE8\xE2\xE5\xF2\n";  // "Привет" in cp-1251
  std::string bad = good;
  ConvertHighHalf(bad.data(), bad.size(), kW2K);
  RepairPlan plan;
  plan.stretches = {{0, good.size(), 1, 1, false, {}},
                    {good.size(), good.size() + bad.size(), 2, 2, true, {{K::kConvert, kK2W}}}};
  EXPECT_EQ(ApplyPlan(good + bad, plan, RepairOutput::kWindows), good + good);
  EXPECT_EQ(DescribePlan(plan), "line 1: not damaged; line 2: KOI8-R read as cp-1251 (K2W)");
  EXPECT_EQ(PlanCodes(plan), "line 1 -; line 2 K2W");
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
