// Code pages, conversions and letter sets.
#include "engine/code_page.h"

#include "engine/alternatives.h"
#include "engine/code_page_tables.h"

namespace cyrvert {
namespace detail {
namespace {

// The conversion tables widened to 256 entries (identity below 0x80), so that converting
// is one lookup per byte with no branch.
using FullTable = std::array<unsigned char, 256>;

std::array<FullTable, kConversionCount> MakeFullTables() {
  std::array<FullTable, kConversionCount> full{};
  for (std::size_t k = 0; k < full.size(); ++k) {
    for (std::size_t b = 0; b < 0x80; ++b) full[k][b] = static_cast<unsigned char>(b);
    for (std::size_t b = 0; b < 0x80; ++b) full[k][0x80 + b] = kConversionTables[k][b];
  }
  return full;
}

const std::array<FullTable, kConversionCount>& FullTables() {
  static const std::array<FullTable, kConversionCount> tables = MakeFullTables();
  return tables;
}

// The conversion codes, spelled from the page letters.
constexpr std::array<std::array<char, 3>, kConversionCount> kCodes = [] {
  std::array<std::array<char, 3>, kConversionCount> codes{};
  for (std::size_t k = 0; k < codes.size(); ++k) {
    codes[k] = {kCodePages[static_cast<std::size_t>(kConversionPages[k].from)].letter, '2',
                kCodePages[static_cast<std::size_t>(kConversionPages[k].to)].letter};
  }
  return codes;
}();

bool IsConversion(int conversion) { return conversion >= 0 && conversion < kConversionCount; }

constexpr std::array<std::array<unsigned char, 16>, kCodePageCount> kFrequentLetters = {{
    {0xEE, 0xE5, 0xE0, 0xE8, 0xF2, 0xF1, 0xED, 0xF0, 0xCE, 0xC5, 0xC0, 0xC8, 0xD2, 0xD1, 0xCD,
     0xD0},
    {0xAE, 0xA5, 0xA0, 0xA8, 0xE2, 0xE1, 0xAD, 0xE0, 0x8E, 0x85, 0x80, 0x88, 0x92, 0x91, 0x8D,
     0x90},
    {0xCF, 0xC5, 0xC1, 0xC9, 0xD4, 0xD3, 0xCE, 0xD2, 0xEF, 0xE5, 0xE1, 0xE9, 0xF4, 0xF3, 0xEE,
     0xF2},
    {0xDE, 0xD5, 0xD0, 0xD8, 0xE2, 0xE1, 0xDD, 0xE0, 0xBE, 0xB5, 0xB0, 0xB8, 0xC2, 0xC1, 0xBD,
     0xC0},
}};

}  // namespace

const std::array<unsigned char, 256>& FullConversionTable(int conversion) {
  return FullTables()[static_cast<std::size_t>(conversion)];
}

void ApplyByteTable(unsigned char* bytes, std::size_t length,
                    const std::array<unsigned char, 256>& table) {
  const unsigned char* t = table.data();
  std::size_t i = 0;
  // Unrolled by 8: independent lookups keep the load ports busy.
  for (; i + 8 <= length; i += 8) {
    const unsigned char b0 = t[bytes[i]], b1 = t[bytes[i + 1]];
    const unsigned char b2 = t[bytes[i + 2]], b3 = t[bytes[i + 3]];
    const unsigned char b4 = t[bytes[i + 4]], b5 = t[bytes[i + 5]];
    const unsigned char b6 = t[bytes[i + 6]], b7 = t[bytes[i + 7]];
    bytes[i] = b0, bytes[i + 1] = b1, bytes[i + 2] = b2, bytes[i + 3] = b3;
    bytes[i + 4] = b4, bytes[i + 5] = b5, bytes[i + 6] = b6, bytes[i + 7] = b7;
  }
  for (; i < length; ++i) bytes[i] = t[bytes[i]];
}

}  // namespace detail

void ConvertHighHalf(unsigned char* bytes, std::size_t length, int conversion) {
  if (conversion < 0 || conversion >= kConversionCount) return;
  detail::ApplyByteTable(bytes, length, detail::FullConversionTable(conversion));
}

void ConvertHighHalf(char* bytes, std::size_t length, int conversion) {
  ConvertHighHalf(reinterpret_cast<unsigned char*>(bytes), length, conversion);
}

const CodePageNames* PageNames(int page) {
  if (page < 0 || page >= kCodePageCount) return nullptr;
  return &kCodePages[static_cast<std::size_t>(page)];
}

std::string_view CodePageTag(int page) {
  const CodePageNames* names = PageNames(page);
  return names != nullptr ? names->tag : std::string_view();
}

std::string_view CodePageName(int page) {
  const CodePageNames* names = PageNames(page);
  return names != nullptr ? names->name : std::string_view();
}

int CodePageByOption(std::string_view option) {
  for (std::size_t page = 0; page < kCodePages.size(); ++page) {
    if (kCodePages[page].option == option) return static_cast<int>(page);
  }
  return -1;
}

std::string CodePageOptions() {
  return ListAlternatives(kCodePages, [](const CodePageNames& page) { return page.option; });
}

int ConversionSource(int conversion) {
  return detail::IsConversion(conversion)
             ? kConversionPages[static_cast<std::size_t>(conversion)].from
             : -1;
}

int ConversionTarget(int conversion) {
  return detail::IsConversion(conversion)
             ? kConversionPages[static_cast<std::size_t>(conversion)].to
             : -1;
}

std::string_view ConversionCode(int conversion) {
  if (!detail::IsConversion(conversion)) return {};
  const auto& code = detail::kCodes[static_cast<std::size_t>(conversion)];
  return std::string_view(code.data(), code.size());
}

int ConversionByCode(std::string_view code) {
  for (int k = 0; k < kConversionCount; ++k) {
    if (ConversionCode(k) == code) return k;
  }
  return -1;
}

std::string_view ConversionTargetTag(int conversion) {
  return CodePageTag(ConversionTarget(conversion));
}

const std::array<unsigned char, 16>& FrequentLetters(int page) {
  return detail::kFrequentLetters[static_cast<std::size_t>(page)];
}

LetterSet MakeLetterSet(int page, bool big_letters) {
  LetterSet set;
  set.bytes = FrequentLetters(page);
  set.size = big_letters ? 16 : 8;
  return set;
}

}  // namespace cyrvert
