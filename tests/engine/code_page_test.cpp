// The conversion tables against glibc's iconv and the published substitute lists.
#include "engine/code_page.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cctype>
#include <cstdint>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/unicode_codec.h"

namespace cyrvert {
namespace {

// Bytes without a counterpart in the target page and what they become instead,
// written as "bytes:substitute" groups, bytes as hex values or ranges.
struct SubstituteCase {
  int conversion;
  std::string_view groups;
};

constexpr SubstituteCase kSubstitutes[] = {
    {kD2K, "F2-F7:3F FC:4E FD:24"},
    {kK2D, "98 99 9D 9F:3F 93 9B:D9 97:7E BF:63"},
    {kD2W,
     "FB:3F B0:2E B1 B4-B9 BB-C3 C5-CC CE-DA:2B B2:2A B3 BA DD DE:7C C4:2D CD:3D "
     "DB DC DF F9 FE:95"},
    {kW2D,
     "80 81 83 86-88 8A 8C-90 99 9A 9C-9F A5 A7 AB AC B1 B4-B6 BB:3F 82 84:2C 85:2E 89:25 "
     "8B:3C 91 92:27 93 94:22 95:F9 96:2D 97 AD:C4 98:FF 9B:3E A3:4A A6:7C A9:63 AE:52 B2:49 "
     "B3:69 BC:6A BD:53 BE:73"},
    {kW2K,
     "80 81 83-8A 8C-90 99 9A 9C-9F A1 A2 A5 A7 AA-AC AF B1 B4-B6 B9-BB BF:3F 82:2C 8B:3C "
     "91 92:27 93 94:22 95:95 96 AD:2D 97:80 98:9A 9B:3E A3:4A A4:24 A6:7C AE:52 B2:49 B3:69 "
     "BC:6A BD:53 BE:73"},
    {kK2W,
     "8B-93 96 98 99 9B 9D 9F:3F 80:97 81 A1:A6 82-8A A2 A4-B2 B4-BE:2B 94 95:95 97:7E A0:3D"},
    {kD2I, "B0-B2 DB-DF F8 F9 FB FE:3F B3 BA:7C B4-B9 BB-C3 C5-DA:2B C4:2D FA:2E FD:24"},
    {kI2D, "80-9F A2 A3 A9-AC AF F2 F3 F9-FD FF:3F A5:53 A6:49 A8:4A AD:2D F5:73 F6:69 F8:6A"},
    {kK2I, "8B-99 9B-9D 9F:3F 80:2D 81 A1:7C 82-8A A2 A4-B2 B4-BE:2B 9E:2E A0:3D BF:63"},
    {kI2K,
     "80-9F A2-A4 A7 A9-AC AE AF F0 F2-F4 F7 F9-FF:3F A5:53 A6:49 A8:4A AD:2D F5:73 F6:69 "
     "F8:6A"},
    {kW2I,
     "85-89 95 99 A5 AB AC B0 B1 B4-B6 BB:3F 82:2C 84:40 8B:3C 91 92:27 93 94:22 96 97:2D "
     "98:A0 9B:3E A4:24 A6:7C A9:63 AE:72 B7:2E"},
    {kI2W, "80-9F:3F"},
};

std::map<int, int> ParseSubstitutes(std::string_view groups) {
  std::map<int, int> out;
  std::istringstream words{std::string(groups)};
  std::vector<int> pending;
  std::string word;
  while (words >> word) {
    const auto colon = word.find(':');
    const std::string item = word.substr(0, colon);
    const auto dash = item.find('-');
    const int lo = std::stoi(item.substr(0, dash), nullptr, 16);
    const int hi = dash == std::string::npos ? lo : std::stoi(item.substr(dash + 1), nullptr, 16);
    for (int b = lo; b <= hi; ++b) pending.push_back(b);
    if (colon != std::string::npos) {
      const int value = std::stoi(word.substr(colon + 1), nullptr, 16);
      for (const int b : pending) out[b] = value;
      pending.clear();
    }
  }
  return out;
}

const char* IconvName(char letter) {
  switch (letter) {
    case 'W':
      return "CP1251";
    case 'D':
      return "CP866";
    case 'K':
      return "KOI8-R";
    default:
      return "ISO-8859-5";
  }
}

// Converts one byte with iconv; empty when iconv has no mapping for it.
std::string IconvByte(const char* from, const char* to, unsigned char byte) {
  iconv_t cd = iconv_open(to, from);
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << from << " -> " << to;
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* in_ptr = in;
  char* out_ptr = out;
  std::size_t in_left = 1;
  std::size_t out_left = sizeof out;
  const std::size_t done = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1)) return {};
  return std::string(out, sizeof out - out_left);
}

