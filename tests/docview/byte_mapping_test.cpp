#include "docview/byte_mapping.h"

#include <gtest/gtest.h>

#include <QStringDecoder>
#include <string>
#include <string_view>

namespace cyrvert {
namespace {

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

TEST(ByteMapping, EveryByteSurvivesTheRoundTrip) {
  const std::string bytes = AllBytes();
  EXPECT_EQ(Utf8ToBytes(BytesToUtf8(bytes)), bytes);
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<std::uint8_t>(b);
    EXPECT_EQ(CodePointToByte(ByteToCodePoint(byte)), b) << b;
  }
}

TEST(ByteMapping, HighHalfAgreesWithAnIndependentWindows1251Decoder) {
  QStringDecoder decoder("windows-1251");
  if (!decoder.isValid()) GTEST_SKIP() << "no windows-1251 decoder in this Qt build";
  for (int b = 0x80; b < 0x100; ++b) {
    if (b == 0x98) continue;  // unassigned there; shown as U+0098 here
    const char byte = static_cast<char>(b);
    const QString decoded = decoder.decode(QByteArrayView(&byte, 1));
    ASSERT_EQ(decoded.size(), 1) << b;
    EXPECT_EQ(char32_t{decoded[0].unicode()}, ByteToCodePoint(static_cast<std::uint8_t>(b)))
        << std::hex << b;
  }
  EXPECT_EQ(ByteToCodePoint(0x98), U'\u0098');
  EXPECT_EQ(ByteToCodePoint(0x00), U'\0');
}

TEST(ByteMapping, Utf8WithoutBytesBecomesQuestionMarks) {
  struct Case {
    std::string_view utf8, want;
  };
  const Case cases[] = {
      {"A\xD0\x96z", "A\xC6z"},  // Ж
      {"\xE2\x84\x96", "\xB9"},  // №, three-byte form
      {"\xC2\x98", "\x98"},      // the unassigned byte's stand-in
      {std::string_view("\0", 1), std::string_view("\0", 1)},
      {"\xE4\xB8\xAD", "?"},      // CJK: no byte
      {"\xC2\x80", "?"},          // U+0080: 0x80 shows as U+0402
      {"\xF0\x9F\x98\x80", "?"},  // beyond the BMP
      {"\xC3", "?"},              // truncated
      {"\xC0\xAF", "??"},         // overlong
      {"\xED\xA0\x80", "???"},    // encoded surrogate
      {"\x80x", "?x"},            // stray continuation
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToBytes(c.utf8), c.want) << c.utf8;
  }
}

TEST(ByteMapping, QStringCharactersWithoutBytes) {
  struct Case {
    QString text;
    std::string_view bytes;
    QString shown;
  };
  const Case cases[] = {
      {QStringLiteral("Ёж"), "\xA8\xE6", QStringLiteral("Ёж")},
      {QStringLiteral("a中b"), "a?b", QStringLiteral("a?b")},
      {QString::fromUtf8("\xF0\x9F\x98\x80"), "?", QStringLiteral("?")},  // one character
      {QString(QChar(0xD800)), "?", QStringLiteral("?")},                 // lone surrogate
      {QStringLiteral("\r\n\t"), "\r\n\t", QStringLiteral("\r\n\t")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QStringToBytes(c.text), c.bytes) << c.text.toStdString();
    EXPECT_EQ(MapToByteCharacters(c.text), c.shown) << c.text.toStdString();
  }
}

}  // namespace
}  // namespace cyrvert
