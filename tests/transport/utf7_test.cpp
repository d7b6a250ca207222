// The UTF-7 coder.
#include "transport/utf7.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

#include "transport/unicode_map.h"

namespace cyrvert {
namespace {

TEST(Utf7, EncodesAndDecodesEachPair) {
  struct Case {
    std::string_view bytes, utf7;
  };
  const Case cases[] = {
      {"Hi Mom", "Hi Mom"},
      {"a+b", "a+-b"},
      {"\xC0", "+BB-"},
      {"\xE0\xE1", "+BDAEMQ-"},
      {"\xCF\xF0\xE8\xE2\xE5\xF2", "+BB8EQAQ4BDIENQRC-"},
      {"2000", "+ADIAMAAwAD-"},
      {"\r\n", "+AA0A-\n"},
      {"\xDF-", "+BC8A--"},
      {"+", "+-"},
      {"a\tb", "a+AAkA-b"},
      {std::string_view("\0", 1), "+AAAA-"},  // a zero last unit keeps its last sextet
      {std::string_view("ab\0\0", 4), "ab+AAAAAA-"},
      {"\xC0+", "+BBAAKw-"},  // '+' inside a run is an ordinary unit
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BytesToUtf7(c.bytes), c.utf7) << testing::PrintToString(c.bytes);
    const DecodeResult back = Utf7ToBytes(c.utf7);
    ASSERT_TRUE(back.ok()) << c.utf7;
    EXPECT_EQ(back.bytes, c.bytes) << c.utf7;
  }
}

TEST(Utf7, DecodesOtherForms) {
  struct Case {
    std::string_view utf7, bytes;
  };
  const Case cases[] = {
      {"+-", "+"},
      {"+ADIAMAAwADA-", "2000"},  // ordinary zero padding yields nothing
      {"+BD", "\xE0"},            // End delivers the 12 leftover bits
      {"+BDA", "\xE0"},           // the unit is complete after three characters
      {"x+", "x"},                // a trailing lone '+'
      {"A+ImIDkQ.", "A??"},       // '.' is skipped inside the run
      {"+BDA\xFF-", "\xE0"},      // so is a high byte
      {"+BDA-\r\n", "\xE0\r\n"},
      {"Subject: x\r\n", "Subject: x\r\n"},
  };
  for (const Case& c : cases) {
    const DecodeResult got = Utf7ToBytes(c.utf7);
    ASSERT_TRUE(got.ok()) << c.utf7;
    EXPECT_EQ(got.bytes, c.bytes) << c.utf7;
  }
}

TEST(Utf7, HighByteOutsideARunFails) {
  for (const std::string_view text :
       {std::string_view("\x80"), std::string_view("ab\xE0"), std::string_view("+BDA-\xC0")}) {
    const DecodeResult got = Utf7ToBytes(text);
    EXPECT_EQ(got.error, DecodeError::kUtf7ByteOutsideRun);
    EXPECT_EQ(got.position, text.size() - 1);
    EXPECT_TRUE(got.bytes.empty());
  }
}

TEST(Utf7, StepReportsEachUnit) {
  Utf7Decoder decoder;
  decoder.Begin();
  const std::string_view text = "+-+BB-";
  std::size_t pos = 0;
  std::uint16_t unit = 0;
  bool delivered = false;
  ASSERT_EQ(decoder.Step(text, pos, unit, delivered), 0);  // "+-" in one step
  EXPECT_EQ(pos, 2u);
  EXPECT_TRUE(delivered);
  EXPECT_EQ(unit, '+');
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(decoder.Step(text, pos, unit, delivered), 0);
    EXPECT_FALSE(delivered);
  }
  ASSERT_EQ(decoder.Step(text, pos, unit, delivered), 0);  // '-' flushes the 12 bits
  EXPECT_TRUE(delivered);
  EXPECT_EQ(unit, 0x0410);
  decoder.End(unit, delivered);
  EXPECT_FALSE(delivered);
}

// Every byte but 0x98 (exported as U+00A0, imported as 0xA0) survives a round trip.
TEST(Utf7, RoundTripsRandomText) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    std::string bytes(rng() % 200, '\0');
    for (char& c : bytes) {
      do {
        c = static_cast<char>(rng() % 256);
      } while (static_cast<unsigned char>(c) == 0x98);
    }
    const std::string utf7 = BytesToUtf7(bytes);
    for (const char c : utf7) ASSERT_LT(static_cast<unsigned char>(c), 0x80);
    // The whole-text coder is the unit-at-a-time one, padding included.
    Utf7Encoder encoder;
    encoder.Begin();
    std::string by_units;
    for (const char c : bytes) encoder.Put(ByteToUnicode(static_cast<unsigned char>(c)), by_units);
    encoder.End(by_units);
    ASSERT_EQ(by_units, utf7);
    const DecodeResult back = Utf7ToBytes(utf7);
    ASSERT_TRUE(back.ok());
    ASSERT_EQ(back.bytes, bytes) << utf7;
  }
  EXPECT_EQ(Utf7ToBytes(BytesToUtf7("\x98")).bytes, "\xA0");
}

}  // namespace
}  // namespace cyrvert
