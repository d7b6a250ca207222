#include "engine/repair_verdict.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>
#include <vector>

#include "engine/code_page.h"
#include "engine/repair_heuristic.h"
#include "engine/repair_search.h"
#include "engine/utf8_walk.h"

namespace cyrvert::detail {
namespace {

using Kind = RepairStep::Kind;

bool UsesUtf8(const RepairSteps& steps) {
  return std::any_of(steps.begin(), steps.end(),
                     [](const RepairStep& s) { return s.kind != Kind::kConvert; });
}

// Whether a chain reads UTF-8 twice: it undoes UTF-8 read wrongly, whose every letter left
// two characters behind.
bool UndoesMojibake(const RepairSteps& steps) {
  return std::count_if(steps.begin(), steps.end(), [](const RepairStep& s) {
           return s.kind == Kind::kFromUtf8 || s.kind == Kind::kReadUtf8;
         }) >= 2;
}

bool ReadsAsRussian(const Candidate& c) { return ReadsAsRussian(c.tally, UndoesMojibake(c.steps)); }

// Whether two readings hold about as many Russian letters (some).
bool AboutAsManyLetters(const Tally& a, const Tally& b) {
  const auto ra = static_cast<double>(a.russian), rb = static_cast<double>(b.russian);
  return a.russian > 0 && std::abs(ra - rb) <= kRepairLimits.same_letters_share * std::max(ra, rb);
}

// Whether two readings hold, by their tallies, the same Russian letters (case apart).
bool SameLetters(const Tally& a, const Tally& b) {
  return AboutAsManyLetters(a, b) && std::abs(LetterCost(a) - LetterCost(b)) <=
                                         kRepairLimits.same_letters_share * LetterCost(b);
}

// Whether most of a reading's Russian letters are capitals.
bool InCapitals(const Tally& t) { return t.russian_upper * 10 >= t.russian * 9; }

// Russian small letters that open a sentence or a paragraph in a UTF-8 reading: after a word
// of a few letters and a full stop, "!" or "?"; after a number such as "16." or "2.1." (not
// a date); first on a line that a blank line parts from the text before it; or, in a text of
// several lines read from its start, first in the text (a single line may be cut from
// anywhere). Quotes may stand between, and a closing bracket before the stop ("слово".
// «...», (слово).).
std::int64_t SmallSentenceStarts(std::string_view utf8, Place place) {
  std::int64_t starts = 0;
  int word = 0;            // letters of the word being read
  bool ended = false;      // a sentence ended, waiting for a blank
  bool opening = false;    // a sentence ended and a blank followed
  bool line_start = true;  // nothing but blanks yet on this line
  bool seen = false;       // some text before this line
  bool parted = false;     // a blank line parts this line from the text before it
  bool number = false;     // a number of digits and full stops after a blank
  bool blank = true;       // the last character was a blank (or there was none)
  bool first = true;       // no letter yet
  bool first_small = false;
  int lines = 0;  // lines with text
  WalkUtf8(utf8, true, [&](std::uint32_t cp) {
    const CharInfo c = InfoOf(cp);
    if (first && (c.flags & (kUpper | kLower))) {
      first = false, first_small = c.kind == kLowerRussian;
    }
    if (cp == '\n') {
      parted = line_start && seen;
      line_start = true;
    } else if (line_start && c.cls != kClassBlank) {
      ++lines;
      opening = opening || parted;
      line_start = false, seen = true;
    }
    if (c.flags & (kUpper | kLower)) {
      if (opening && c.kind == kLowerRussian) ++starts;
      ++word, ended = opening = number = false;
    } else if (cp == '.' || cp == '!' || cp == '?') {
      ended = word >= kRepairLimits.sentence_end_word || (number && cp == '.');
      word = 0, opening = false;
    } else if (c.cls == kClassBlank) {
      opening = ended || opening;
      word = 0, ended = number = false;
    } else if (cp == '"' || cp == '\'' || cp == ')' || cp == 0xAB || cp == 0xBB || cp == 0x201C ||
               cp == 0x201D || cp == 0x201E) {
      number = false;
    } else {
      number = c.cls == kClassDigit && (number || blank);
      word = 0, ended = opening = false;
    }
    blank = c.cls == kClassBlank;
  });
  if (place == Place::kTextStart && first_small && lines >= 2) ++starts;
  return starts;
}

// The case a text was written in, as far as its reading in small letters (`small`, and `text`
// that reading as UTF-8) tells: a word that opens with a capital or ASCII words in small
// letters say small letters; with neither, ASCII words in capitals or sentences that open with
// small letters say capitals (a text in capitals shifted between the pages reads as small
// letters too); a line of small letters alone says nothing.
enum class WrittenCase { kUnknown, kSmall, kCapitals };
WrittenCase CaseWrittenIn(const Tally& small, std::string_view text, Place place) {
  const RepairLimits& l = kRepairLimits;
  const auto ascii_share = [&](std::int64_t n) {
    return small.ascii_latin >= l.ascii_case_min &&
           static_cast<double>(n) >= l.ascii_case_share * static_cast<double>(small.ascii_latin);
  };
  if (small.initial_upper != 0 || ascii_share(small.ascii_latin - small.ascii_upper)) {
    return WrittenCase::kSmall;
  }
  if (small.russian >= l.capitals_min_russian &&
      (ascii_share(small.ascii_upper) || SmallSentenceStarts(text, place) > 0)) {
    return WrittenCase::kCapitals;
  }
  return WrittenCase::kUnknown;
}

// Characters a reading leaves unexplained: signs, letters of other alphabets, lost characters
// and capitals inside words. Twins in case differ in them where a letter (Ё, say) reads right
// in one case only.
std::int64_t Unexplained(const Tally& t) { return t.bad + t.foreign + t.lost + t.case_breaks; }

// Whether the reading `capitals` holds the letters of `small` at least as well.
bool LettersAsGood(const Tally& capitals, const Tally& small) {
  return AboutAsManyLetters(capitals, small) &&
         LetterCost(capitals) <= (1 + kRepairLimits.same_letters_share) * LetterCost(small) &&
         capitals.lost <= small.lost;
}

// Readings a judgement lists for a closer look at parts of the text.
constexpr std::size_t kCheapestReadings = 8;

std::string Bits(double bits) { return std::to_string(static_cast<long long>(bits)); }

}  // namespace

RepairSteps OutputReading(RepairOutput output) {
  switch (output) {
    case RepairOutput::kDos:
      return {{Kind::kConvert, kD2W}};
    case RepairOutput::kKoi8r:
      return {{Kind::kConvert, kK2W}};
    case RepairOutput::kIso:
      return {{Kind::kConvert, kI2W}};
    case RepairOutput::kUtf8:
      return {{Kind::kReadUtf8, 0}};
    case RepairOutput::kWindows:
      break;
  }
  return {};
}

bool AsItStands(const RepairSteps& steps, RepairOutput output) {
  return steps.empty() || steps == OutputReading(output);
}

Judgement Judge(std::string_view prefix, bool whole, RepairOutput output, Place place) {
  const std::vector<Candidate> all = SearchReadings(prefix, whole);
  // The cheapest; on a tie, the fewest steps, then the first found.
  const Candidate& identity =
      *std::find_if(all.begin(), all.end(), [](const Candidate& c) { return c.steps.empty(); });
  const Candidate* best = &identity;
  const Candidate* stand = &identity;
  for (const Candidate& c : all) {
    if (c.cost < best->cost || (c.cost == best->cost && c.steps.size() < best->steps.size())) {
      best = &c;
    }
    if (AsItStands(c.steps, output) && c.cost < stand->cost) stand = &c;
  }
  // Valid UTF-8 that reads as clean Cyrillic is repaired only by undoing UTF-8 damage (a chain
  // that ends in reading UTF-8), never by mapping its letters into a page and on: that would
  // take a Ukrainian і for a lost character.
  const bool clean_utf8 = std::any_of(all.begin(), all.end(), [&](const Candidate& c) {
    return c.steps == OutputReading(RepairOutput::kUtf8) && Clean(c.tally) &&
           LooksCyrillic(c.tally);
  });
  const auto allowed = [&](const Candidate& c) {
    return !clean_utf8 || !UsesUtf8(c.steps) || c.steps.back().kind == Kind::kReadUtf8;
  };
  // A reading as Russian beats any other: a reading that turns the text into signs can cost
  // little per character, but explains nothing.
  const Candidate* as_russian = nullptr;
  for (const Candidate& c : all) {
    if (ReadsAsRussian(c) && allowed(c) &&
        (as_russian == nullptr || c.cost < as_russian->cost ||
         (c.cost == as_russian->cost && c.steps.size() < as_russian->steps.size()))) {
      as_russian = &c;
    }
  }
  if (as_russian != nullptr) best = as_russian;
  // A reading with the same letters in another case by fewer steps is the better: the text
  // keeps its case unless a chain explains it. Not one that loses more characters where the
  // longer one reads as Russian (cp-866 has no dash: its stand-in comes back by another
  // page); but a longer chain that reads as Russian by losing a letter (Ukrainian і) is no
  // better.
  const auto lost = [](const Candidate& c) { return c.tally.lost + c.tally.bad; };
  for (const Candidate& c : all) {
    if (c.steps.size() < best->steps.size() && SameLetters(c.tally, best->tally) &&
        (ReadsAsRussian(c) || !ReadsAsRussian(*best) || lost(c) <= lost(*best))) {
      best = &c;
    }
  }
  // Twins: readings of the same letters, one in capitals and one not, by 8-bit chains at most
  // a step apart, or two for capitals the text asks for (a text in capitals shifted between
  // the pages reads in small letters too; UTF-8 keeps the case). The text keeps the case it was
  // written in; a text that reads right as it stands is never recased.
  if (!AsItStands(best->steps, output) && !UsesUtf8(best->steps)) {
    const bool capitals = InCapitals(best->tally);
    const auto case_written_in = [&](const Candidate& small) {
      return CaseWrittenIn(small.tally, ApplyRepair(prefix, small.steps, RepairOutput::kUtf8),
                           place);
    };
    std::optional<WrittenCase> best_case;  // when the best reading is in small letters
    const Candidate* twin = nullptr;
    for (const Candidate& c : all) {
      if (&c == best || AsItStands(c.steps, output) || UsesUtf8(c.steps) || !ReadsAsRussian(c) ||
          c.steps.size() > best->steps.size() + 2 || c.steps.size() + 1 < best->steps.size()) {
        continue;
      }
      // Two steps more (a pair that swaps the case) only for capitals the text asks for.
      const bool far = c.steps.size() == best->steps.size() + 2;
      bool better = false;
      if (capitals) {
        // Small letters by a longer chain only where the text says so.
        if (!far && !InCapitals(c.tally) && SameLetters(c.tally, best->tally)) {
          const WrittenCase written = case_written_in(c);
          better = written == WrittenCase::kSmall ||
                   (written == WrittenCase::kUnknown && c.steps.size() <= best->steps.size() &&
                    Unexplained(c.tally) <= Unexplained(best->tally));
        }
      } else if (InCapitals(c.tally) && LettersAsGood(c.tally, best->tally)) {
        // Capitals where the text says so, or where they explain more of it.
        if (!best_case) best_case = case_written_in(*best);
        better = *best_case == WrittenCase::kCapitals ||
                 (!far && *best_case == WrittenCase::kUnknown &&
                  Unexplained(c.tally) < Unexplained(best->tally));
      }
      // Of several, the one that explains most, then the shortest, then the cheapest.
      const auto key = [](const Candidate& x) {
        return std::tuple(Unexplained(x.tally), x.steps.size(), x.cost);
      };
      if (better && (twin == nullptr || key(c) < key(*twin))) {
        twin = &c;
      }
    }
    if (twin != nullptr) best = twin;
  }
  Judgement j;
  const Tally& b = best->tally;
  j.quality = Quality(b);
  j.neighbour = !MoreRussianThanNeighbour(b);
  std::vector<const Candidate*> cheapest;
  for (const Candidate& c : all) cheapest.push_back(&c);
  const std::size_t few = std::min<std::size_t>(cheapest.size(), kCheapestReadings);
  std::partial_sort(cheapest.begin(), cheapest.begin() + static_cast<std::ptrdiff_t>(few),
                    cheapest.end(),
                    [](const Candidate* x, const Candidate* y) { return x->cost < y->cost; });
  for (std::size_t i = 0; i < few; ++i) j.readings.push_back(cheapest[i]->steps);
  // A chain whose result, written in the output's page, is the text itself repairs nothing:
  // cp-866's stand-in for a dash reads as a dash by way of another page.
  const bool changes_nothing = !AsItStands(best->steps, output) && !UsesUtf8(best->steps) &&
                               ReadsAsRussian(*best) &&
                               ApplyRepair(prefix, best->steps, output) == prefix;
  if (ReadsAsRussian(*best) && (AsItStands(best->steps, output) || changes_nothing)) {
    double runner = 1e18;
    for (const Candidate& c : all) {
      if (!AsItStands(c.steps, output) && &c != best) runner = std::min(runner, c.cost);
    }
    j.steps = best->steps;
    j.confidence = Quality(b) * Clamp01((runner - best->cost) / kRepairLimits.undamaged_margin);
    j.reason = "the text reads as Russian as it stands";
    j.decided = true;
    return j;
  }
  if (ReadsAsRussian(*best)) {
    // Capitals in a row cost a little, to choose between twins in case; that is nothing
    // against the chain, so it takes nothing from the evidence.
    const double relevant = static_cast<double>(std::max<std::int64_t>(1, b.relevant));
    const double capitals_cost = InCapitals(b) ? static_cast<double>(b.case_cost) / relevant : 0.0;
    const double evidence = (stand->cost - best->cost + capitals_cost) * relevant / 100.0;
    const double need = UsesUtf8(best->steps) ? kRepairLimits.min_evidence_utf8_bits
                                              : kRepairLimits.min_evidence_8bit_bits;
    // Reading valid UTF-8 as it is would change a clean text of a neighbouring language:
    // that takes clear signs of Russian. Other chains undo damage whatever the language.
    const bool as_utf8 = best->steps == OutputReading(RepairOutput::kUtf8);
    const bool russian = !as_utf8 || ClearlyRussian(b);
    if (evidence >= need && russian) {
      j.verdict = RepairVerdict::kRepaired;
      j.steps = best->steps;
      j.confidence = Quality(b, UndoesMojibake(best->steps)) *
                     Clamp01((stand->cost - best->cost) / kRepairLimits.repair_margin);
      j.decided = true;
      return j;
    }
    j.reason = evidence < need
                   ? "too little text to be sure: the repair " + RepairCodes(best->steps) +
                         " gives " + Bits(evidence) + " bits of evidence, " + Bits(need) + " needed"
                   : "the repair " + RepairCodes(best->steps) +
                         " gives text that may be Bulgarian or Ukrainian";
    const Tally& as_is = stand->tally;
    // Valid UTF-8 that reads as clean Cyrillic is text as it should be, whatever its language.
    const bool utf8 = best->steps == OutputReading(RepairOutput::kUtf8);
    j.verdict = utf8 || (Clean(as_is) && (LooksCyrillic(as_is) || as_is.russian == 0))
                    ? RepairVerdict::kNotDamaged
                    : RepairVerdict::kCannotRepair;
    if (j.verdict == RepairVerdict::kNotDamaged) j.steps = stand->steps;
    return j;
  }
  // The best reading is not Russian: leave the text alone, saying whether it seems to be
  // some other clean text or damage this cannot undo.
  if (!best->steps.empty() && b.russian >= kRepairLimits.few_words_min &&
      b.russian < kRepairLimits.few_words_max &&
      b.russian * 2 >= b.russian + b.latin + b.ascii_latin) {
    j.verdict = RepairVerdict::kCannotRepair;
    j.reason = "a few Russian words come out of " + RepairCodes(best->steps) +
               ": too little text to be sure";
  } else if (!LooksCyrillic(b) && !LooksCyrillic(identity.tally)) {
    j.confidence = 0.5;
    j.reason = "no Russian text in any reading";
  } else if (Clean(b) && LooksCyrillic(b) && b.russian >= kRepairLimits.few_words_max) {
    j.confidence = 0.5;
    j.reason = "clean Cyrillic text that does not read as Russian";
    if (AsItStands(best->steps, output)) j.steps = best->steps;
  } else {
    j.verdict = RepairVerdict::kCannotRepair;
    j.reason = "no chain of steps gives Russian text";
  }
  return j;
}

}  // namespace cyrvert::detail
