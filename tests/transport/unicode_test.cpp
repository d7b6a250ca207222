// The byte/Unicode mapping and the UTF-8 coder.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "transport/unicode_map.h"
#include "transport/utf8.h"

namespace cyrvert {
namespace {

// The table against glibc's own cp-1251 converter; 0x98, undefined there, is U+00A0.
TEST(UnicodeMap, HighHalfMatchesIconv) {
  iconv_t cd = iconv_open("UTF-32LE", "CP1251");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
    if (byte == 0x98) continue;
    char in = static_cast<char>(byte);
    std::uint32_t value = 0;
    char* in_ptr = &in;
    auto* out_ptr = reinterpret_cast<char*>(&value);
    std::size_t in_left = 1, out_left = sizeof value;
    ASSERT_NE(iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left), static_cast<std::size_t>(-1))
        << std::hex << byte;
    EXPECT_EQ(ByteToUnicode(byte), value) << std::hex << byte;
  }
  iconv_close(cd);
  EXPECT_EQ(ByteToUnicode(0x98), 0x00A0u);
}

TEST(UnicodeMap, EveryByteComesBackExceptTheUndefinedOne) {
  for (unsigned byte = 0; byte <= 0xFF; ++byte) {
    const unsigned want = byte == 0x98 ? 0xA0 : byte;
    EXPECT_EQ(UnicodeToByte(ByteToUnicode(byte)), want) << std::hex << byte;
  }
  EXPECT_EQ(ByteToUnicode(0x1C0), 0x0410u);  // only the low 8 bits count
}

TEST(UnicodeMap, ValuesWithoutAByteGiveQuestionMark) {
  for (const std::uint32_t value :
       {0x80u, 0x9Fu, 0xA1u, 0x4E2Du, 0x2123u, 0xFFFFu, 0x10000u, 0x4000000u, 0xFFFFFFFFu}) {
    EXPECT_EQ(UnicodeToByte(value), '?') << std::hex << value;
  }
}

TEST(Utf8, DecodeOne) {
  struct Case {
    std::string_view in;
    int code;
    std::uint32_t value;
    std::size_t length;
  };
  const Case cases[] = {
      {"A", 0, 'A', 1},
      {std::string_view("\0", 1), 0, 0, 1},
      {"\xD0\x9F", 0, 0x041F, 2},
      {"\xE2\x84\xA2", 0, 0x2122, 3},
      {"\xF0\x9F\x98\x80", 0, 0x1F600, 4},
      {"\xED\xA0\x80", 0, 0xD800, 3},  // surrogates are accepted
      {"\xFC\x84\x80\x80\x80\x80", 0, 0x4000000, 6},
      {"\xFD\xBF\xBF\xBF\xBF\xBF", 0, 0x7FFFFFFF, 6},
      {"\x80", -1, 0, 0},
      {"\xBF\x80", -1, 0, 0},
      {"\xFE\x80", -1, 0, 0},
      {"\xFF", -1, 0, 0},
      {"\xD0"
       "A",
       -2, 0, 0},
      {"\xD0", -2, 0, 0},
      {"\xE2\x84", -2, 0, 0},
      {"\xE2\x84\xC0", -2, 0, 0},
      {"\xC0\x80", -3, 0, 0},
      {"\xC1\xBF", -3, 0, 0},
      {"\xE0\x80\x80", -3, 0, 0},
      {"\xE0\x9F\xBF", -3, 0, 0},
      {"\xF8\x87\xBF\xBF\xBF", -3, 0, 0},
  };
  for (const Case& c : cases) {
    std::size_t pos = 0;
    std::uint32_t value = 12345;
    EXPECT_EQ(Utf8DecodeOne(c.in, pos, value), c.code) << testing::PrintToString(c.in);
    EXPECT_EQ(value, c.value) << testing::PrintToString(c.in);
    EXPECT_EQ(pos, c.length) << testing::PrintToString(c.in);
  }
}

TEST(Utf8, EncodeOneAndBackAtEveryLengthBoundary) {
  const std::uint32_t values[] = {0,       0x7F,     0x80,     0x7FF,     0x800,     0xFFFF,
                                  0x10000, 0x1FFFFF, 0x200000, 0x3FFFFFF, 0x4000000, 0x7FFFFFFF};
  std::size_t want_length = 1;
  for (const std::uint32_t value : values) {
    std::string out;
    Utf8EncodeOne(value, out);
    if (value == 0x80 || value == 0x800 || value == 0x10000 || value == 0x200000 ||
        value == 0x4000000) {
      ++want_length;
    }
    EXPECT_EQ(out.size(), want_length) << std::hex << value;
    std::size_t pos = 0;
    std::uint32_t back = 0;
    EXPECT_EQ(Utf8DecodeOne(out, pos, back), 0);
    EXPECT_EQ(back, value);
    EXPECT_EQ(pos, out.size());
  }
  std::string high;
  Utf8EncodeOne(0x80000041, high);  // the top bit is dropped
  EXPECT_EQ(high, "A");
}

TEST(Utf8, ImportAndExport) {
  struct Case {
    std::string_view bytes, utf8;
  };
  const Case cases[] = {
      {"plain ASCII text\r\n", "plain ASCII text\r\n"},
      {"\xCF\xF0\xE8\xE2\xE5\xF2", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
      {"\xA0\xB9\x99\x88", "\xC2\xA0\xE2\x84\x96\xE2\x84\xA2\xE2\x82\xAC"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kTransportCodec.ToUtf8(c.bytes), c.utf8);
    const DecodeResult back = DecodeUtf8(c.utf8);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.bytes, c.bytes);
  }
}

// The no-break space exported from 0x98 comes back as 0xA0, valid cp-1251.
TEST(Utf8, NoBreakSpaceImportsAsA0) {
  EXPECT_EQ(kTransportCodec.ToUtf8("\x98"), "\xC2\xA0");
  EXPECT_EQ(DecodeUtf8("\xC2\xA0").bytes, "\xA0");
}

TEST(Utf8, ImportOfUnmappedValuesAndErrors) {
  struct Case {
    std::string_view in, want;
    DecodeError error;
    std::size_t position;
  };
  const Case cases[] = {
      {"\xE4\xB8\xAD|\xF0\x9F\x98\x80", "?|?", DecodeError::kNone, 0},
      {"\xEF\xBB\xBFok", "?ok", DecodeError::kNone, 0},
      {"\xFC\x84\x80\x80\x80\x80", "?", DecodeError::kNone, 0},
      {"abcdefghij\x80", "", DecodeError::kUtf8BadLead, 10},
      {"\xD0\x9F\xD0", "", DecodeError::kUtf8BadContinuation, 2},
      {"x\xE0\x80\x80", "", DecodeError::kUtf8Overlong, 1},
  };
  for (const Case& c : cases) {
    const DecodeResult got = DecodeUtf8(c.in);
    EXPECT_EQ(got.error, c.error) << testing::PrintToString(c.in);
    EXPECT_EQ(got.position, c.position) << testing::PrintToString(c.in);
    EXPECT_EQ(got.bytes, c.want) << testing::PrintToString(c.in);
  }
}

}  // namespace
}  // namespace cyrvert
