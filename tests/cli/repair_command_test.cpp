// End-to-end runs of cyrvert-cli repair: one input streamed, and many files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "engine/code_page.h"

namespace cyrvert::test {
namespace {

namespace fs = std::filesystem;

// `path` quoted for the shell.
std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

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
      {"repair --in-place", "/dev/null", 2, "", "need FILE names"},
      {"repair --output-dir /tmp", "/dev/null", 2, "", "need FILE names"},
      {"repair --utf8 --target koi", "/dev/null", 2, "", "--target and --utf8 exclude"},
      {"repair --output-dir /no/such/dir --dry-run a b", "/dev/null", 2, "",
       "cannot write to '/no/such/dir': No such file or directory"},
      {"repair --output-dir /dev/null a", "/dev/null", 2, "", "Not a directory"},
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
  const fs::path dir = Scratch("repair_outdir");
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
    const fs::path dir = Scratch(backup ? "repair_inplace" : "repair_inplace_nobackup");
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
  const fs::path dir = Scratch("repair_inplace_link");
  fs::copy_file(Sample("w2k-K2W.txt"), dir / "real.txt");
  fs::create_symlink(dir / "real.txt", dir / "link.txt");
  EXPECT_EQ(RunCli("repair --in-place --no-backup '" + (dir / "link.txt").string() + "'").status,
            0);
  EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
  EXPECT_EQ(ReadFile((dir / "real.txt").string()), ReadFile(Sample("win-none.txt")));
}

TEST(CliRepair, ALongInputStreamsThroughLikeAShortOne) {
  // Several windows' worth of damaged text: the whole of it comes back repaired.
  const fs::path dir = Scratch("repair_long");
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

TEST(CliRepair, BackupsHoldTheOriginalAndAreNeverReplaced) {
  const std::string original = ReadFile(Sample("utf8-U8.txt"));
  // A second run over a repaired file, whatever page it writes, keeps the first backup.
  for (const std::string option : {"--utf8", "--target koi", "--target dos", ""}) {
    SCOPED_TRACE(option);
    const fs::path dir = Scratch("repair_second_run");
    const fs::path file = dir / "a.txt";
    fs::copy_file(Sample("utf8-U8.txt"), file);
    ASSERT_EQ(RunCli("repair --in-place " + option + " " + Quote(file)).status, 0);
    const std::string first = ReadFile(file.string());
    RunCli("repair --in-place " + option + " " + Quote(file));
    EXPECT_EQ(ReadFile((dir / "a.txt.bak").string()), original);
    if (fs::exists(dir / "a.txt.bak.1")) {
      EXPECT_EQ(ReadFile((dir / "a.txt.bak.1").string()), first);
    }
  }
  // An existing FILE.bak, given as an input too, is kept whole; the new backup gets a number.
  const fs::path dir = Scratch("repair_bak_input");
  fs::copy_file(Sample("utf8-U8.txt"), dir / "a.txt");
  WriteFile((dir / "a.txt.bak").string(), "an older backup\n");
  const CliRun run =
      RunCli("repair --in-place " + Quote(dir / "a.txt") + " " + Quote(dir / "a.txt.bak"));
  EXPECT_EQ(ReadFile((dir / "a.txt.bak").string()), "an older backup\n");
  EXPECT_EQ(ReadFile((dir / "a.txt.bak.1").string()), original);
  EXPECT_NE(run.err.find("original kept as"), std::string::npos) << run.err;
  // Through a symbolic link the file it names is backed up beside itself, as a file.
  const fs::path linked = Scratch("repair_bak_link");
  fs::copy_file(Sample("utf8-U8.txt"), linked / "real.txt");
  fs::create_symlink("real.txt", linked / "link.txt");
  EXPECT_EQ(RunCli("repair --in-place " + Quote(linked / "link.txt")).status, 0);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(linked / "link.txt")));
  EXPECT_FALSE(fs::is_symlink(fs::symlink_status(linked / "real.txt.bak")));
  EXPECT_EQ(ReadFile((linked / "real.txt.bak").string()), original);
  EXPECT_EQ(Names(linked), (std::vector<std::string>{"link.txt", "real.txt", "real.txt.bak"}));
}

