// The one byte <-> Unicode codec and its three readings of a byte without a character.
#include "engine/unicode_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "engine/utf8_walk.h"

namespace cyrvert {
namespace {

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

// cp-1251 0x98 is the only byte the choice changes; each reading names what it becomes and
// what that character maps back to.
TEST(ByteCodec, UnassignedByteChoices) {
  struct Case {
    const ByteCodec& codec;
    std::uint32_t character;
    std::string_view utf8;
    int back;
  };
  const Case cases[] = {
      {*PageCodec(kWindows), 0xFFFD, "\xEF\xBF\xBD", -1},
      {kTransportCodec, 0x00A0, "\xC2\xA0", 0xA0},
      {kViewCodec, 0x0098, "\xC2\x98", 0x98},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.codec.ToUnicode(0x98), c.character);
    EXPECT_EQ(c.codec.ToUtf8("\x98"), c.utf8);
    EXPECT_EQ(c.codec.FromUnicode(c.character), c.back);
    for (int b = 0; b < 256; ++b) {
      if (b == 0x98) continue;
      EXPECT_EQ(c.codec.ToUnicode(static_cast<unsigned char>(b)),
                kViewCodec.ToUnicode(static_cast<unsigned char>(b)))
          << b;
    }
  }
}

TEST(ByteCodec, ViewReadingIsOneToOne) {
  const std::string bytes = AllBytes();
  EXPECT_EQ(kViewCodec.FromUtf8(kViewCodec.ToUtf8(bytes)), bytes);
  EXPECT_EQ(kViewCodec.Utf8Size(bytes), kViewCodec.ToUtf8(bytes).size());
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(kViewCodec.FromUnicode(kViewCodec.ToUnicode(static_cast<unsigned char>(b))), b);
  }
}

TEST(ByteCodec, PagesReadTheirOwnLetters) {
  struct Case {
    int page;
    std::string_view bytes, utf8;
  };
  const Case cases[] = {
      {kWindows, "A\xC0\xB9", "A\xD0\x90\xE2\x84\x96"},  // A, А, №
      {kDos, "\x80\xF0", "\xD0\x90\xD0\x81"},            // А, Ё
      {kKoi8r, "\xE1\xB3", "\xD0\x90\xD0\x81"},          // А, Ё
      {kIso, "\xB0\xA1", "\xD0\x90\xD0\x81"},            // А, Ё
  };
  for (const Case& c : cases) {
    const ByteCodec& codec = *PageCodec(c.page);
    EXPECT_EQ(codec.ToUtf8(c.bytes), c.utf8) << c.page;
    std::string appended = "x";
    codec.AppendUtf8(c.bytes, appended);
    EXPECT_EQ(appended, "x" + std::string(c.utf8)) << c.page;
    EXPECT_EQ(codec.FromUtf8(c.utf8), c.bytes) << c.page;
  }
  EXPECT_EQ(PageCodec(-1), nullptr);
  EXPECT_EQ(PageCodec(4), nullptr);
}

TEST(ByteCodec, LenientDecodeTurnsWhatHasNoByteIntoQuestionMarks) {
  struct Case {
    std::string_view utf8, want;
  };
  const Case cases[] = {
      {"A\xD0\x96z", "A\xC6z"},  // Ж
      {"\xE2\x84\x96", "\xB9"},  // №, three-byte form
      {"\xC2\x98", "\x98"},      // the unassigned byte's stand-in
      {std::string_view("\0", 1), std::string_view("\0", 1)},
      {"\xE4\xB8\xAD", "?"},         // CJK: no byte
      {"\xC2\x80", "?"},             // U+0080: 0x80 shows as U+0402
      {"\xF0\x9F\x98\x80", "?"},     // beyond the BMP
      {"\xC3", "?"},                 // cut at the end
      {"\xE2\x84", "?"},             // cut at the end: one for the whole part
      {"\xF0\x9F\x98", "?"},         // cut four-byte form
      {"\xE2\x84z", "?z"},           // cut inside the text
      {"\xC0\xAF", "??"},            // overlong: its lead byte is never valid
      {"\xE0\x80\x80", "???"},       // overlong: the second byte is out of range
      {"\xED\xA0\x80", "???"},       // encoded surrogate, likewise
      {"\xF4\x90\x80\x80", "????"},  // beyond U+10FFFF, likewise
      {"\x80x", "?x"},               // stray continuation
      {"\x80\x80\x80\x80", "????"},  // more bytes out than lead bytes in
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kViewCodec.FromUtf8(c.utf8), c.want) << testing::PrintToString(c.utf8);
  }
}

// The walker's answer for a whole text and for the same text fed in two slices, the first
// not final; U+FFFD written as '#', other characters by their low byte.
std::string Walk(std::string_view utf8, std::size_t cut) {
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  std::string out;
  const auto emit = [&out](std::uint32_t cp) {
    out += cp == kReplacementCharacter ? '#' : static_cast<char>(cp & 0xFF);
  };
  const std::size_t used = WalkUtf8(p, p + cut, false, emit);
  EXPECT_LE(used, cut);
  EXPECT_EQ(WalkUtf8(p + used, p + utf8.size(), true, emit), utf8.size() - used);
  return out;
}

TEST(WalkUtf8, SlicesGiveWhatTheWholeTextGives) {
  const std::string_view cases[] = {
      "a\xD0\x96z", "\xE2\x84\x96", "\xF0\x9F\x98\x80", "\xE2\x84",
      "\xE2\x84z",  "\xE0\x80\x80", "\x80\xC3",         "\xD0",
  };
  for (const std::string_view utf8 : cases) {
    const std::string whole = Walk(utf8, 0);
    for (std::size_t cut = 1; cut <= utf8.size(); ++cut) {
      EXPECT_EQ(Walk(utf8, cut), whole) << testing::PrintToString(utf8) << " cut at " << cut;
    }
  }
  // Not final: a sequence cut by the end of the slice waits; final: it reads as one U+FFFD.
  const auto* p = reinterpret_cast<const unsigned char*>("x\xE2\x84");
  int count = 0;
  EXPECT_EQ(WalkUtf8(p, p + 3, false, [&](std::uint32_t) { ++count; }), 1u);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(Walk("x\xE2\x84", 0), "x#");
}

}  // namespace
}  // namespace cyrvert
