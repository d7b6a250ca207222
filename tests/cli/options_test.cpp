// The argument rules every sub-command shares, run through the program.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/cli/cli_runner.h"

namespace {

using cyrvert::test::CliRun;
using cyrvert::test::RunCli;

TEST(CliOptions, OneParserForEverySubCommand) {
  const std::string file = ::testing::TempDir() + "cli_options_in.txt";
  cyrvert::test::WriteFile(file, "Cat");
  struct Case {
    std::string args;
    int status;
    std::string_view err;  // the whole of standard error, or its start when ending in '*'
    std::string_view out;  // the start of standard output
    std::string input = "/dev/null";
  };
  const Case cases[] = {
      {"export uu --name=x '" + file + "'", 0, "", "Content-Type"},
      {"export uu --name x '" + file + "'", 0, "", "Content-Type"},
      {"export uu -- '" + file + "'", 0, "", "Content-Type"},
      {"export unix -", 0, "", "Cat", file},
      {"export unix", 0, "", "Cat", file},
      {"export unix ''", 2,
       "cyrvert-cli: an empty argument names no file; use - for standard input\n", ""},
      {"export qp --wrap", 2, "cyrvert-cli: export takes no option '--wrap'\n", ""},
      {"import uu --name x", 2, "cyrvert-cli: import takes no option '--name'\n", ""},
      {"translate W2K -x", 2, "cyrvert-cli: translate takes no option '-x'\n", ""},
      {"decode --list=1", 2, "cyrvert-cli: --list takes no value\n", ""},
      {"decode --depth", 2, "cyrvert-cli: --depth needs a value\n", ""},
      {"decode --depth=9", 2, "cyrvert-cli: --depth must be 0 (automatic) to 5\n", ""},
      {"decode --target=utf", 2, "cyrvert-cli: --target must be win, dos, koi or iso\n", ""},
      {"import", 2,
       "cyrvert-cli: too few arguments; usage: cyrvert-cli import utf7|utf8|qp|base64|uu|unix "
       "[FILE]\n",
       ""},
      {"set8bit a b", 2, "cyrvert-cli: too many arguments; usage: cyrvert-cli set8bit [FILE]\n",
       ""},
      {"translate X2Y", 2,
       "cyrvert-cli: unknown conversion 'X2Y'; use one of D2K K2D D2W W2D W2K K2W D2I I2D K2I "
       "I2K W2I I2W\n",
       ""},
      {"frobnicate", 2, "cyrvert-cli: unknown command 'frobnicate'; see cyrvert-cli --help\n", ""},
      {"", 2, "cyrvert-cli: no command given; see cyrvert-cli --help\n", ""},
      {"help", 2, "cyrvert-cli: unknown command 'help'; see cyrvert-cli --help\n", ""},
      {"--help", 0, "", "Usage:"},
      {"import qp --help", 0, "", "Usage:"},
      {"set8bit -- --help", 2, "cyrvert-cli: cannot open '--help'*", ""},
      {"--version", 0, "", "cyrvert-cli 1."},
      // --help as an option's value is that value, not a request for the usage.
      {"export uu --name --help", 0, "", "Content-Type", file},
      {"export qp --name x", 2, "cyrvert-cli: --name goes with export uu\n", ""},
      {"decode --best 3", 2, "cyrvert-cli: --best goes with --list\n", ""},
      {"set8bit \"$(printf 'a\\033[2Jb')\"", 2, "cyrvert-cli: cannot open 'a\\x1B[2Jb'*", ""},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli(c.args, c.input);
    EXPECT_EQ(run.status, c.status) << c.args << ": " << run.err;
    if (!c.err.empty() && c.err.back() == '*') {
      const std::string_view start = c.err.substr(0, c.err.size() - 1);
      EXPECT_EQ(run.err.substr(0, start.size()), start) << c.args;
    } else {
      EXPECT_EQ(run.err, c.err) << c.args;
    }
    EXPECT_EQ(run.out.substr(0, c.out.size()), c.out) << c.args;
  }
}

// Messages shown by the editor in a box come out one sentence per line at most.
TEST(CliOptions, MessagesDoNotBreakSentences) {
  const std::string file = ::testing::TempDir() + "cli_options_ascii.txt";
  cyrvert::test::WriteFile(file, "plain ASCII text");
  const CliRun run = RunCli("decode '" + file + "'");
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(run.err, "Слишком мало символов из второй части таблицы (меньше 10)!\n");
}

}  // namespace
