#include "engine/repair_heuristic.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "engine/neighbour_models.h"

namespace cyrvert::detail {
namespace {

constexpr const RepairLimits& kL = kRepairLimits;

// The case cost of each pair of kinds, so that scoring a bigram takes no branches on case.
constexpr std::array<std::array<std::int64_t, kCaseKindCount>, kCaseKindCount> kCaseCost = [] {
  std::array<std::array<std::int64_t, kCaseKindCount>, kCaseKindCount> table{};
  for (int a = 0; a < kCaseKindCount; ++a) {
    for (int b = 0; b < kCaseKindCount; ++b) {
      const bool a_lower = a == kLowerOther || a == kLowerRussian;
      const bool b_upper = b == kUpperOther || b == kUpperRussian;
      const bool breaks = (a_lower && b == kUpperRussian) || (a == kLowerRussian && b_upper);
      const bool caps = (a == kUpperOther || a == kUpperRussian) && b_upper &&
                        (a == kUpperRussian || b == kUpperRussian);
      table[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] =
          (breaks ? kL.case_break : 0) + (caps ? kL.caps_run : 0);
    }
  }
  return table;
}();

// Whether a bigram of these kinds puts a capital inside a word of small letters.
constexpr std::array<std::array<bool, kCaseKindCount>, kCaseKindCount> kCaseBreak = [] {
  std::array<std::array<bool, kCaseKindCount>, kCaseKindCount> table{};
  for (std::size_t a = 0; a < kCaseKindCount; ++a) {
    for (std::size_t b = 0; b < kCaseKindCount; ++b) table[a][b] = kCaseCost[a][b] >= kL.case_break;
  }
  return table;
}();

bool IsLetterClass(std::uint8_t cls) { return cls >= 1 && cls <= kClassYo; }

// -log2 P(next letter | letter) of each model, the next letter taken among the letters Russian
// shares with the others only (centibits): how words are spelt, whatever share of the
// training text other alphabets, blanks or Ukrainian's own letters took.
using WithinWord = std::array<std::array<std::int32_t, kSmartClassCount>, kSmartClassCount>;
const std::array<WithinWord, 3>& WithinWordCosts() {
  static const std::array<WithinWord, 3> costs = [] {
    std::array<WithinWord, 3> out{};
    const std::array<
        const std::array<std::array<std::uint16_t, kSmartClassCount>, kSmartClassCount>*, 3>
        models{&kRussianBigramCost, &kBulgarianBigramCost, &kUkrainianBigramCost};
    for (std::size_t m = 0; m < models.size(); ++m) {
      for (std::size_t a = 1; a <= kClassYo; ++a) {
        double mass = 0;
        for (std::size_t b = 1; b <= kClassYo; ++b) mass += std::exp2(-(*models[m])[a][b] / 100.0);
        const double norm = -100.0 * std::log2(mass);
        for (std::size_t b = 1; b <= kClassYo; ++b) {
          out[m][a][b] = static_cast<std::int32_t>(std::lround((*models[m])[a][b] - norm));
        }
      }
    }
    return out;
  }();
  return costs;
}

// The log odds of Russian over another language by the letter-bigram models within words, in
// nats: `other_within` is the other model's cost of the text's bigrams.
double SpellingOdds(const Tally& t, std::int64_t other_within) {
  return static_cast<double>(other_within - t.russian_within) / 100.0 * std::log(2.0);
}

}  // namespace

void Tally::AddChar(const CharInfo& c, std::int64_t n) {
  if (c.flags & kBad) bad += n;
  if (c.flags & kForeign) foreign += n;
  if (c.flags & kRussian) russian += n;
  if ((c.flags & kRussian) && (c.flags & kUpper)) russian_upper += n;
  if (c.flags & kLatin) latin += n;
  if (c.flags & kYeryE) yery_e += n;
  if (c.flags & kHardSign) hard_sign += n;
  if (c.flags & kSoftSign) soft_sign += n;
  if (c.flags & kYo) yo += n;
}

void Tally::AddBigram(const CharInfo& a, const CharInfo& b, std::int64_t n) {
  const std::int64_t c = kRussianBigramCost[a.cls][b.cls];
  cost += c * n;
  if (a.kind >= kLowerRussian || b.kind >= kLowerRussian) {
    letter_cost += c * n;
    letter_bigrams += n;
  }
  case_cost += kCaseCost[a.kind][b.kind] * n;
  if (kCaseBreak[a.kind][b.kind]) case_breaks += n;
  if (IsLetterClass(a.cls) && IsLetterClass(b.cls)) {
    const auto& within = WithinWordCosts();
    russian_within += within[0][a.cls][b.cls] * n;
    bulgarian_within += within[1][a.cls][b.cls] * n;
    ukrainian_within += within[2][a.cls][b.cls] * n;
  }
  if (a.cls == kClassBlank && b.kind == kUpperRussian) initial_upper += n;
  if ((a.flags & kHardSign) &&
      (b.cls == kClassYe || b.cls == kClassYu || b.cls == kClassYa || b.cls == kClassYo)) {
    hard_sign_iotated += n;
  }
}

void Tally::Add(const Tally& o) {
  cost += o.cost, letter_cost += o.letter_cost, letter_bigrams += o.letter_bigrams;
  russian_within += o.russian_within, bulgarian_within += o.bulgarian_within;
  ukrainian_within += o.ukrainian_within;
  relevant += o.relevant, bad += o.bad, foreign += o.foreign, lost += o.lost;
  case_cost += o.case_cost, russian += o.russian, latin += o.latin;
  ascii_latin += o.ascii_latin, ascii_upper += o.ascii_upper, russian_upper += o.russian_upper;
  initial_upper += o.initial_upper, case_breaks += o.case_breaks;
  yery_e += o.yery_e, hard_sign += o.hard_sign, soft_sign += o.soft_sign, yo += o.yo;
  hard_sign_iotated += o.hard_sign_iotated;
}

double CostPerChar(const Tally& t) {
  const std::int64_t total = t.cost + kL.bad_char * t.bad + kL.foreign_letter * t.foreign +
                             kL.lost_char * t.lost + t.case_cost;
  return static_cast<double>(total) / static_cast<double>(std::max<std::int64_t>(1, t.relevant));
}

std::int64_t BigramCost(const CharInfo& a, const CharInfo& b) {
  return kRussianBigramCost[a.cls][b.cls] + kCaseCost[a.kind][b.kind];
}

std::int64_t CharCost(const CharInfo& c) {
  return ((c.flags & kBad) ? kL.bad_char : 0) + ((c.flags & kForeign) ? kL.foreign_letter : 0);
}

double LetterCost(const Tally& t) {
  if (t.letter_bigrams == 0) return 1e9;
  return static_cast<double>(t.letter_cost) / static_cast<double>(t.letter_bigrams);
}

// ы and э (2.2% of Russian letters, next to none in the others), ъ (0.04% in Russian, 2.6% in
// Bulgarian; but a ъ before е, ё, ю or я, as in "объект", is how Russian writes it and next to
// never Bulgarian, so it does not count), ь (1.7% in Russian, next to none in Bulgarian), ё and і,
// ї, є, ґ and the like (none in Russian, 6% in Ukrainian), as the log odds of their counts: each
// telling letter seen adds log(rate in Russian / rate in the other), and the text's length takes
// away what the difference in rates would have shown.
NeighbourOdds RussianOdds(const Tally& t) {
  struct Rates {
    double yery_e, hard_sign, foreign, soft_sign, yo;
  };
  const auto n = static_cast<double>(t.russian + t.foreign);
  const Rates seen{
      static_cast<double>(t.yery_e), static_cast<double>(t.hard_sign - t.hard_sign_iotated),
      static_cast<double>(t.foreign), static_cast<double>(t.soft_sign), static_cast<double>(t.yo)};
  const Rates russian{kL.russian_yery_e_rate, kL.russian_hard_sign_rate, kL.russian_foreign_rate,
                      kL.russian_soft_sign_rate, kL.russian_yo_rate};
  const auto odds = [&](const Rates& other) {
    const auto term = [&](double count, double ru, double rest) {
      return count * std::log(ru / rest) - n * (ru - rest);
    };
    // ь and ё count only when seen: Russian writes ё as е as often as not, and short
    // Russian lines without ь are common, so their absence would tell little.
    const auto seen_term = [](double count, double ru, double rest) {
      return count * std::log(ru / rest);
    };
    return term(seen.yery_e, russian.yery_e, other.yery_e) +
           term(seen.hard_sign, russian.hard_sign, other.hard_sign) +
           term(seen.foreign, russian.foreign, other.foreign) +
           seen_term(seen.soft_sign, russian.soft_sign, other.soft_sign) +
           seen_term(seen.yo, russian.yo, other.yo);
  };
  // A long text with next to no ы or э is a neighbour's (a list of words, say), ъ or not,
  // unless its spelling is plainly Russian's (a list of functions may repeat words without
  // them for hundreds of letters).
  if (t.russian >= kL.long_text_letters && t.yery_e * kL.long_text_yery_e_share < t.russian &&
      (SpellingOdds(t, t.bulgarian_within) < kL.long_text_spelling_odds ||
       SpellingOdds(t, t.ukrainian_within) < kL.long_text_spelling_odds)) {
    return {-1e9, -1e9};
  }
  return {odds({kL.bulgarian_yery_e_rate, kL.bulgarian_hard_sign_rate, kL.bulgarian_foreign_rate,
                kL.bulgarian_soft_sign_rate, kL.bulgarian_yo_rate}),
          odds({kL.ukrainian_yery_e_rate, kL.ukrainian_hard_sign_rate, kL.ukrainian_foreign_rate,
                kL.ukrainian_soft_sign_rate, kL.ukrainian_yo_rate})};
}

bool MoreRussianThanNeighbour(const Tally& t) {
  const NeighbourOdds odds = RussianOdds(t);
  return odds.bulgarian > 0 && odds.ukrainian > 0;
}

bool ClearlyRussian(const Tally& t) {
  const NeighbourOdds odds = RussianOdds(t);
  // What the spelling says besides: the log odds of the letter-bigram models, in nats.
  const auto spelling = [&](std::int64_t other) {
    if (t.russian < kL.bigram_odds_min_letters) return 0.0;
    return SpellingOdds(t, other) * kL.bigram_odds_weight;
  };
  return odds.bulgarian + spelling(t.bulgarian_within) >= kL.min_odds_over_bulgarian &&
         odds.ukrainian + spelling(t.ukrainian_within) >= kL.min_odds_over_ukrainian;
}

bool ReadsAsRussian(const Tally& t, bool traced) {
  if (t.russian < kL.min_russian_letters) return false;
  if (t.russian * (kL.max_latin_per_russian + 1) < t.russian + t.latin) return false;
  if (t.russian * (kL.max_ascii_per_russian + 1) < t.russian + t.ascii_latin) return false;
  const double above =
      traced ? kL.clean_max_letter_cost_above_model : kL.max_letter_cost_above_model;
  if (LetterCost(t) > kRussianLetterBigramCost + above) return false;
  if (!MoreRussianThanNeighbour(t)) return false;
  return t.bad * kL.max_bad_share <= t.relevant && t.lost * kL.max_lost_share <= t.relevant;
}

bool LooksCyrillic(const Tally& t) {
  const std::int64_t cyr = t.russian + t.foreign;
  return cyr >= kL.min_cyrillic_letters &&
         cyr * (kL.max_other_per_cyrillic + 1) >= cyr + t.latin + t.ascii_latin;
}

bool Clean(const Tally& t) {
  return t.bad * kL.max_bad_share <= t.relevant && t.lost * kL.clean_max_lost_share <= t.relevant &&
         (LooksCyrillic(t)
              ? LetterCost(t) <= kRussianLetterBigramCost + kL.clean_max_letter_cost_above_model
              : true);
}

double Clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }

double Quality(const Tally& t, bool traced) {
  const double allowance =
      traced ? kL.clean_max_letter_cost_above_model - kL.max_letter_cost_above_model : 0.0;
  return Clamp01(1.0 - (LetterCost(t) - kRussianLetterBigramCost - allowance) / kL.quality_span);
}

}  // namespace cyrvert::detail
