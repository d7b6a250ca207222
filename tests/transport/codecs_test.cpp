// base64, quoted-printable and uuencode.
#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>
#include <string_view>

#include "transport/base64.h"
#include "transport/quoted_printable.h"
#include "transport/uucode.h"

namespace cyrvert {
namespace {

std::string RandomBytes(std::mt19937& rng, std::size_t size) {
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(rng() % 256);
  return bytes;
}

// Every line of `text` ends with CR LF and holds at most `limit` characters.
void ExpectCrLfLines(std::string_view text, std::size_t limit) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string_view::npos) << "unterminated last line";
    EXPECT_LE(end - start, limit);
    EXPECT_EQ(text.substr(start, end - start).find_first_of("\r\n"), std::string_view::npos);
    start = end + 2;
  }
}

TEST(Base64, KnownValues) {
  struct Case {
    std::string_view bytes, text;
  };
  const Case cases[] = {
      {"", ""},
      {"f", "Zg==\r\n"},
      {"fo", "Zm8=\r\n"},
      {"foo", "Zm9v\r\n"},
      {"foobar", "Zm9vYmFy\r\n"},
      {"\xCF\xF0\xE8\xE2\xE5\xF2", "z/Do4uXy\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeBase64(c.bytes), c.text);
    const DecodeResult back = DecodeBase64(c.text);
    ASSERT_TRUE(back.ok()) << c.text;
    EXPECT_EQ(back.bytes, c.bytes);
  }
}

TEST(Base64, DecoderTolerance) {
  struct Case {
    std::string_view text, bytes;
  };
  const Case cases[] = {
      {" Zm9v\tYmFy \r\n\r\n", "foobar"},
      {"Zm\r\n9v", "foo"},
      {"Zg", "f"},  // missing padding
      {"Zm8", "fo"},
      {"Zh==", "f"},          // unused low bits
      {"Zg=\r\n=\r\n", "f"},  // padding split by a line break
      {"\r\n", ""},
  };
  for (const Case& c : cases) {
    const DecodeResult got = DecodeBase64(c.text);
    ASSERT_TRUE(got.ok()) << testing::PrintToString(c.text);
    EXPECT_EQ(got.bytes, c.bytes) << testing::PrintToString(c.text);
  }
}

TEST(Base64, DecoderErrors) {
  struct Case {
    std::string_view text;
    DecodeError error;
    std::size_t position;
  };
  const Case cases[] = {
      {"Zm9v!", DecodeError::kBase64BadCharacter, 4},
      {"Zm9v-_", DecodeError::kBase64BadCharacter, 4},
      {"Content-Type: text/plain\r\n", DecodeError::kBase64BadCharacter, 7},
      {"Zm9\xC3", DecodeError::kBase64BadCharacter, 3},
      {"Z", DecodeError::kBase64BadPadding, 1},  // a lone last character
      {"Zm9vY", DecodeError::kBase64BadPadding, 5},
      {"=", DecodeError::kBase64BadPadding, 0},
      {"Z===", DecodeError::kBase64BadPadding, 1},
      {"Zg=", DecodeError::kBase64BadPadding, 2},
      {"Zm8==", DecodeError::kBase64BadPadding, 4},
      {"Zg==Zg==", DecodeError::kBase64BadPadding, 4},
      {"Zg==!", DecodeError::kBase64BadCharacter, 4},
  };
  for (const Case& c : cases) {
    const DecodeResult got = DecodeBase64(c.text);
    EXPECT_EQ(got.error, c.error) << testing::PrintToString(c.text);
    EXPECT_EQ(got.position, c.position) << testing::PrintToString(c.text);
    EXPECT_TRUE(got.bytes.empty());
  }
}

TEST(Base64, RoundTripsWith76CharacterLines) {
  std::mt19937 rng(64);
  for (const std::size_t size :
       std::initializer_list<std::size_t>{1, 2, 3, 56, 57, 58, 114, 1000, 4096}) {
    const std::string bytes = RandomBytes(rng, size);
    const std::string text = EncodeBase64(bytes);
    ExpectCrLfLines(text, 76);
    // Full lines are exactly 76 characters (57 bytes); only the last may be shorter.
    const std::size_t full_lines = (size - 1) / 57;
    for (std::size_t line = 0; line < full_lines; ++line) {
      ASSERT_EQ(text.substr(line * 78 + 76, 2), "\r\n") << size << " line " << line;
    }
    const std::size_t last = text.size() - full_lines * 78 - 2;
    EXPECT_EQ(last, (size - full_lines * 57 + 2) / 3 * 4) << size;
    const DecodeResult back = DecodeBase64(text);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.bytes, bytes) << size;
  }
}

