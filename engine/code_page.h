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

// "D2K" ... "I2W"; empty for an index outside 0..11.
std::string_view ConversionCode(int conversion);
// Tag of the conversion's target page ("Koi", "Dos", "Win", "Iso"); empty when out of range.
std::string_view ConversionTargetTag(int conversion);
// "Win", "Dos", "Koi", "Iso"; empty when out of range.
std::string_view CodePageTag(int page);

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