// А..я, Ё and ё.
bool IsRussianLetter(std::uint32_t cp) {
  return (cp >= 0x410 && cp <= 0x44F) || cp == 0x401 || cp == 0x451;
}

TEST(ConversionTables, MatchIconvAndSubstituteLists) {
  ASSERT_EQ(std::size(kSubstitutes), static_cast<std::size_t>(kConversionCount));
  for (const SubstituteCase& c : kSubstitutes) {
    const std::string code(ConversionCode(c.conversion));
    const std::map<int, int> substitutes = ParseSubstitutes(c.groups);
    for (int b = 0x80; b <= 0xFF; ++b) {
      unsigned char byte = static_cast<unsigned char>(b);
      ConvertHighHalf(&byte, 1, c.conversion);
      const auto listed = substitutes.find(b);
      if (listed != substitutes.end()) {
        EXPECT_EQ(byte, listed->second) << code << " byte " << std::hex << b;
        continue;
      }
      const std::string want =
          IconvByte(IconvName(code[0]), IconvName(code[2]), static_cast<unsigned char>(b));
      ASSERT_EQ(want.size(), 1u) << code << " byte " << std::hex << b << " has no counterpart";
      EXPECT_EQ(byte, static_cast<unsigned char>(want[0])) << code << " byte " << std::hex << b;
    }
  }
}

