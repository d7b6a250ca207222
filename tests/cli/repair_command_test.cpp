// End-to-end runs of cyrvert-cli repair: one input streamed, and many files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "cli_runner.h"
#include "engine/code_page.h"

namespace cyrvert::test {
namespace {

namespace fs = std::filesystem;

std::string Sample(const std::string& name) {
  return std::string(CYRVERT_TEST_DATA_DIR) + "/smart/" + name;
}

// A fresh, empty folder for one test.
fs::path Scratch(const std::string& name) {
  const fs::path dir =
      fs::path(::testing::TempDir()) / ("repair_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

TEST(CliRepair, OneInputAnswersOnStandardOutputAndError) {
  const std::string original = ReadFile(Sample("win-none.txt"));
  struct Case {
    std::string args;
    std::string input;  // standard input
    int status;
    std::string out;  // expected standard output; "=input" for the input unchanged
    std::string err_holds;
  };
  const Case cases[] = {
      {"repair '" + Sample("utf8-twice-U2W_U8.txt") + "'", "/dev/null", 0, original,
       "repaired: U2W,U8"},
      {"repair --explain", Sample("w2k-utf8-U2W_K2W.txt"), 0, original,
       "KOI8-R read as cp-1251, then cp-1251 encoded to UTF-8"},
      {"repair -", Sample("win-none.txt"), 0, original, "not damaged"},
      {"repair", Sample("german-utf8-none.txt"), 0, "=input", "not damaged"},
      {"repair --utf8", Sample("german-utf8-none.txt"), 0, "=input", "not damaged"},
      {"repair", Sample("short-utf8-cannot.txt"), 3, "=input", "cannot repair"},
      {"repair", "/dev/null", 4, "", "empty"},
      {"repair --dry-run", Sample("w2k-K2W.txt"), 0, "", "repaired: K2W"},
      {"repair /no/such/file", "/dev/null", 2, "", "cannot open"},
      {"repair /tmp", "/dev/null", 2, "", "cannot open"},
      {"repair --frobnicate", "/dev/null", 2, "", "takes no option"},
      {"repair --target ebcdic", "/dev/null", 2, "", "--target must be win, dos, koi or iso"},
      {"repair ''", "/dev/null", 2, "", "empty argument"},
      {"repair a b", "/dev/null", 2, "", "several files"},
      {"repair --in-place -", "/dev/null", 2, "", "need FILE names"},
      {"repair --no-backup a", "/dev/null", 2, "", "--no-backup goes with --in-place"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const CliRun run = RunCli(c.args, c.input);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out, c.out == "=input" ? ReadFile(c.input) : c.out);
    EXPECT_NE(run.err.find(c.err_holds), std::string::npos) << run.err;
  }
}

TEST(CliRepair, Utf8OutputKeepsEveryCharacter) {
  const CliRun run = RunCli("repair --utf8", Sample("utf8-as-koi-U2K_U8.txt"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, ReadFile(Sample("utf8-U8.txt")));
  // Not damaged cp-1251 comes out as UTF-8 too.
  EXPECT_EQ(RunCli("repair --utf8", Sample("win-none.txt")).out, ReadFile(Sample("utf8-U8.txt")));
}

TEST(CliRepair, TargetChoosesThePageWritten) {
  struct Case {
    std::string target;
    std::string sample;
    int conversion;  // from cp-1251 to the target
  };
  const Case cases[] = {
      {"koi", "utf8-twice-U2W_U8.txt", kW2K},  // repaired
      {"dos", "w2k-K2W.txt", kW2D},            // repaired
      {"iso", "win-none.txt", kW2I},           // not damaged: the input in the target page
      {"koi", "utf8-U8.txt", kW2K},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target + " " + c.sample);
    std::string expected = ReadFile(Sample("win-none.txt"));
    ConvertHighHalf(expected.data(), expected.size(), c.conversion);
    const CliRun run = RunCli("repair --target=" + c.target, Sample(c.sample));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, expected);
  }
}

TEST(CliRepair, JsonGivesOneRecordPerFile) {
  const CliRun run = RunCli("repair --json '" + Sample("w2k-K2W.txt") + "' '" +
                            Sample("win-none.txt") + "' /no/such/file");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("\"verdict\":\"repaired\",\"steps\":\"K2W\""), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\"verdict\":\"not damaged\""), std::string::npos);
  EXPECT_NE(run.out.find("{\"file\":\"/no/such/file\",\"output\":null,\"error\":"),
            std::string::npos);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 3);
  EXPECT_NE(run.err.find("3 files: 1 repaired, 1 not damaged, 0 cannot repair, 1 failed"),
            std::string::npos)
      << run.err;
}

