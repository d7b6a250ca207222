// The whole-buffer entry points give what cyrvert-cli gives for the same input and options.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "api/cyrvert_api.h"
#include "tests/cli/cli_runner.h"

namespace cyrvert::api {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::RunCli;

// Every sample text, plain and smart.
std::vector<std::string> Samples() {
  std::vector<std::string> paths;
  for (const char* dir : {"", "smart"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(CYRVERT_TEST_DATA_DIR) / dir)) {
      if (entry.is_regular_file()) paths.push_back(entry.path().string());
    }
  }
  return paths;
}

// The first line of the CLI's standard error, without its program prefix.
std::string VerdictOf(const std::string& err) {
  std::string line = err.substr(0, err.find('\n'));
  const std::string prefix = "cyrvert-cli repair: ";
  return line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : line;
}

TEST(ApiRepair, MatchesTheCommandLineOnEverySampleAndPage) {
  struct Form {
    std::string flags;
    OutputPage page;
  };
  const std::vector<Form> forms = {{"", OutputPage::kWindows},
                                   {"--target koi", OutputPage::kKoi8r},
                                   {"--utf8", OutputPage::kUtf8}};
  for (const std::string& path : Samples()) {
    const std::string bytes = ReadFile(path);
    for (const Form& form : forms) {
      SCOPED_TRACE(path + " " + form.flags);
      const test::CliRun cli = RunCli("repair " + form.flags + " '" + path + "'");
      const RepairReport report = Repair(bytes, form.page);
      EXPECT_EQ(report.exit_status, cli.status);
      EXPECT_EQ(report.output, cli.out);
      const std::string verdict = VerdictOf(cli.err);
      EXPECT_EQ(verdict.rfind(report.verdict, 0), 0u) << verdict;
      if (!report.steps.empty()) {
        EXPECT_NE(verdict.find(report.steps), std::string::npos);
      }
    }
  }
}

TEST(ApiRepair, EmptyInputIsEmpty) {
  const RepairReport report = Repair("");
  EXPECT_EQ(report.verdict, "empty");
  EXPECT_EQ(report.exit_status, 4);
  EXPECT_TRUE(report.output.empty());
}

TEST(ApiRepair, TextInputKeepsCleanTextAndEveryCharacter) {
  const std::string clean = "Съешь же ещё этих мягких французских булок, да выпей чаю. ✓ 😀";
  const RepairReport report = RepairText(clean);
  EXPECT_NE(report.verdict, "repaired");
  EXPECT_EQ(report.output, clean);
}

TEST(ApiDecode, MatchesTheCommandLineList) {
  for (const std::string& path : Samples()) {
    SCOPED_TRACE(path);
    const test::CliRun cli = RunCli("decode --list --depth 3 --sense 2 --best 5 '" + path + "'");
    const DecodeReport report = Decode(ReadFile(path));
    ASSERT_EQ(report.status, cli.status);
    std::string lines;
    for (const Candidate& c : report.candidates) {
      lines += std::to_string(c.score) + '\t' + c.history + '\t' + c.preview + '\n';
    }
    EXPECT_EQ(lines, cli.out);
    if (report.status == 0) {
      const test::CliRun best = RunCli("decode --depth 3 --sense 2 '" + path + "'");
      EXPECT_EQ(report.candidates.front().text, best.out);
    } else {
      EXPECT_NE(cli.err.find(report.message), std::string::npos) << cli.err;
    }
  }
}

TEST(ApiDecode, OptionsOutOfRangeAreUsageErrors) {
  for (const DecodeOptions options : {DecodeOptions{.depth = 6}, DecodeOptions{.sense = -1},
                                      DecodeOptions{.n_best = 501}, DecodeOptions{.target = 4}}) {
    EXPECT_EQ(Decode("anything", options).status, 2);
  }
}

TEST(ApiTranslate, MatchesTheCommandLineAndRefusesUnknownCodes) {
  const std::string path = std::string(CYRVERT_TEST_DATA_DIR) + "/win-original.txt";
  for (const char* code : {"W2K", "K2D", "I2W", "D2I"}) {
    EXPECT_EQ(Translate(ReadFile(path), code),
              RunCli(std::string("translate ") + code + " '" + path + "'").out)
        << code;
  }
  EXPECT_FALSE(Translate("x", "W2W").has_value());
  EXPECT_EQ(SetEighthBit("AB"), "\xC1\xC2");
}

TEST(ApiCodecs, ExportAndImportMatchTheCommandLine) {
  const std::string path = std::string(CYRVERT_TEST_DATA_DIR) + "/win-original.txt";
  const std::string text = ReadFile(path);
  for (const std::string_view name : CodecNames()) {
    SCOPED_TRACE(std::string(name));
    const std::string codec(name);
    const CodecResult exported = Export(name, text, "win-original.txt");
    ASSERT_TRUE(exported.ok) << exported.error;
    EXPECT_EQ(exported.output, RunCli("export " + codec + " '" + path + "'").out);
    const std::string encoded = ::testing::TempDir() + "api_encoded.txt";
    test::WriteFile(encoded, exported.output);
    const CodecResult imported = Import(name, exported.output);
    ASSERT_TRUE(imported.ok) << imported.error;
    EXPECT_EQ(imported.output, RunCli("import " + codec + " '" + encoded + "'").out);
  }
}

TEST(ApiCodecs, FailuresComeBackAsValues) {
  struct Case {
    std::string_view codec, input;
  };
  for (const Case c :
       {Case{"base64", "!!!!"}, Case{"utf8", "\xFF\xFE"}, Case{"rot13", "x"}, Case{"qp", ""}}) {
    const CodecResult result = Import(c.codec, c.input);
    EXPECT_FALSE(result.ok) << c.codec;
    EXPECT_FALSE(result.error.empty()) << c.codec;
  }
  EXPECT_FALSE(Export("uu", "text", "bad\nname").ok);
}

TEST(ApiPages, NamesAndRoundTrips) {
  EXPECT_EQ(PageByName("koi"), OutputPage::kKoi8r);
  EXPECT_EQ(PageByName("iso-8859-5"), OutputPage::kIso);
  EXPECT_EQ(PageByName("utf8"), OutputPage::kUtf8);
  EXPECT_FALSE(PageByName("latin1").has_value());
  const std::string russian = "Привет, мир";
  for (int page = 0; page < 4; ++page) {
    EXPECT_EQ(PageToUtf8(Utf8ToPage(russian, page), page), russian) << page;
  }
  EXPECT_EQ(Utf8ToPage("日", 0), "?");
  EXPECT_TRUE(PageToUtf8("x", 7).empty());
}

}  // namespace
}  // namespace cyrvert::api