TEST(CliRepair, TargetsAreCheckedByFileIdentityBeforeAnythingIsWritten) {
  const fs::path dir = Scratch("repair_identity");
  fs::create_directories(dir / "sub");
  fs::create_directories(dir / "other");
  fs::create_directories(dir / "out");
  const std::string damaged = ReadFile(Sample("utf8-U8.txt"));
  WriteFile((dir / "a.txt").string(), damaged);
  fs::copy_file(Sample("w2k-K2W.txt"), dir / "sub" / "a.txt");
  fs::copy_file(Sample("w2k-K2W.txt"), dir / "other" / "a.txt");
  fs::create_hard_link(dir / "a.txt", dir / "hard.txt");
  struct Case {
    std::string args;
    std::string err_holds;
  };
  const Case cases[] = {
      // The second input's result would land on the first input.
      {"--output-dir " + Quote(dir) + " " + Quote(dir / "a.txt") + " " + Quote(dir / "sub/a.txt"),
       "the result would replace the input"},
      // The folder named another way is still the input's folder.
      {"--output-dir " + Quote(dir / "sub/..") + " " + Quote(dir / "a.txt"),
       "the result would replace the input"},
      // Two inputs of one name: the second is refused.
      {"--output-dir " + Quote(dir / "out") + " " + Quote(dir / "sub/a.txt") + " " +
           Quote(dir / "other/a.txt"),
       "the result would replace that of"},
      // One file under two names.
      {"--in-place " + Quote(dir / "a.txt") + " " + Quote(dir / "hard.txt"), "is the same file as"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const CliRun run = RunCli("repair " + c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(c.err_holds), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile((dir / "sub/a.txt").string()), ReadFile(Sample("w2k-K2W.txt")));
    EXPECT_EQ(ReadFile((dir / "other/a.txt").string()), ReadFile(Sample("w2k-K2W.txt")));
  }
  EXPECT_EQ(ReadFile((dir / "out/a.txt").string()), ReadFile(Sample("win-none.txt")));
  EXPECT_EQ(ReadFile((dir / "a.txt").string()), ReadFile(Sample("win-none.txt")))
      << "repaired once, through its first name";
  EXPECT_FALSE(fs::exists(dir / "hard.txt.bak"));
}

TEST(CliRepair, OnlyRegularFilesAreRewrittenAndNeverWithQuestionMarks) {
  const fs::path dir = Scratch("repair_special");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  fs::create_symlink("/proc/self/fd/0", dir / "stdin-link");
  // UTF-8 with characters no Cyrillic page holds.
  const std::string wide = ReadFile(Sample("utf8-U8.txt")) + "≈ ✓ 😀 日本語\n";
  WriteFile((dir / "wide.txt").string(), wide);
  struct Case {
    fs::path file;
    std::string options;
    std::string err_holds;
  };
  const Case cases[] = {
      {dir / "fifo", "", "a FIFO (only regular files are rewritten)"},
      {dir / "stdin-link", "", "only regular files are rewritten"},
      {dir / "wide.txt", "", "would write \"?\" over 6 characters that cp-1251 lacks"},
      {dir / "wide.txt", "--no-backup --target koi", "KOI8-R lacks"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.string() + " " + c.options);
    const CliRun run = RunCli("repair --in-place " + c.options + " " + Quote(c.file));
    if (run.status != 0) {
      EXPECT_EQ(run.status, 2);
      EXPECT_NE(run.err.find(c.err_holds), std::string::npos) << run.err;
    }
  }
  EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "stdin-link")));
  EXPECT_EQ(ReadFile((dir / "wide.txt").string()), wide);
  EXPECT_EQ(Names(dir), (std::vector<std::string>{"fifo", "stdin-link", "wide.txt"}));
}

