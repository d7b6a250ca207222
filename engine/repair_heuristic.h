// The one heuristic of smart repair: what a reading of a text costs (how un-Russian it
// looks) and the tests that turn tallies into verdicts. Every threshold stands in
// kRepairLimits, so the heuristic changes in one place.
#pragma once

#include <cstdint>

#include "engine/repair_chars.h"

namespace cyrvert::detail {

// Every weight and threshold of the heuristic. Costs are in centibits (hundredths of a bit),
// as the bigram model gives them.
struct RepairLimits {
  // Costs added to a reading.
  std::int64_t case_break = 600;      // a capital right after a small letter
  std::int64_t caps_run = 100;        // a capital after a capital: Russian is mostly small
  std::int64_t bad_char = 1000;       // a character no Russian text holds
  std::int64_t foreign_letter = 400;  // a Cyrillic letter Russian does not use
  std::int64_t lost_char = 800;       // a character a step turned into "?"
  double step = 30.0;                 // per character, per step of a chain

  // Reads as Russian.
  std::int64_t min_russian_letters = 8;
  std::int64_t max_latin_per_russian = 9;  // non-ASCII Latin letters per Russian letter
  // ASCII letters per Russian letter: markup, mail headers and logs around a few Russian
  // words are ASCII, which no step changes.
  std::int64_t max_ascii_per_russian = 30;
  double max_letter_cost_above_model = 150;  // mean cost of letter bigrams over the model's
  std::int64_t max_bad_share = 50;           // at most one bad character in this many
  std::int64_t max_lost_share = 20;          // at most one lost character in this many

  // Russian rather than Bulgarian or Ukrainian: rates of the telling letters in Russian.
  double russian_yery_e_rate = 0.022;
  double russian_hard_sign_rate = 0.0004;
  double russian_foreign_rate = 0.0002;
  double russian_soft_sign_rate = 0.017, russian_yo_rate = 0.001;
  // ... and in Bulgarian, and in Ukrainian.
  double bulgarian_yery_e_rate = 0.0005, bulgarian_hard_sign_rate = 0.026,
         bulgarian_foreign_rate = 0.002, bulgarian_soft_sign_rate = 0.001,
         bulgarian_yo_rate = 0.00002;
  double ukrainian_yery_e_rate = 0.0005, ukrainian_hard_sign_rate = 0.0004,
         ukrainian_foreign_rate = 0.06, ukrainian_soft_sign_rate = 0.014,
         ukrainian_yo_rate = 0.0001;
  std::int64_t long_text_letters = 250;  // a text this long with next to no ы or э is not Russian
  std::int64_t long_text_yery_e_share = 250;
  double long_text_spelling_odds = 10;  // unless the spelling says Russian by this much (nats)

  // Looks Cyrillic at all, and clean.
  std::int64_t min_cyrillic_letters = 20;
  std::int64_t max_other_per_cyrillic = 3;
  std::int64_t clean_max_lost_share = 50;
  double clean_max_letter_cost_above_model = 250;

  // A repair that yields only a few Russian words is too little to trust.
  std::int64_t few_words_min = 5;
  std::int64_t few_words_max = 20;

  // Evidence a repair needs, in bits: what the repaired reading gains over the text as it
  // stands. A UTF-8 trace is strong even in a few letters; an 8-bit re-reading is not.
  double min_evidence_utf8_bits = 20;
  double min_evidence_8bit_bits = 60;
  // Log odds of Russian over Bulgarian and over Ukrainian that reading valid UTF-8 as it is
  // needs: short Bulgarian without ъ has letter bigrams as Russian as Russian's own, so only
  // ы, э, ь or ё tell them apart; short Ukrainian without і, ї or є has only ы and э (its ь
  // is as common as Russian's), so over Ukrainian the absence of і must say more.
  double min_odds_over_bulgarian = 1.0;
  double min_odds_over_ukrainian = 2.5;
  // Weight of the letter-bigram models' log odds of Russian over Bulgarian and Ukrainian
  // beside the telling letters' (bigrams overlap, so they say less than their sum), and the
  // Russian letters they need to say anything (the odds of a few words are noise).
  double bigram_odds_weight = 0.5;
  std::int64_t bigram_odds_min_letters = 20;

  // Two readings whose Russian letter counts and mean letter-bigram costs differ by at most
  // this share hold the same letters, perhaps in another case.
  double same_letters_share = 0.03;
  // A text whose ASCII letters are at least this share capitals, or small (and this many), is
  // written in that case.
  double ascii_case_share = 0.75;
  std::int64_t ascii_case_min = 4;
  // Russian letters a reading in small letters needs before a twin in capitals beats it.
  std::int64_t capitals_min_russian = 12;
  // A word this long before a full stop ends a sentence (shorter ones may be abbreviations).
  int sentence_end_word = 4;

