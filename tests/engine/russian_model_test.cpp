// The generated Russian bigram model: what it means, and that the generator still writes it.
#include "engine/russian_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace cyrvert::detail {
namespace {

// Model class of a lower-case Russian letter other than ё.
int Letter(char32_t c) { return 1 + static_cast<int>(c - U'а'); }

TEST(RussianModelTest, EachRowIsAProbabilityDistribution) {
  for (int a = 0; a < kSmartClassCount; ++a) {
    double total = 0;
    for (int b = 0; b < kSmartClassCount; ++b) {
      total += std::exp2(-kRussianBigramCost[a][b] / 100.0);
    }
    EXPECT_NEAR(total, 1.0, 0.05) << "row " << a;
  }
}

TEST(RussianModelTest, CommonRussianPairsCostLessThanImpossibleOnes) {
  struct Pair {
    int a, b;
  };
  const std::pair<Pair, Pair> cheaper_than[] = {
      {{Letter(U'с'), Letter(U'т')}, {Letter(U'ъ'), Letter(U'ы')}},
      {{Letter(U'н'), Letter(U'о')}, {Letter(U'ь'), Letter(U'ь')}},
      {{kClassBlank, Letter(U'в')}, {kClassBlank, Letter(U'ы')}},
      {{Letter(U'е'), kClassBlank}, {Letter(U'й'), Letter(U'й')}},
      {{kClassLatin, kClassLatin}, {Letter(U'о'), kClassLatin}},
  };
  for (const auto& [common, rare] : cheaper_than) {
    EXPECT_LT(kRussianBigramCost[common.a][common.b] + 300, kRussianBigramCost[rare.a][rare.b])
        << common.a << "," << common.b << " vs " << rare.a << "," << rare.b;
  }
  EXPECT_GT(kRussianLetterBigramCost, 200);
  EXPECT_LT(kRussianLetterBigramCost, 600);
}

TEST(RussianModelTest, GeneratorWritesTheCommittedTable) {
  const std::filesystem::path corpus =
      "/usr/share/developers-reference/ru/developers-reference.txt.gz";
  if (!std::filesystem::exists(corpus) || std::system("python3 -c '' 2>/dev/null") != 0) {
    GTEST_SKIP() << "needs python3 and the package developers-reference-ru";
  }
  const std::string command = std::string("python3 '") + CYRVERT_SOURCE_DIR +
                              "/tools/gen_russian_model.py' --check '" + CYRVERT_SOURCE_DIR +
                              "/engine/russian_model.cpp'";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

}  // namespace
}  // namespace cyrvert::detail
