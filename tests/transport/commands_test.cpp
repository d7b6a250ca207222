// MIME wrapping, line ends, and the import and export entry points.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "transport/line_ends.h"
#include "transport/mime.h"
#include "transport/transport_commands.h"

namespace cyrvert {
namespace {

constexpr std::string_view kHeader8Bit =
    "Content-Type: text/plain\r\nContent-Transfer-Encoding: 8bit\r\n\r\n";

TEST(Mime, WrapThenUnwrapGivesTheBody) {
  const std::string message = WrapMime("body\r\n\r\nmore", TransferEncoding::kBase64);
  EXPECT_EQ(message,
            "Content-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n\r\n"
            "body\r\n\r\nmore");
  const DecodeResult body = UnwrapMime(message);
  ASSERT_TRUE(body.ok());
  EXPECT_EQ(body.bytes, "body\r\n\r\nmore");
}

TEST(Mime, HeaderBlockEnds) {
  struct Case {
    std::string_view message;
    std::size_t offset;
  };
  const Case cases[] = {
      {"\r\nbody", 2},
      {"\nbody", 1},
      {"\rbody", 1},
      {"A: b\n\nbody", 6},
      {"A: b\r\n\r\n", 8},
      {"A: b\r\n", std::string_view::npos},
      {"no break", std::string_view::npos},
      {"", std::string_view::npos},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MimeBodyOffset(c.message), c.offset) << testing::PrintToString(c.message);
  }
  EXPECT_EQ(UnwrapMime("A: b").error, DecodeError::kNoHeaderEnd);
}

TEST(LineEnds, CrLfToLf) {
  struct Case {
    std::string_view in, want;
  };
  const Case cases[] = {
      {"a\r\nb", "a\nb"}, {"a\r\n", "a\n"}, {"\r\r\n", "\r\n"}, {"x", "x"},
      {"\r", "\r"},       {"\n\r", "\n\r"}, {"", ""},           {"\r\n\r\n", "\n\n"},
  };
  for (const Case& c : cases) {
    std::string text(c.in);
    ConvertCrLfToLf(text);
    EXPECT_EQ(text, c.want) << testing::PrintToString(c.in);
  }
}

TEST(LineEnds, LfToCrLf) {
  struct Case {
    std::string_view in, want;
  };
  const Case cases[] = {
      {"a\nb\r\nc", "a\r\nb\r\nc"}, {"\n", "\r\n"},   {"no break", "no break"},     {"\r", "\r"},
      {"\n\n", "\r\n\r\n"},         {"\r\n", "\r\n"}, {"x\r\r\n\n", "x\r\r\n\r\n"},
  };
  for (const Case& c : cases) {
    std::string text(c.in);
    ConvertLfToCrLf(text);
    EXPECT_EQ(text, c.want) << testing::PrintToString(c.in);
  }
}

// The whole text is the encoded body unless a line break at the very start ends an empty
// header block; header lines reach the decoder.
TEST(ImportCommands, TakeTheWholeTextAsTheBody) {
  struct Case {
    TransportFormat format;
    std::string_view text, want;
    bool ok;
  };
  const Case cases[] = {
      {TransportFormat::kBase64, "z/Do4uXy", "\xCF\xF0\xE8\xE2\xE5\xF2", true},
      {TransportFormat::kBase64, "\r\nz/Do4uXy", "\xCF\xF0\xE8\xE2\xE5\xF2", true},
      {TransportFormat::kBase64, "\nz/Do4uXy", "\xCF\xF0\xE8\xE2\xE5\xF2", true},
      {TransportFormat::kBase64, "Content-Transfer-Encoding: base64\r\n\r\nz/Do", "", false},
      {TransportFormat::kQuotedPrintable, "=CF=F0", "\xCF\xF0", true},
      {TransportFormat::kQuotedPrintable, "\r\n=CF=F0", "\xCF\xF0", true},
      {TransportFormat::kQuotedPrintable, "\r\n\r\n=CF", "\r\n\xCF", true},
      {TransportFormat::kUtf8, "\r\n\xD0\x9F", "\r\n\xCF", true},
      {TransportFormat::kUtf7, "\r\n+BB8-", "\r\n\xCF", true},
      {TransportFormat::kUnix, "a\nb", "a\r\nb", true},
  };
  for (const Case& c : cases) {
    const ImportResult got = ImportText(c.format, c.text);
    EXPECT_EQ(got.result.ok(), c.ok) << testing::PrintToString(c.text);
    EXPECT_EQ(got.result.bytes, c.want) << testing::PrintToString(c.text);
  }
}

TEST(ImportCommands, ErrorPositionsPointIntoTheWholeText) {
  EXPECT_EQ(ImportText(TransportFormat::kBase64, "\r\nZm9v!").result.position, 6u);
  EXPECT_EQ(ImportText(TransportFormat::kQuotedPrintable, "\n=ZZ").result.position, 1u);
}

TEST(ImportCommands, UudecodeGivesTheFileName) {
  const ImportResult got = ImportText(TransportFormat::kUu,
                                      ExportText(TransportFormat::kUu, "\xCF\xF0\xE8", "Cyrvert1"));
  ASSERT_TRUE(got.result.ok());
  EXPECT_EQ(got.result.bytes, "\xCF\xF0\xE8");
  EXPECT_EQ(got.file_name, "Cyrvert1");
}

TEST(ExportCommands, WrapAsTheirEncoding) {
  struct Case {
    TransportFormat format;
    std::string_view encoding, body;
  };
  const Case cases[] = {
      {TransportFormat::kUtf7, "7bit", "+BB8EQAQ4BDIENQRC-"},
      {TransportFormat::kUtf8, "8bit", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
      {TransportFormat::kQuotedPrintable, "quoted-printable", "=CF=F0=E8=E2=E5=F2"},
      {TransportFormat::kBase64, "base64", "z/Do4uXy\r\n"},
  };
  for (const Case& c : cases) {
    const std::string want =
        "Content-Type: text/plain\r\nContent-Transfer-Encoding: " + std::string(c.encoding) +
        "\r\n\r\n" + std::string(c.body);
    EXPECT_EQ(ExportText(c.format, "\xCF\xF0\xE8\xE2\xE5\xF2"), want);
  }
  EXPECT_EQ(ExportText(TransportFormat::kUu, "Cat", "Cyrvert1"),
            std::string(kHeader8Bit) + "begin 644 Cyrvert1\r\n#0V%T\r\n`\r\nend\r\n");
  EXPECT_EQ(ExportText(TransportFormat::kUnix, "a\r\nb"), "a\nb");
}

// Export then import of the body gives the text back, for each encoding.
TEST(ExportCommands, BodiesImportBack) {
  std::mt19937 rng(32796);
  std::string text(3000, '\0');
  for (char& c : text) {
    do {
      c = static_cast<char>(rng() % 256);
    } while (static_cast<unsigned char>(c) == 0x98);  // exported as U+00A0, back as 0xA0
  }
  for (const TransportFormat format :
       {TransportFormat::kUtf7, TransportFormat::kUtf8, TransportFormat::kQuotedPrintable,
        TransportFormat::kBase64}) {
    const std::string message = ExportText(format, text);
    const DecodeResult body = UnwrapMime(message);
    ASSERT_TRUE(body.ok());
    const ImportResult back = ImportText(format, body.bytes);
    ASSERT_TRUE(back.result.ok()) << DecodeErrorName(back.result.error);
    EXPECT_TRUE(back.result.bytes == text);
  }
  const ImportResult uu =
      ImportText(TransportFormat::kUu, ExportText(TransportFormat::kUu, text, "t"));
  EXPECT_TRUE(uu.result.bytes == text);
  EXPECT_EQ(ImportText(TransportFormat::kUnix, ExportText(TransportFormat::kUnix, "a\r\nb\nc\r"))
                .result.bytes,
            "a\r\nb\r\nc\r");
}

}  // namespace
}  // namespace cyrvert
