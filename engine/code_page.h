// The four Cyrillic code pages, the twelve conversions between them and the
// letter sets by which the search recognises a code page.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cyrvert {

// Code pages, numbered as the Target setting stores them.
enum CodePage : int { kWindows = 0, kDos = 1, kKoi8r = 2, kIso = 3 };
inline constexpr int kCodePageCount = 4;

// Conversion indices; the inverse of k is k ^ 1.
enum Conversion : int {
  kD2K = 0,
  kK2D = 1,
  kD2W = 2,
  kW2D = 3,
  kW2K = 4,
  kK2W = 5,
  kD2I = 6,
  kI2D = 7,
  kK2I = 8,
  kI2K = 9,
  kW2I = 10,
  kI2W = 11,
};
inline constexpr int kConversionCount = 12;

// Replaces, in place, every byte >= 0x80 by its entry in the conversion's table.
// An index outside 0..11 changes nothing. Allocates nothing.
void ConvertHighHalf(unsigned char* bytes, std::size_t length, int conversion);
// Same, for text held in a char buffer.
void ConvertHighHalf(char* bytes, std::size_t length, int conversion);

// The conversion in the opposite direction.
constexpr int InverseConversion(int conversion) { return conversion ^ 1; }

// Every name of one code page.
struct CodePageNames {
  std::string_view tag;     // "Win": variant histories and result window titles
  char letter;              // 'W': conversion codes such as "K2W"
  std::string_view name;    // "cp-1251": messages and repair descriptions
  std::string_view option;  // "win": the command line's --target
  std::string_view label;   // "WINDOWS": the editor's dialogs
};

// The pages in CodePage order: the one table of their names.
inline constexpr std::array<CodePageNames, kCodePageCount> kCodePages = {{
    {"Win", 'W', "cp-1251", "win", "WINDOWS"},
    {"Dos", 'D', "cp-866", "dos", "DOS"},
    {"Koi", 'K', "KOI8-R", "koi", "KOI8-R"},
    {"Iso", 'I', "ISO-8859-5", "iso", "ISO"},
}};

// The names of `page`; null when out of range.
const CodePageNames* PageNames(int page);
// "Win", "Dos", "Koi", "Iso"; empty when out of range.
std::string_view CodePageTag(int page);
// "cp-1251", "cp-866", "KOI8-R", "ISO-8859-5"; empty when out of range.
std::string_view CodePageName(int page);
// The page whose command-line name is `option` ("win" ... "iso"), or -1.
int CodePageByOption(std::string_view option);
// The command-line names as a message lists them: "win, dos, koi or iso".
std::string CodePageOptions();

// The page a conversion reads and the page it writes.
struct ConversionPages {
  int from;
  int to;
};

// The pages of every conversion, in Conversion order.
inline constexpr std::array<ConversionPages, kConversionCount> kConversionPages = {{
    {kDos, kKoi8r},
    {kKoi8r, kDos},
    {kDos, kWindows},
    {kWindows, kDos},
    {kWindows, kKoi8r},
    {kKoi8r, kWindows},
    {kDos, kIso},
    {kIso, kDos},
    {kKoi8r, kIso},
    {kIso, kKoi8r},
    {kWindows, kIso},
    {kIso, kWindows},
}};

// The page the conversion reads; -1 for an index outside 0..11.
int ConversionSource(int conversion);
// The page the conversion writes; -1 for an index outside 0..11.
int ConversionTarget(int conversion);
// "D2K" ... "I2W": the source's letter, '2', the target's letter; empty for an index
// outside 0..11.
std::string_view ConversionCode(int conversion);
// The conversion whose code is `code` ("K2W"), or -1.
int ConversionByCode(std::string_view code);
// Tag of the conversion's target page ("Koi", "Dos", "Win", "Iso"); empty when out of range.
std::string_view ConversionTargetTag(int conversion);

// о е а и т с н р, then О Е А И Т С Н Р, as bytes of `page` (0..3).
const std::array<unsigned char, 16>& FrequentLetters(int page);

// The first 8 or 16 frequent letters of one page; the search transforms copies of it.
struct LetterSet {
  std::array<unsigned char, 16> bytes{};
  std::size_t size = 0;  // 8 or 16
};

// The letter set of `page` with 16 letters when `big_letters`, else 8.
LetterSet MakeLetterSet(int page, bool big_letters);

}  // namespace cyrvert
