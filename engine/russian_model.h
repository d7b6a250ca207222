// The letter-bigram model of Russian that smart repair scores readings with. The table is
// generated data (engine/russian_model.cpp, by tools/gen_russian_model.py).
#pragma once

#include <array>
#include <cstdint>

namespace cyrvert::detail {

// Character classes of the model: 0 blank, 1..32 the Russian letters а..я case folded,
// 33 ё, 34 Latin letter, 35 digit, 36 punctuation, 37 anything else.
inline constexpr int kSmartClassCount = 38;
inline constexpr int kClassBlank = 0;
inline constexpr int kClassYe = 6, kClassYu = 31, kClassYa = 32;  // е, ю, я
inline constexpr int kClassYo = 33;
inline constexpr int kClassLatin = 34;
inline constexpr int kClassDigit = 35;
inline constexpr int kClassPunct = 36;
inline constexpr int kClassOther = 37;

// -log2 P(next class | previous class), in hundredths of a bit.
extern const std::array<std::array<std::uint16_t, kSmartClassCount>, kSmartClassCount>
    kRussianBigramCost;
// Mean cost of a bigram touching a Russian letter on the training text (centibits).
extern const int kRussianLetterBigramCost;

}  // namespace cyrvert::detail
