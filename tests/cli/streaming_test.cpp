// cyrvert-cli streams: bounded memory whatever the input size, inputs of unknown size, and
// failed writes reported as such.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/cli/cli_runner.h"

namespace {

using cyrvert::test::ReadFile;

const std::string kCli = std::string("'") + CYRVERT_CLI + "'";

struct ShellRun {
  int status = -1;
  std::string err;
};

// Runs `script` with bash; standard error of the script goes to `err`.
ShellRun RunBash(const std::string& script) {
  const std::string err = ::testing::TempDir() + "cli_stream_err_" + std::to_string(::getpid());
  const std::string script_file = err + ".sh";
  cyrvert::test::WriteFile(script_file, script);
  const int raw = std::system(("bash '" + script_file + "' 2>'" + err + "'").c_str());
  ShellRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  run.err = ReadFile(err);
  return run;
}

// Cyrillic text with every character the coders treat apart, from a generator.
const std::string kGenerator =
    "yes $'\\xcf\\xf0\\xe8\\xe2\\xe5\\xf2, 2000 a+b=c \\t\\r' | head -c ";

// Each sub-command under an address-space cap far below its input: a command that held the
// text would fail. The round trips also check that the text comes back.
TEST(CliStreaming, MemoryStaysBoundedWhateverTheInputSize) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "sanitizers reserve more address space than the cap allows";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
  GTEST_SKIP() << "sanitizers reserve more address space than the cap allows";
#endif
#endif
  // 40 MB of address space, the program and its libraries included.
  const std::string cap = "ulimit -v 40000\n";
  constexpr const char* kSmall = "67108864";  // 64 MiB
  std::string script = cap;
  for (const std::string codec : {"utf7", "utf8", "qp", "base64", "uu", "unix"}) {
    script += kGenerator + kSmall + " | md5sum >&2\n";
    script += kGenerator + kSmall + " | " + kCli + " export " + codec + " | " + kCli + " import " +
              codec + " 2>/dev/null | md5sum >&2\n";
  }
  for (const std::string command :
       {"translate W2K", "set8bit", "decode", "decode --utf8", "decode --list"}) {
    script += kGenerator + kSmall + " | " + kCli + " " + command +
              " 2>/dev/null | head -c 1 >/dev/null; s=(\"${PIPESTATUS[@]}\"); [ ${s[2]} = 0 ] || "
              "[ ${s[2]} = 5 ] || exit 1\n";
  }
  // Decoding needs the start of the text up to enough Cyrillic letters; a long Latin
  // start is kept in a file, not in memory, and comes out unchanged.
  script += "{ head -c 67108864 /dev/zero | tr '\\0' a; " + kGenerator + "1048576; } | " + kCli +
            " decode 2>/dev/null | tail -c +67108863 | head -c 4 | od -An -c >&2\n";
  // One whole GiB through the fastest pair.
  script += kGenerator + "1073741824 | " + kCli + " export base64 | " + kCli +
            " import base64 | wc -c >&2\n";
  const ShellRun run = RunBash(script);
  ASSERT_EQ(run.status, 0) << run.err;
  // Two digests per round trip, equal in pairs, then the size of the GiB.
  std::string digests = run.err;
  for (int k = 0; k < 6; ++k) {
    const std::size_t first = digests.find('\n');
    ASSERT_NE(first, std::string::npos) << run.err;
    const std::size_t second = digests.find('\n', first + 1);
    ASSERT_NE(second, std::string::npos) << run.err;
    EXPECT_EQ(digests.substr(0, 32), digests.substr(first + 1, 32)) << k;
    digests.erase(0, second + 1);
  }
  EXPECT_EQ(digests, "   a   a 317 360\n1073741824\n");
}

// Special files report no size; they are read to their end all the same.
TEST(CliStreaming, ReadsFilesOfUnknownSize) {
  const std::string out = ::testing::TempDir() + "cli_stream_proc.txt";
  const ShellRun run = RunBash(kCli + " import unix /proc/self/status >'" + out + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string status = ReadFile(out);
  EXPECT_NE(status.find("Name:\tcyrvert-cli\r\n"), std::string::npos) << status;
  EXPECT_NE(status.find("VmPeak"), std::string::npos) << status;
}

// Output does not wait for the end of the input: the first line of a slow writer comes
// through while the writer still sleeps (with seconds to spare).
TEST(CliStreaming, OutputKeepsUpWithASlowInput) {
  for (const std::string command : {"export unix", "translate W2K"}) {
    const ShellRun run =
        RunBash("{ printf 'first\\r\\n'; sleep 4; printf 'second\\r\\n'; } | " + kCli + " " +
                command + " | { IFS= read -r -t 3 line && echo early >&2; cat >/dev/null; }");
    EXPECT_EQ(run.status, 0) << command;
    EXPECT_EQ(run.err, "early\n") << command;
  }
}

// A write that fails stops the command at once with status 5 and the system's reason.
TEST(CliStreaming, FailedWritesAreReported) {
  struct Case {
    std::string command, sink, reason;
  };
  const std::string input = kGenerator + "8388608 | ";
  const Case cases[] = {
      {"export base64", "> /dev/full", "No space left on device"},
      {"import unix", "> /dev/full", "No space left on device"},
      {"decode --target koi", "> /dev/full", "No space left on device"},
      {"export qp", "| head -c 1 >/dev/null", "Broken pipe"},
      {"set8bit", "| head -c 1 >/dev/null", "Broken pipe"},
  };
  for (const Case& c : cases) {
    const ShellRun run =
        RunBash(input + kCli + " " + c.command + " " + c.sink + "; exit ${PIPESTATUS[2]}");
    EXPECT_EQ(run.status, 5) << c.command << ": " << run.err;
    EXPECT_EQ(run.err, "cyrvert-cli: cannot write to standard output: " + c.reason + "\n")
        << c.command;
  }
}

}  // namespace
