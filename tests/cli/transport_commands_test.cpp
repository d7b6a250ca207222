// cyrvert-cli import and export, run as a program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "resources/strings.h"
#include "tests/cli/cli_runner.h"
#include "transport/mime.h"

namespace {

using cyrvert::test::CliRun;
using cyrvert::test::RunCli;
using cyrvert::test::WriteFile;

std::string TempFile(const std::string& name, std::string_view bytes) {
  const std::string path = ::testing::TempDir() + name;
  WriteFile(path, bytes);
  return path;
}

// Every byte value but 0x98, with CR LF line ends: what every encoding carries exactly.
std::string SampleText() {
  std::string text = "\xCF\xF0\xE8\xE2\xE5\xF2, 2000 a+b=c\r\n";
  for (int i = 0; i < 256; ++i) {
    if (i != 0x98) text += static_cast<char>(i);
  }
  return text + "\r\n";
}

// Export, take the body, import it: the text comes back, for each encoding.
TEST(CliTransport, ExportThenImportTheBody) {
  const std::string text = SampleText();
  const std::string input = TempFile("cli_transport_in.txt", text);
  for (const std::string codec : {"utf7", "utf8", "qp", "base64", "uu", "unix"}) {
    const CliRun exported = RunCli("export " + codec + " '" + input + "'");
    ASSERT_EQ(exported.status, 0) << codec << ": " << exported.err;
    std::string body = exported.out;
    if (codec != "unix") {
      const cyrvert::DecodeResult unwrapped = cyrvert::UnwrapMime(exported.out);
      ASSERT_TRUE(unwrapped.ok()) << codec;
      body = unwrapped.bytes;
    }
    const std::string encoded = TempFile("cli_transport_encoded.txt", body);
    const CliRun imported = RunCli("import " + codec, encoded);  // from standard input
    ASSERT_EQ(imported.status, 0) << codec << ": " << imported.err;
    std::string want = text;
    if (codec == "unix") want.replace(want.find("\t\n"), 2, "\t\r\n");  // the lone LF
    EXPECT_TRUE(imported.out == want) << codec;
  }
}

TEST(CliTransport, UuNamesTheFile) {
  const std::string input = TempFile("letter.txt", "Cat");
  struct Case {
    std::string args, input, name;
  };
  const Case cases[] = {
      {"export uu '" + input + "'", "/dev/null", "letter.txt"},
      {"export uu --name 'my file.bin' '" + input + "'", "/dev/null", "my file.bin"},
      {"export uu", input, "Cyrvert1"},
      {"export uu --name=x -", input, "x"},
  };
  for (const Case& c : cases) {
    const CliRun exported = RunCli(c.args, c.input);
    ASSERT_EQ(exported.status, 0) << c.args << ": " << exported.err;
    EXPECT_NE(exported.out.find("\r\nbegin 644 " + c.name + "\r\n#0V%T\r\n"), std::string::npos)
        << exported.out;
    // The whole exported window imports: lines before the begin line are skipped.
    const CliRun imported = RunCli("import uu", TempFile("cli_transport_uu.txt", exported.out));
    EXPECT_EQ(imported.status, 0);
    EXPECT_EQ(imported.out, "Cat");
    EXPECT_EQ(imported.err, c.name + "\n");
  }
}

TEST(CliTransport, FailuresAndUsage) {
  const std::string bad_utf8 = TempFile("cli_transport_bad.txt", "ok\xC0\x80");
  const std::string header = TempFile("cli_transport_header.txt", "Subject: x\r\n\r\nZm9v");
  const std::string empty = TempFile("cli_transport_empty.txt", "");
  struct Case {
    std::string args;
    int status;
    std::string_view message;  // the start of standard error
  };
  const Case cases[] = {
      {"import utf8 '" + bad_utf8 + "'", 3, cyrvert::strings::kUtf8DecodeError},
      {"import base64 '" + header + "'", 3, cyrvert::strings::kBase64DecodeError},
      {"import qp '" + TempFile("cli_transport_qp.txt", "a=ZZ") + "'", 3,
       cyrvert::strings::kQpDecodeError},
      {"import uu '" + header + "'", 3, cyrvert::strings::kUuDecodeError},
      {"import utf7 '" + bad_utf8 + "'", 3, cyrvert::strings::kUtf7DecodeError},
      {"export base64 '" + empty + "'", 4, cyrvert::strings::kNoText},
      {"import unix", 4, cyrvert::strings::kNoText},
      {"import utf16 '" + header + "'", 2, "cyrvert-cli: unknown encoding"},
      {"import", 2, "cyrvert-cli: import needs an encoding"},
      {"export qp --wrap '" + header + "'", 2, "cyrvert-cli: unknown option"},
      {"import uu --name x '" + header + "'", 2, "cyrvert-cli: unknown option"},
      {"export uu --name", 2, "cyrvert-cli: --name needs a value"},
      {"export qp a b", 2, "cyrvert-cli: export takes one FILE"},
      {"import qp /no/such/file", 2, "cyrvert-cli: cannot open"},
      {"export qp '" + ::testing::TempDir() + "'", 2, "cyrvert-cli: cannot open"},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli(c.args);
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_EQ(run.err.substr(0, c.message.size()), c.message) << c.args << ": " << run.err;
    EXPECT_TRUE(run.out.empty()) << c.args;
  }
}

// A text too large for the memory left ends the command with the editor's message, not an
// abort: the address space is capped well below what each command needs for 16 MB.
TEST(CliTransport, TooLittleMemoryIsReported) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's shadow memory does not fit under the cap";
#else
  const std::string input = TempFile("cli_transport_large.txt", std::string(16'000'000, 'a'));
  const std::string err = ::testing::TempDir() + "cli_transport_memory_err.txt";
  for (const std::string command : {"import utf8", "import unix", "export base64", "export qp"}) {
    const std::string line = "ulimit -v 30000; exec '" + std::string(CYRVERT_CLI) + "' " + command +
                             " '" + input + "' >/dev/null 2>'" + err + "'";
    const int raw = std::system(line.c_str());
    ASSERT_TRUE(WIFEXITED(raw)) << command << ": ended by a signal";
    EXPECT_EQ(WEXITSTATUS(raw), 2) << command;
    const std::string message = cyrvert::test::ReadFile(err);
    EXPECT_EQ(message.substr(0, cyrvert::strings::kNotEnoughMemory.size()),
              cyrvert::strings::kNotEnoughMemory)
        << command << ": " << message;
  }
#endif
}

}  // namespace