TEST(ConversionTables, UnicodeReadingsMatchIconv) {
  for (int page = 0; page < kCodePageCount; ++page) {
    for (int b = 0x80; b <= 0xFF; ++b) {
      const std::string utf32 =
          IconvByte(IconvName(PageNames(page)->letter), "UTF-32LE", static_cast<unsigned char>(b));
      std::uint32_t want = 0xFFFD;
      if (utf32.size() == 4) {
        want = static_cast<std::uint32_t>(static_cast<unsigned char>(utf32[0])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(utf32[1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(utf32[2])) << 16;
      }
      EXPECT_EQ(PageCodec(page)->ToUnicode(static_cast<unsigned char>(b)), want)
          << CodePageTag(page) << " byte " << std::hex << b;
    }
  }
}

TEST(ConvertHighHalf, LeavesLowHalfAndEmptyBuffersAlone) {
  std::string low;
  for (int b = 0; b < 0x80; ++b) low.push_back(static_cast<char>(b));
  for (int k = 0; k < kConversionCount; ++k) {
    std::string copy = low;
    ConvertHighHalf(copy.data(), copy.size(), k);
    EXPECT_EQ(copy, low) << ConversionCode(k);
    ConvertHighHalf(copy.data(), 0, k);
  }
}

TEST(ConvertHighHalf, IndexOutOfRangeChangesNothing) {
  std::string text = "\xC0\xEE\x98";
  for (const int k : {-1, 12, 1000}) {
    ConvertHighHalf(text.data(), text.size(), k);
    EXPECT_EQ(text, "\xC0\xEE\x98");
  }
}

// Every conversion restores each Russian letter of its source page through its inverse.
TEST(ConvertHighHalf, InverseRestoresEveryLetter) {
  for (int k = 0; k < kConversionCount; ++k) {
    const std::string code(ConversionCode(k));
    const int source = ConversionSource(k);
    int letters = 0;
    for (int b = 0x80; b <= 0xFF; ++b) {
      const std::uint32_t cp = PageCodec(source)->ToUnicode(static_cast<unsigned char>(b));
      if (!IsRussianLetter(cp)) continue;
      ++letters;
      unsigned char byte = static_cast<unsigned char>(b);
      ConvertHighHalf(&byte, 1, k);
      ASSERT_GE(byte, 0x80) << code << " byte " << std::hex << b;
      ConvertHighHalf(&byte, 1, InverseConversion(k));
      EXPECT_EQ(byte, b) << code << " byte " << std::hex << b;
    }
    EXPECT_EQ(letters, 66) << code;
  }
}

TEST(ConvertHighHalf, RoundTripKeepsSubstitutes) {
  std::string text = "\x93\xCF\xF0\xE8\xE2\xE5\xF2\x94";  // "Привет" in typographic quotes
  ConvertHighHalf(text.data(), text.size(), kW2K);
  ConvertHighHalf(text.data(), text.size(), kK2W);
  EXPECT_EQ(text, "\"\xCF\xF0\xE8\xE2\xE5\xF2\"");
}

// Each conversion's pages are those whose characters it keeps: every Russian letter of the
// source page comes out as the same letter of the target page. Its code spells the pages.
TEST(CodePage, ConversionsKeepLettersFromSourceToTarget) {
  for (int k = 0; k < kConversionCount; ++k) {
    const int from = ConversionSource(k);
    const int to = ConversionTarget(k);
    ASSERT_NE(PageNames(from), nullptr) << k;
    ASSERT_NE(PageNames(to), nullptr) << k;
    EXPECT_NE(from, to) << k;
    for (int b = 0x80; b <= 0xFF; ++b) {
      const std::uint32_t cp = PageCodec(from)->ToUnicode(static_cast<unsigned char>(b));
      if (!IsRussianLetter(cp)) continue;
      unsigned char byte = static_cast<unsigned char>(b);
      ConvertHighHalf(&byte, 1, k);
      EXPECT_EQ(PageCodec(to)->ToUnicode(byte), cp) << k << " byte " << std::hex << b;
    }
    const std::string code(ConversionCode(k));
    EXPECT_EQ(code, std::string({PageNames(from)->letter, '2', PageNames(to)->letter}));
    EXPECT_EQ(ConversionByCode(code), k);
    EXPECT_EQ(ConversionTargetTag(k), CodePageTag(to));
  }
  for (const int k : {-1, kConversionCount}) {
    EXPECT_EQ(ConversionCode(k), "");
    EXPECT_EQ(ConversionSource(k), -1);
    EXPECT_EQ(ConversionTarget(k), -1);
    EXPECT_EQ(ConversionTargetTag(k), "");
  }
  EXPECT_EQ(ConversionByCode("W2W"), -1);
  EXPECT_EQ(ConversionByCode("k2w"), -1);
}

// Each name of a page tells it from the other pages, and the short ones start with its
// letter.
TEST(CodePage, NamesStartWithTheLetterAndDiffer) {
  std::set<std::string_view> tags, names, options, labels;
  for (int page = 0; page < kCodePageCount; ++page) {
    const CodePageNames& page_names = *PageNames(page);
    for (const std::string_view name : {page_names.tag, page_names.option, page_names.label}) {
      EXPECT_EQ(std::toupper(static_cast<unsigned char>(name[0])), page_names.letter) << name;
    }
    EXPECT_TRUE(tags.insert(page_names.tag).second) << page;
    EXPECT_TRUE(names.insert(page_names.name).second) << page;
    EXPECT_TRUE(options.insert(page_names.option).second) << page;
    EXPECT_TRUE(labels.insert(page_names.label).second) << page;
    EXPECT_EQ(CodePageByOption(page_names.option), page);
    EXPECT_EQ(CodePageTag(page), page_names.tag);
    EXPECT_EQ(CodePageName(page), page_names.name);
  }
  EXPECT_EQ(PageNames(-1), nullptr);
  EXPECT_EQ(CodePageTag(kCodePageCount), "");
  EXPECT_EQ(CodePageName(kCodePageCount), "");
  EXPECT_EQ(CodePageByOption("WIN"), -1);
}

TEST(CodePage, FrequentLettersAreTheRussianOnes) {
  for (int page = 0; page < kCodePageCount; ++page) {
    // о е а и т с н р О Е А И Т С Н Р
    constexpr std::uint32_t kWant[16] = {0x43E, 0x435, 0x430, 0x438, 0x442, 0x441, 0x43D, 0x440,
                                         0x41E, 0x415, 0x410, 0x418, 0x422, 0x421, 0x41D, 0x420};
    const auto& letters = FrequentLetters(page);
    for (std::size_t i = 0; i < 16; ++i) {
      EXPECT_EQ(PageCodec(page)->ToUnicode(letters[i]), kWant[i]) << CodePageTag(page) << " " << i;
    }
    EXPECT_EQ(MakeLetterSet(page, false).size, 8u);
    EXPECT_EQ(MakeLetterSet(page, true).size, 16u);
  }
}

}  // namespace
}  // namespace cyrvert