TEST(CliRepair, NamesOfAnyAllowedLengthAreRepaired) {
  const fs::path dir = Scratch("repair_long_names");
  struct Case {
    std::size_t length;
    bool backup;
    int status;
  };
  // FILE.bak of a 252-byte name would be longer than a name may be.
  for (const Case& c :
       {Case{248, true, 0}, Case{251, true, 0}, Case{255, false, 0}, Case{252, true, 2}}) {
    SCOPED_TRACE(c.length);
    const fs::path file = dir / std::string(c.length, 'n');
    fs::copy_file(Sample("w2k-K2W.txt"), file);
    const CliRun run =
        RunCli(std::string("repair --in-place ") + (c.backup ? "" : "--no-backup ") + Quote(file));
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(ReadFile(file.string()),
              ReadFile(Sample(c.status == 0 ? "win-none.txt" : "w2k-K2W.txt")));
    if (c.status != 0) {
      EXPECT_NE(run.err.find("use --no-backup"), std::string::npos) << run.err;
    }
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
}

TEST(CliRepair, FileSystemErrorsAreReportedPerFileAndTheBatchGoesOn) {
  const fs::path dir = Scratch("repair_fs_errors");
  fs::create_directories(dir / "out");
  fs::copy_file(Sample("w2k-K2W.txt"), dir / "loop.txt");
  fs::copy_file(Sample("w2k-K2W.txt"), dir / "good.txt");
  fs::create_symlink("loop.txt", dir / "out" / "loop.txt");  // a link to itself
  std::string deep = dir.string();
  while (deep.size() <= PATH_MAX) deep += "/.";
  deep += "/good.txt";
  const CliRun run =
      RunCli("repair --output-dir " + Quote(dir / "out") + " " + Quote(dir / "loop.txt") + " " +
             Quote(deep) + " " + Quote(dir / "good.txt"));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("Too many levels of symbolic links"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("File name too long"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("3 files: 1 repaired, 0 not damaged, 0 cannot repair, 2 failed"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(ReadFile((dir / "out/good.txt").string()), ReadFile(Sample("win-none.txt")));
  if (::geteuid() != 0) {
    // A folder that cannot be searched.
    fs::permissions(dir / "out", fs::perms::owner_read | fs::perms::owner_write,
                    fs::perm_options::replace);
    const CliRun closed = RunCli("repair --output-dir " + Quote(dir / "out") + " " +
                                 Quote(dir / "good.txt") + " " + Quote(dir / "loop.txt"));
    fs::permissions(dir / "out", fs::perms::owner_all, fs::perm_options::replace);
    EXPECT_EQ(closed.status, 2);
    EXPECT_NE(closed.err.find("2 files:"), std::string::npos) << closed.err;
  }
}

TEST(CliRepair, OwnerModeAndAttributesAreKept) {
  const fs::path dir = Scratch("repair_attributes");
  const fs::path file = dir / "a.txt";
  fs::copy_file(Sample("w2k-K2W.txt"), file);
  const bool root = ::geteuid() == 0;
  // As root, a file of another user, set-ID bits and all, stays theirs.
  const mode_t mode = root ? 06640 : 0640;
  if (root) {
    ASSERT_EQ(::chown(file.c_str(), 4242, 4243), 0);
  }
  ASSERT_EQ(::chmod(file.c_str(), mode), 0);
  const bool xattrs = ::setxattr(file.c_str(), "user.origin", "mail", 4, 0) == 0;
  const CliRun run = RunCli("repair --in-place --no-backup " + Quote(file));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("could not keep"), std::string::npos) << run.err;
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, mode);
  if (root) {
    EXPECT_EQ(st.st_uid, 4242u);
    EXPECT_EQ(st.st_gid, 4243u);
  }
  if (xattrs) {
    char value[8] = {};
    EXPECT_EQ(::getxattr(file.c_str(), "user.origin", value, sizeof value), 4);
  }
  EXPECT_EQ(ReadFile(file.string()), ReadFile(Sample("win-none.txt")));
  // Results in --output-dir take the input's permission bits, without set-ID bits.
  for (const mode_t input_mode : {mode_t{0640}, mode_t{0755}, mode_t{04755}}) {
    fs::copy_file(Sample("w2k-K2W.txt"), dir / "in.txt", fs::copy_options::overwrite_existing);
    ASSERT_EQ(::chmod((dir / "in.txt").c_str(), input_mode), 0);
    fs::create_directories(dir / "out");
    ASSERT_EQ(
        RunCli("repair --output-dir " + Quote(dir / "out") + " " + Quote(dir / "in.txt")).status,
        0);
    ASSERT_EQ(::stat((dir / "out/in.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, input_mode & 0777) << std::oct << input_mode;
    fs::remove_all(dir / "out");
  }
}

TEST(CliRepair, NamesThatAreNotUtf8AreEscapedInJsonAndOnTheTerminal) {
  const fs::path dir = Scratch("repair_names");
  const std::string latin1 = "caf\xE9.txt";
  const std::string escape = "e\x1B[2J.txt";
  fs::copy_file(Sample("w2k-K2W.txt"), dir / latin1);
  fs::copy_file(Sample("w2k-K2W.txt"), dir / escape);
  const CliRun run = RunCli("repair --json " + Quote(dir / latin1) + " " + Quote(dir / escape));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("caf\\udce9.txt\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("e\\u001b[2J.txt\""), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find('\xE9'), std::string::npos);
  EXPECT_EQ(run.out.find('\x1B'), std::string::npos);
  const CliRun text = RunCli("repair --dry-run " + Quote(dir / latin1) + " " + Quote(dir / escape));
  EXPECT_NE(text.err.find("e\\x1B[2J.txt: repaired"), std::string::npos) << text.err;
  EXPECT_EQ(text.err.find('\x1B'), std::string::npos);
  // A missing file alone still gets its record.
  const CliRun missing = RunCli("repair --json /no/such/file");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out,
            "{\"file\":\"/no/such/file\",\"output\":null,\"error\":\"cannot open: No such file or "
            "directory\"}\n");
}

TEST(CliRepair, TheProgressBarFitsANarrowTerminal) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs script(1)";
  const fs::path dir = Scratch("repair_progress");
  std::string files;
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    fs::copy_file(Sample("w2k-K2W.txt"), dir / name);
    files += " " + Quote(dir / name);
  }
  for (const std::size_t columns : {std::size_t{6}, std::size_t{12}, std::size_t{80}}) {
    SCOPED_TRACE(columns);
    // On a terminal of that width; each drawing of the bar must fit on one line.
    const std::string command = "script -qec \"stty cols " + std::to_string(columns) + "; '" +
                                CYRVERT_CLI + "' repair --dry-run" + files + "\" /dev/null > " +
                                Quote(dir / "typescript");
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string screen = ReadFile((dir / "typescript").string());
    std::size_t bars = 0;
    for (std::size_t at = 0; at < screen.size();) {
      std::size_t end = screen.find_first_of("\r\n", at);
      if (end == std::string::npos) end = screen.size();
      std::string piece = screen.substr(at, end - at);
      if (piece.rfind("\x1B[K", 0) == 0) piece.erase(0, 3);
      if (piece.find("/3") != std::string::npos && piece.find(':') == std::string::npos) {
        ++bars;
        EXPECT_LT(piece.size(), columns) << piece;
      }
      at = end + 1;
    }
    EXPECT_EQ(bars > 0, columns > 4) << screen;
  }
}

TEST(CliRepair, AMixedBatchExitsWithItsWorstStatus) {
  const fs::path dir = Scratch("repair_mixed");
  WriteFile((dir / "empty.txt").string(), "");
  struct Case {
    std::vector<std::string> files;
    int status;
    std::string summary;
  };
  const std::string cannot = Sample("short-utf8-cannot.txt");
  const std::string empty = (dir / "empty.txt").string();
  const Case cases[] = {
      {{"/no/such/file", cannot},
       2,
       "2 files: 0 repaired, 0 not damaged, 1 cannot repair, 1 failed"},
      {{cannot, empty}, 3, "2 files: 0 repaired, 0 not damaged, 1 cannot repair, 1 empty"},
      {{empty, empty}, 4, "2 files:"},
      {{empty, Sample("win-none.txt")}, 0, "2 files: 0 repaired, 1 not damaged"},
      {{Sample("w2k-K2W.txt")}, 0, "1 file: 1 repaired"},
  };
  for (const Case& c : cases) {
    std::string args = "repair --in-place --dry-run";
    for (const std::string& file : c.files) args += " " + Quote(file);
    SCOPED_TRACE(args);
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.summary), std::string::npos) << run.err;
    // One prefix, one name: "FILE: cannot open: reason".
    if (c.status == 2) {
      EXPECT_NE(run.err.find("/no/such/file: cannot open: No such file or directory\n"),
                std::string::npos)
          << run.err;
      EXPECT_EQ(run.err.find("cyrvert-cli"), std::string::npos) << run.err;
    }
  }
}

}  // namespace
}  // namespace cyrvert::test