TEST(QuotedPrintable, Encoding) {
  struct Case {
    std::string_view bytes, text;
  };
  const Case cases[] = {
      {"plain text", "plain text"},
      {"a=b", "a=3Db"},
      {"\xCF\xF0\xE8", "=CF=F0=E8"},
      {"line \r\nnext\t", "line=20\r\nnext=09"},  // blanks ending a line are encoded
      {"a \tb", "a \tb"},
      {"lone\rcr\nlf", "lone=0Dcr=0Alf"},
      {std::string_view("\0\x7F", 2), "=00=7F"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeQuotedPrintable(c.bytes), c.text) << testing::PrintToString(c.bytes);
  }
}

TEST(QuotedPrintable, SoftBreaksKeepLinesShort) {
  const std::string long_line(200, 'x');
  const std::string text = EncodeQuotedPrintable(long_line);
  EXPECT_EQ(text.substr(0, 77), std::string(75, 'x') + "=\r");
  ExpectCrLfLines(text + "\r\n", 76);
  const std::string encoded = EncodeQuotedPrintable(std::string(100, '\xE0'));
  ExpectCrLfLines(encoded + "\r\n", 76);
  EXPECT_EQ(encoded.find("=\r\n"), 75u);  // =XX is never split
}

TEST(QuotedPrintable, Decoding) {
  struct Case {
    std::string_view text, bytes;
  };
  const Case cases[] = {
      {"=CF=f0=e8", "\xCF\xF0\xE8"},
      {"soft=\r\nbreak", "softbreak"},
      {"soft=\nbreak", "softbreak"},
      {"soft=  \r\nbreak", "softbreak"},
      {"end=", "end"},
      {"trailing  \r\nblanks\t", "trailing\r\nblanks"},
      {"in between", "in between"},
      {"raw \xE0 byte", "raw \xE0 byte"},
      {"keep\nlf", "keep\nlf"},
  };
  for (const Case& c : cases) {
    const DecodeResult got = DecodeQuotedPrintable(c.text);
    ASSERT_TRUE(got.ok()) << testing::PrintToString(c.text);
    EXPECT_EQ(got.bytes, c.bytes) << testing::PrintToString(c.text);
  }
}

TEST(QuotedPrintable, BadEscapes) {
  struct Case {
    std::string_view text;
    std::size_t position;
  };
  const Case cases[] = {{"a=G0", 1}, {"a=4", 1}, {"=4\r\n", 0}, {"x= y", 1}, {"==41", 0}};
  for (const Case& c : cases) {
    const DecodeResult got = DecodeQuotedPrintable(c.text);
    EXPECT_EQ(got.error, DecodeError::kQpBadEscape) << c.text;
    EXPECT_EQ(got.position, c.position) << c.text;
  }
}

TEST(QuotedPrintable, RoundTripsAnyBytes) {
  std::mt19937 rng(1521);
  for (int round = 0; round < 200; ++round) {
    std::string bytes = RandomBytes(rng, rng() % 300);
    // Favour the awkward neighbours: blanks, CR LF and '='.
    for (char& c : bytes) {
      const auto pick = static_cast<unsigned>(rng() % 8);
      if (pick == 0) c = ' ';
      if (pick == 1) c = '\r';
      if (pick == 2) c = '\n';
      if (pick == 3) c = '=';
    }
    const std::string text = EncodeQuotedPrintable(bytes);
    const DecodeResult back = DecodeQuotedPrintable(text);
    ASSERT_TRUE(back.ok());
    ASSERT_EQ(back.bytes, bytes) << text;
    ExpectCrLfLines(text + "\r\n", 76);
  }
}

