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

// export X | import X gives the input back whole: the import skips the header the export
// wrote, and a text that starts with a blank line keeps it.
TEST(CliTransport, ExportedMessagesImportBack) {
  const std::string texts[] = {SampleText(), "\r\nafter a blank line\r\n", "\r\n", "x"};
  for (const std::string& text : texts) {
    const std::string input = TempFile("cli_transport_whole.txt", text);
    for (const std::string codec : {"utf7", "utf8", "qp", "base64", "uu", "unix"}) {
      const CliRun exported = RunCli("export " + codec + " -", input);
      ASSERT_EQ(exported.status, 0) << codec << ": " << exported.err;
      const CliRun imported =
          RunCli("import " + codec, TempFile("cli_transport_message.txt", exported.out));
      ASSERT_EQ(imported.status, 0) << codec << ": " << imported.err;
      std::string want = text;
      if (codec == "unix" && want.find("\t\n") != std::string::npos) {
        want.replace(want.find("\t\n"), 2, "\t\r\n");  // the lone LF
      }
      EXPECT_TRUE(imported.out == want) << codec << ": " << testing::PrintToString(text);
    }
  }
}

// A begin line names the decoded file; control characters in it are shown escaped.
TEST(CliTransport, UuNamesFromTheInputAreEscaped) {
  const std::string input =
      TempFile("cli_transport_uu_name.txt", "begin 644 a\x1B[2Jb\\c\r\n#0V%T\r\n`\r\nend\r\n");
  const CliRun imported = RunCli("import uu '" + input + "'");
  EXPECT_EQ(imported.status, 0);
  EXPECT_EQ(imported.out, "Cat");
  EXPECT_EQ(imported.err, "a\\x1B[2Jb\\x5Cc\n");
}

TEST(CliTransport, FailuresAndUsage) {
  const std::string bad_utf8 = TempFile("cli_transport_bad.txt", "ok\xC0\x80");
  const std::string header = TempFile("cli_transport_header.txt", "Subject: x\r\n\r\nZm9v");
  const std::string empty = TempFile("cli_transport_empty.txt", "");
  const std::string cat = TempFile("cli_transport_cat.txt", "Cat");
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
      {"import qp /no/such/file", 2, "cyrvert-cli: cannot open '/no/such/file': No such file"},
      {"export qp '" + ::testing::TempDir() + "'", 2, "cyrvert-cli: cannot open"},
      // uuencode names that would not read back.
      {"export uu --name= '" + cat + "'", 2, "cyrvert-cli: the uuencode file name '' is empty"},
      {"export uu --name \"$(printf 'a\\nb')\" '" + cat + "'", 2,
       "cyrvert-cli: the uuencode file name 'a\\x0Ab'"},
      {"export uu --name \"$(printf 'a\\r')\" '" + cat + "'", 2,
       "cyrvert-cli: the uuencode file name"},
      {"export uu \"$(printf '" + ::testing::TempDir() + "tab\\tname')\"", 2,
       "cyrvert-cli: the uuencode file name 'tab\\x09name'"},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli(c.args);
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_EQ(run.err.substr(0, c.message.size()), c.message) << c.args << ": " << run.err;
    if (c.status != 3) {
      EXPECT_TRUE(run.out.empty()) << c.args;
    }
  }
}

}  // namespace