TEST(CliRepair, OutputDirGetsEveryFileUnderItsName) {
  const fs::path dir = Scratch("outdir");
  const CliRun run = RunCli("repair --output-dir '" + dir.string() + "' '" + Sample("w2k-K2W.txt") +
                            "' '" + Sample("english-utf8-none.txt") + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile((dir / "w2k-K2W.txt").string()), ReadFile(Sample("win-none.txt")));
  EXPECT_EQ(ReadFile((dir / "english-utf8-none.txt").string()),
            ReadFile(Sample("english-utf8-none.txt")));
  EXPECT_NE(run.err.find("2 files: 1 repaired, 1 not damaged"), std::string::npos);
  // Nothing but the results is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
  EXPECT_EQ(RunCli("repair --output-dir /no/such/dir '" + Sample("w2k-K2W.txt") + "'").status, 2);
  // The input's own folder: the result would replace the input, so nothing is written.
  const CliRun own =
      RunCli("repair --output-dir '" + dir.string() + "' '" + (dir / "w2k-K2W.txt").string() + "'");
  EXPECT_EQ(own.status, 2);
  EXPECT_NE(own.err.find("would replace the input"), std::string::npos) << own.err;
  EXPECT_EQ(ReadFile((dir / "w2k-K2W.txt").string()), ReadFile(Sample("win-none.txt")));
}

TEST(CliRepair, InPlaceRewritesOnlyRepairedFilesAndKeepsBackups) {
  for (const bool backup : {true, false}) {
    SCOPED_TRACE(backup);
    const fs::path dir = Scratch(backup ? "inplace" : "inplace_nobackup");
    const fs::path damaged = dir / "damaged.txt";
    const fs::path fine = dir / "fine.txt";
    fs::copy_file(Sample("utf8-U8.txt"), damaged);
    fs::copy_file(Sample("win-none.txt"), fine);
    fs::permissions(damaged, fs::perms::owner_read | fs::perms::owner_write);
    const std::string files = " '" + damaged.string() + "' '" + fine.string() + "'";

    const CliRun dry = RunCli("repair --in-place --dry-run" + files);
    EXPECT_EQ(dry.status, 0);
    EXPECT_EQ(ReadFile(damaged.string()), ReadFile(Sample("utf8-U8.txt")));

    const CliRun run =
        RunCli(std::string("repair --in-place") + (backup ? "" : " --no-backup") + files);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(damaged.string()), ReadFile(Sample("win-none.txt")));
    EXPECT_EQ(ReadFile(fine.string()), ReadFile(Sample("win-none.txt")));
    EXPECT_EQ(fs::status(damaged).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::exists(dir / "damaged.txt.bak"), backup);
    if (backup) {
      EXPECT_EQ(ReadFile((dir / "damaged.txt.bak").string()), ReadFile(Sample("utf8-U8.txt")));
    }
    EXPECT_FALSE(fs::exists(dir / "fine.txt.bak"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), backup ? 3 : 2);
  }
  // Through a symbolic link the file it points to is repaired; the link stays a link.
  const fs::path dir = Scratch("inplace_link");
  fs::copy_file(Sample("w2k-K2W.txt"), dir / "real.txt");
  fs::create_symlink(dir / "real.txt", dir / "link.txt");
  EXPECT_EQ(RunCli("repair --in-place --no-backup '" + (dir / "link.txt").string() + "'").status,
            0);
  EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
  EXPECT_EQ(ReadFile((dir / "real.txt").string()), ReadFile(Sample("win-none.txt")));
}

TEST(CliRepair, ALongInputStreamsThroughLikeAShortOne) {
  // Several windows' worth of damaged text: the whole of it comes back repaired.
  const fs::path dir = Scratch("long");
  const std::string damaged = ReadFile(Sample("utf8-as-dos-U2D_U8.txt"));
  const std::string original = ReadFile(Sample("win-none.txt"));
  std::string input;
  std::string expected;
  while (input.size() < (3 << 20)) input += damaged, expected += original;
  WriteFile((dir / "long.txt").string(), input);
  const CliRun run = RunCli("repair", (dir / "long.txt").string());
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.out == expected) << run.out.size() << " bytes, expected " << expected.size();
}

}  // namespace
}  // namespace cyrvert::test