TEST(Uuencode, Encoding) {
  EXPECT_EQ(EncodeUu("", "empty.txt", 0644), "begin 644 empty.txt\r\n`\r\nend\r\n");
  EXPECT_EQ(EncodeUu("Cat", "c", 0644), "begin 644 c\r\n#0V%T\r\n`\r\nend\r\n");
  EXPECT_EQ(EncodeUu(std::string_view("\0", 1), "z", 0755), "begin 755 z\r\n!````\r\n`\r\nend\r\n");
  const std::string text = EncodeUu(std::string(100, 'x'), "x", 0644);
  EXPECT_NE(text.find("\r\nM"), std::string::npos);  // 45-byte lines
  ExpectCrLfLines(text, 61);
}

TEST(Uuencode, DecodesWithNameAndMode) {
  const UuDecodeResult got = DecodeUu(
      "Content-Type: text/plain\r\n\r\nsome words\nbegin the day\nbegin 600 my file.txt\n"
      "#0V%T\n \nend\ntrailing\n");
  ASSERT_TRUE(got.result.ok()) << DecodeErrorName(got.result.error);
  EXPECT_EQ(got.result.bytes, "Cat");
  EXPECT_EQ(got.file_name, "my file.txt");
  EXPECT_EQ(got.mode, 0600u);
}

TEST(Uuencode, DecoderTolerance) {
  struct Case {
    std::string_view text, bytes;
  };
  const Case cases[] = {
      {"begin 644 a\r\n#0V%T\r\nend\r\n", "Cat"},  // no zero-length line
      {"begin 644 a\n#0V%TXYZ\n`\nend", "Cat"},    // extra characters ignored
      {"begin 644 a\n\"0V%\n`\nend\n", "Ca"},      // last group cut to what it needs
      {"begin 644 a\n!    \n \nend  \n", std::string_view("\0", 1)},  // space for zero
  };
  for (const Case& c : cases) {
    const UuDecodeResult got = DecodeUu(c.text);
    ASSERT_TRUE(got.result.ok()) << c.text << DecodeErrorName(got.result.error);
    EXPECT_EQ(got.result.bytes, c.bytes) << c.text;
  }
}

TEST(Uuencode, DecoderErrors) {
  struct Case {
    std::string_view text;
    DecodeError error;
    std::size_t position;
  };
  const Case cases[] = {
      {"", DecodeError::kUuNoBegin, 0},
      {"begin\nbegin 644\nbegin x a\n", DecodeError::kUuNoBegin, 26},
      // No file name: not a begin line, so the data after it has none either.
      {"begin 644\n#0V%T\n`\nend\n", DecodeError::kUuNoBegin, 22},
      {"begin 644 \r\n#0V%T\r\n`\r\nend\r\n", DecodeError::kUuNoBegin, 27},
      {"begin 644 a\n#0V%T\n", DecodeError::kUuNoEnd, 18},
      {"begin 644 a\n#0V\n`\nend\n", DecodeError::kUuBadLine, 12},
      {"begin 644 a\n#0V\x7F"
       "T\n`\nend\n",
       DecodeError::kUuBadLine, 15},
      {"begin 644 a\n\n`\nend\n", DecodeError::kUuBadLine, 12},
      {"begin 644 a\n`\n#0V%T\nend\n", DecodeError::kUuBadLine, 14},
  };
  for (const Case& c : cases) {
    const UuDecodeResult got = DecodeUu(c.text);
    EXPECT_EQ(got.result.error, c.error) << testing::PrintToString(c.text);
    EXPECT_EQ(got.result.position, c.position) << testing::PrintToString(c.text);
  }
}

TEST(Uuencode, RoundTripsAnyBytes) {
  std::mt19937 rng(644);
  for (const std::size_t size : std::initializer_list<std::size_t>{1, 2, 3, 44, 45, 46, 90, 1000}) {
    const std::string bytes = RandomBytes(rng, size);
    const UuDecodeResult back = DecodeUu(EncodeUu(bytes, "data.bin", 0644));
    ASSERT_TRUE(back.result.ok());
    EXPECT_EQ(back.result.bytes, bytes);
    EXPECT_EQ(back.file_name, "data.bin");
    EXPECT_EQ(back.mode, 0644u);
  }
}

}  // namespace
}  // namespace cyrvert
