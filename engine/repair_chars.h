// Characters as smart repair sees them: the model's class, whether a letter is Russian,
// Latin or of another Cyrillic alphabet, its case, and the signs no Russian text holds.
#pragma once

#include <array>
#include <cstdint>

#include "engine/russian_model.h"

namespace cyrvert::detail {

// What a character is, as bits.
enum CharFlag : std::uint16_t {
  kUpper = 1 << 0,
  kLower = 1 << 1,
  kRussian = 1 << 2,   // a Russian letter
  kLatin = 1 << 3,     // a Latin letter
  kForeign = 1 << 4,   // a Cyrillic letter Russian does not use
  kBad = 1 << 5,       // no Russian text holds it: controls, box drawing, U+FFFD
  kYeryE = 1 << 6,     // ы or э: Russian has them, its neighbours mostly do not
  kHardSign = 1 << 7,  // ъ: rare in Russian, common in Bulgarian
  kYo = 1 << 8,        // ё or Ё
  kSoftSign = 1 << 9,  // ь: common in Russian and Ukrainian, next to none in Bulgarian
};

// Letter case as the case costs see it.
enum CaseKind : std::uint8_t {
  kNoCase,
  kLowerOther,  // a lower-case letter of another alphabet
  kUpperOther,
  kLowerRussian,
  kUpperRussian,
};
inline constexpr int kCaseKindCount = 5;

// One character: its class in the bigram model, its flags and its case kind.
struct CharInfo {
  std::uint8_t cls = kClassBlank;
  std::uint16_t flags = 0;
  std::uint8_t kind = kNoCase;
};

// The character `cp` as the scorer sees it.
CharInfo InfoOf(std::uint32_t cp);

// Each byte of cp-1251 as the scorer sees it (0x98, which has no character, as U+FFFD).
const std::array<CharInfo, 256>& WindowsInfo();

}  // namespace cyrvert::detail
