// Letter-bigram models of Bulgarian and Ukrainian over the classes of the Russian model: what
// tells a short text in either from Russian when neither ы nor ъ nor і shows. The tables are
// generated data (engine/bulgarian_model.cpp and ukrainian_model.cpp, by
// tools/gen_russian_model.py --language bulgarian or ukrainian, from message catalogues).
#pragma once

#include "engine/russian_model.h"

namespace cyrvert::detail {

// -log2 P(next class | previous class), in hundredths of a bit.
extern const std::array<std::array<std::uint16_t, kSmartClassCount>, kSmartClassCount>
    kBulgarianBigramCost;
extern const std::array<std::array<std::uint16_t, kSmartClassCount>, kSmartClassCount>
    kUkrainianBigramCost;
// Mean cost of a bigram touching a letter on each training text (centibits).
extern const int kBulgarianLetterBigramCost;
extern const int kUkrainianLetterBigramCost;

}  // namespace cyrvert::detail
