#include "docview/byte_mapping.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace cyrvert {
namespace {

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