  // Stretches of a partly damaged text: each at least this many upper-half bytes, and at
  // most this many judged on their own.
  std::int64_t stretch_min_high = 60;
  std::int64_t max_stretches = 8;
  std::int64_t max_small_chunks = 24;   // chunks of twice the least, in a short text
  double stretch_min_bits = 200;        // what a stretch's own chain must gain over the common one
  double stretch_below_quality = 0.75;  // stretches are sought only below this quality

  // Confidence.
  double quality_span = 200;      // letter cost over the model at which quality reaches 0
  double repair_margin = 150;     // cost gained over the text as it stands for full confidence
  double undamaged_margin = 100;  // cost between the text and the best repair for full confidence
};

inline constexpr RepairLimits kRepairLimits{};

// What a reading of a text adds up to.
struct Tally {
  std::int64_t cost = 0;  // centibits over the bigrams that touch a non-ASCII character
  std::int64_t letter_cost = 0;
  // Bigrams of two letters under the models of Russian, Bulgarian and Ukrainian, each next
  // letter weighed among the shared letters only.
  std::int64_t russian_within = 0;
  std::int64_t bulgarian_within = 0;
  std::int64_t ukrainian_within = 0;
  std::int64_t letter_bigrams = 0;  // bigrams that touch a Russian letter
  std::int64_t relevant = 0;        // characters from upper-half bytes
  std::int64_t bad = 0;
  std::int64_t foreign = 0;
  std::int64_t lost = 0;         // characters turned into "?" or another ASCII stand-in
  std::int64_t case_cost = 0;    // capitals where Russian has none
  std::int64_t case_breaks = 0;  // capitals inside words of small letters
  std::int64_t russian = 0;
  std::int64_t latin = 0;        // Latin letters outside ASCII
  std::int64_t ascii_latin = 0;  // ASCII letters
  std::int64_t ascii_upper = 0;  // ASCII capitals
  std::int64_t russian_upper = 0;
  std::int64_t initial_upper =
      0;  // Russian capitals right after a blank: words that open a sentence
  std::int64_t yery_e = 0;
  std::int64_t hard_sign = 0;
  std::int64_t hard_sign_iotated = 0;  // ъ before е, ё, ю or я, as Russian writes it
  std::int64_t soft_sign = 0;
  std::int64_t yo = 0;

  // Counts `n` characters like `c`.
  void AddChar(const CharInfo& c, std::int64_t n);
  // Counts `n` bigrams a, b.
  void AddBigram(const CharInfo& a, const CharInfo& b, std::int64_t n);
  // Adds another tally's counts.
  void Add(const Tally& o);
};

// The cost per relevant character of a reading (lower is more Russian).
double CostPerChar(const Tally& t);
// What one bigram adds to the cost CostPerChar divides, and what one character adds (a
// character a step lost aside): the tally's parts in one number, for ranking many readings.
std::int64_t BigramCost(const CharInfo& a, const CharInfo& b);
std::int64_t CharCost(const CharInfo& c);
// Mean cost of the bigrams that touch a Russian letter; huge when there are none.
double LetterCost(const Tally& t);
// Log odds of Russian over Bulgarian and over Ukrainian, from the letters that tell them
// apart; very negative for a long text with next to no ы or э.
struct NeighbourOdds {
  double bulgarian = 0;
  double ukrainian = 0;
};
NeighbourOdds RussianOdds(const Tally& t);
// Whether the letters that tell Russian from Bulgarian and Ukrainian make Russian the likelier.
bool MoreRussianThanNeighbour(const Tally& t);
// Whether they make it clearly the likelier, as valid UTF-8 taken for Russian needs.
bool ClearlyRussian(const Tally& t);
// Enough Cyrillic, in Russian's letter pattern, without Ukrainian or Bulgarian signs. A
// reading that undoes UTF-8 read wrongly (`traced`: each letter came from two characters no
// chance would pair) may stray further from the pattern, as a few words in quotes do.
bool ReadsAsRussian(const Tally& t, bool traced = false);
// Enough Cyrillic letters (any alphabet) among the letters.
bool LooksCyrillic(const Tally& t);
// Little lost or bad, and (if Cyrillic) a plausible letter pattern.
bool Clean(const Tally& t);
// How close the reading is to typical Russian: 1 at typical, 0 well off it.
// A reading that undoes UTF-8 read wrongly (`traced`) is judged with the allowance
// ReadsAsRussian gives it.
double Quality(const Tally& t, bool traced = false);
// `v` limited to 0..1.
double Clamp01(double v);

}  // namespace cyrvert::detail
