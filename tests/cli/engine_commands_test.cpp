// cyrvert-cli decode, translate and set8bit, run as a program on sample files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "resources/strings.h"
#include "tests/cli/cli_runner.h"

namespace {

using cyrvert::test::CliRun;
using cyrvert::test::ReadFile;
using cyrvert::test::RunCli;
using cyrvert::test::WriteFile;

std::string Data(const std::string& name) {
  return std::string(CYRVERT_TEST_DATA_DIR) + "/" + name;
}

// Samples named <target>-<damage>-<history codes joined by _>.txt, decoded with automatic
// depth and sensitivity; `want` names the file the output must equal.
TEST(CliDecode, RepairsTheSamples) {
  struct Case {
    std::string name, want;
  };
  const Case cases[] = {
      {"win-w2k-K2W.txt", "win-original.txt"}, {"win-dos-D2W.txt", "win-original.txt"},
      {"win-iso-I2W.txt", "win-original.txt"}, {"koi-win-W2K.txt", "sample-w2k.txt"},
      {"dos-koi-K2D.txt", "win-dos-D2W.txt"},  {"win-w2k-w2k-K2W_K2W.txt", ""},
  };
  for (const Case& c : cases) {
    const std::string target = c.name.substr(0, 3);
    const std::size_t codes = c.name.rfind('-') + 1;
    std::string history = "(";
    history.append(c.name, codes, c.name.size() - codes - 4);  // without ".txt"
    history.append(")\n");
    std::replace(history.begin(), history.end(), '_', ',');
    const CliRun run = RunCli("decode --target " + target + " '" + Data(c.name) + "'");
    EXPECT_EQ(run.status, 0) << c.name << ": " << run.err;
    EXPECT_EQ(run.err, history) << c.name;
    if (!c.want.empty()) {
      EXPECT_TRUE(run.out == ReadFile(Data(c.want))) << c.name;
    }
  }
}

TEST(CliDecode, WritesUtf8AndReadsStandardInput) {
  const CliRun run = RunCli("decode --utf8", Data("sample-w2k.txt"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "(K2W)\n");
  EXPECT_TRUE(run.out == ReadFile(std::string(CYRVERT_TOOLS_DIR) + "/sample-ru.txt"));
}

TEST(CliDecode, ListsTheBestVariantsWithPreviews) {
  const CliRun run =
      RunCli("decode --list --depth 2 --sense 2 --best 3 '" + Data("win-w2k-K2W.txt") + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> lines;
  std::istringstream in(run.out);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 3u);
  // The text starts in Russian, so the preview is its first 100 letters, line ends as blanks.
  std::string sample = ReadFile(std::string(CYRVERT_TOOLS_DIR) + "/sample-ru.txt");
  std::replace(sample.begin(), sample.end(), '\n', ' ');
  std::size_t end = 0;
  for (int chars = 0; chars < 100; ++chars) {
    end += (static_cast<unsigned char>(sample[end]) < 0x80) ? 1 : 2;
  }
  EXPECT_EQ(lines[0], "6\t(K2W)\t" + sample.substr(0, end));
  int previous = 6;
  for (const std::string& line : lines) {
    const int score = line[0] - '0';
    EXPECT_LE(score, previous) << line;
    EXPECT_GT(score, 2) << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 2) << line;
    previous = score;
  }
}

TEST(CliDecode, ReportsWhatItCannotDo) {
  struct Case {
    std::string args;
    int status;
    std::string err;  // exact, when not empty
  };
  // The editor breaks this message inside its sentence; on one line it reads whole.
  const std::string kTooFew = "Слишком мало символов из второй части таблицы (меньше 10)!\n";
  const Case cases[] = {
      {"decode '" + Data("win-english-none.txt") + "'", 4, kTooFew},
      {"decode", 4, kTooFew},  // empty standard input
      {"decode --depth 1 --sense 6 '" + Data("win-original.txt") + "'", 3,
       std::string(cyrvert::strings::kNothingFound) + "\n"},
      {"decode --depth 9 '" + Data("win-original.txt") + "'", 2, ""},
      {"decode --target cp437 '" + Data("win-original.txt") + "'", 2, ""},
      {"decode --best", 2, ""},
      {"decode --depth 6", 2, "cyrvert-cli: --depth must be 0 (automatic) to 5\n"},
      {"decode --depth -1", 2, "cyrvert-cli: --depth must be 0 (automatic) to 5\n"},
      {"decode --sense 7", 2, "cyrvert-cli: --sense must be 0 (automatic) to 6\n"},
      {"decode --best 501", 2, "cyrvert-cli: --best must be 0 (all) to 500\n"},
      {"decode --best 3x", 2, "cyrvert-cli: --best must be 0 (all) to 500\n"},
      {"decode --bogus", 2, ""},
      {"decode '" + Data("win-original.txt") + "' '" + Data("win-original.txt") + "'", 2, ""},
      {"decode /nonexistent/file.txt", 2, ""},
      {"translate", 2, ""},
      {"translate w2x", 2, ""},
      {"translate W2K /nonexistent/file.txt", 2, ""},
      {"translate W2K", 4, std::string(cyrvert::strings::kNoText) + "\n"},
      {"set8bit", 4, std::string(cyrvert::strings::kNoText) + "\n"},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli(c.args);
    EXPECT_EQ(run.status, c.status) << c.args << ": " << run.err;
    if (c.err.empty()) {
      EXPECT_FALSE(run.err.empty()) << c.args;
    } else {
      EXPECT_EQ(run.err, c.err) << c.args;
    }
    EXPECT_TRUE(run.out.empty()) << c.args;
  }
}

TEST(CliDecode, SurvivesArbitraryBytes) {
  std::string bytes;
  for (int round = 0; round < 40; ++round) {
    for (int b = 255; b >= 0; --b) bytes.push_back(static_cast<char>((b * 37 + round) & 0xFF));
  }
  const std::string path = ::testing::TempDir() + "cli_binary.bin";
  WriteFile(path, bytes);
  for (const std::string_view options :
       {"", "--list --sense 2 --depth 3", "--utf8 --big-letters"}) {
    const CliRun run = RunCli("decode " + std::string(options) + " '" + path + "'");
    EXPECT_TRUE(run.status == 0 || run.status == 3) << options << ": " << run.status;
  }
}

TEST(CliTranslate, ConvertsByOneTable) {
  const CliRun run = RunCli("translate W2K '" + Data("win-original.txt") + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.out == ReadFile(Data("sample-w2k.txt")));
  const CliRun back = RunCli("translate K2W", Data("sample-w2k.txt"));
  EXPECT_TRUE(back.out == ReadFile(Data("win-original.txt")));
}

TEST(CliSet8Bit, SetsTheEighthBitOfEveryByte) {
  const std::string path = ::testing::TempDir() + "cli_7bit.txt";
  WriteFile(path, "ABC\r\n \xC0");
  const CliRun run = RunCli("set8bit '" + path + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "\xC1\xC2\xC3\x8D\x8A\xA0\xC0");
}

}  // namespace
