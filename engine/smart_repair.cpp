// Smart repair's driver: scores the candidate readings of the start of a text and turns the
// best of them into a verdict and a plan.
#include "engine/smart_repair.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/code_page.h"
#include "engine/repair_heuristic.h"
#include "engine/repair_search.h"
#include "engine/repair_steps.h"
#include "engine/utf8_walk.h"

namespace cyrvert {
namespace {

using detail::Candidate;
using detail::Clamp01;
using detail::Clean;
using detail::kRepairLimits;
using detail::LooksCyrillic;
using detail::Quality;
using detail::ReadsAsRussian;
using detail::SearchReadings;
using detail::Tally;

// The start of the window that analysis scores: enough upper-half bytes to judge, cut
// where no UTF-8 sequence is split.
std::string_view ScoredPrefix(std::string_view text) {
  constexpr std::int64_t kEnoughHighBytes = 4096;
  std::string_view window = text.substr(0, kSmartRepairWindow);
  std::int64_t high = 0;
  std::size_t end = 0;
  while (end < window.size() && high < kEnoughHighBytes) {
    if (static_cast<unsigned char>(window[end]) >= 0x80) ++high;
    ++end;
  }
  if (end < text.size()) {
    std::size_t cut = end;
    while (cut > 0 && end - cut < 8 && static_cast<unsigned char>(window[cut - 1]) >= 0x80) --cut;
    if (cut > 0 && end - cut < 8) end = cut;
  }
  return window.substr(0, end);
}

}  // namespace

std::string_view RepairVerdictName(RepairVerdict verdict) {
  switch (verdict) {
    case RepairVerdict::kRepaired:
      return "repaired";
    case RepairVerdict::kNotDamaged:
      return "not damaged";
    case RepairVerdict::kCannotRepair:
      return "cannot repair";
    case RepairVerdict::kEmpty:
      return "empty";
  }
  return {};
}

namespace {

using Kind = RepairStep::Kind;

// The chain that reads a text written in `output` as cp-1251: how the text reads "as it
// stands" when that is the output's form.
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

// Whether `steps` read the text as it stands: as cp-1251, or as the output's form.
bool AsItStands(const RepairSteps& steps, RepairOutput output) {
  return steps.empty() || steps == OutputReading(output);
}

bool UsesUtf8(const RepairSteps& steps) {
  return std::any_of(steps.begin(), steps.end(),
                     [](const RepairStep& s) { return s.kind != Kind::kConvert; });
}

std::string Bits(double bits) { return std::to_string(static_cast<long long>(bits)); }

// A verdict on one stretch of text (or all of it).
struct Judgement {
  RepairVerdict verdict = RepairVerdict::kNotDamaged;
  RepairSteps steps;  // the repair, or how the best reading that is no repair reads the text
  double confidence = 0.0;
  std::string reason;
  bool decided = false;  // enough Russian to stand on its own
};

Judgement Judge(std::string_view prefix, bool whole, RepairOutput output) {
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
  Judgement j;
  const Tally& b = best->tally;
  if (ReadsAsRussian(b) && AsItStands(best->steps, output)) {
    double runner = 1e18;
    for (const Candidate& c : all) {
      if (!AsItStands(c.steps, output)) runner = std::min(runner, c.cost);
    }
    j.steps = best->steps;
    j.confidence = Quality(b) * Clamp01((runner - best->cost) / kRepairLimits.undamaged_margin);
    j.reason = "the text reads as Russian as it stands";
    j.decided = true;
    return j;
  }
  if (ReadsAsRussian(b)) {
    const double evidence = (stand->cost - best->cost) * static_cast<double>(b.relevant) / 100.0;
    const double need = UsesUtf8(best->steps) ? kRepairLimits.min_evidence_utf8_bits
                                              : kRepairLimits.min_evidence_8bit_bits;
    if (evidence >= need && detail::RussianOdds(b) >= kRepairLimits.min_russian_odds) {
      j.verdict = RepairVerdict::kRepaired;
      j.steps = best->steps;
      j.confidence = Quality(b) * Clamp01((stand->cost - best->cost) / kRepairLimits.repair_margin);
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
      b.russian < kRepairLimits.few_words_max && b.russian * 2 >= b.russian + b.latin) {
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

// Whether UTF-8 `text` holds a character `output`'s page has no byte for.
bool HoldsWhatPageLacks(std::string_view text, RepairOutput output) {
  if (output == RepairOutput::kUtf8) return false;
  const ByteCodec& codec = detail::RepairCodec(static_cast<int>(output));
  bool lacks = false;
  WalkUtf8(text, true, [&](std::uint32_t cp) {
    lacks = lacks || cp > 0xFFFF || (cp != kReplacementChar && codec.FromUnicode(cp) < 0);
  });
  return lacks;
}

// The steps that write a text left alone: as it is, or read as the UTF-8 it is when another
// form is asked for.
RepairSteps WritingAsItIs(bool utf8_text, RepairOutput output) {
  if (output != RepairOutput::kWindows && utf8_text) return {{Kind::kReadUtf8, 0}};
  return {};
}

}  // namespace

std::string_view VerdictName(const RepairAnalysis& analysis) {
  if (analysis.verdict == RepairVerdict::kRepaired && !analysis.plan.stretches.empty()) {
    return "partly repaired";
  }
  return RepairVerdictName(analysis.verdict);
}

RepairAnalysis AnalyzeForRepair(std::string_view text) { return AnalyzeForRepair(text, {}); }

RepairAnalysis AnalyzeForRepair(std::string_view text, const AnalysisOptions& options) {
  RepairAnalysis result;
  if (text.empty()) return result;
  const RepairOutput output = options.output;
  const std::string_view prefix = ScoredPrefix(text);
  const bool whole = prefix.size() == text.size();
  const bool any_high = std::any_of(prefix.begin(), prefix.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  result.utf8_text = IsValidUtf8(prefix, whole);
  result.plan.steps = WritingAsItIs(result.utf8_text, output);
  if (!any_high) {
    result.verdict = RepairVerdict::kNotDamaged;
    result.confidence = 1.0;
    result.reason = "no byte above 0x7F";
    return result;
  }
  Judgement j = Judge(prefix, whole, output);
  // Valid UTF-8 with characters no Cyrillic page holds is text as it should be; reading it
  // into a page would put "?" over them.
  if (j.verdict == RepairVerdict::kRepaired && j.steps == OutputReading(RepairOutput::kUtf8) &&
      result.utf8_text && HoldsWhatPageLacks(prefix, output)) {
    j.verdict = RepairVerdict::kNotDamaged;
    j.steps = OutputReading(output);
    j.reason =
        std::string("valid UTF-8 with characters ") +
        std::string(output == RepairOutput::kWindows ? "cp-1251"
                                                     : CodePageName(static_cast<int>(output))) +
        " lacks";
  }
  result.verdict = j.verdict;
  result.confidence = j.confidence;
  result.reason = j.reason;
  if (j.verdict == RepairVerdict::kRepaired) {
    result.steps = j.steps;
    result.plan.steps = j.steps;
  } else if (j.verdict == RepairVerdict::kNotDamaged && !j.steps.empty()) {
    result.plan.steps = j.steps;
  }
  return result;
}

UnicodeRepair RepairUnicodeText(std::string_view utf8) {
  // The characters' UTF-8 form is what the byte analysis sees of a text stored as UTF-8.
  UnicodeRepair result{AnalyzeForRepair(utf8), {}};
  RepairAnalysis& analysis = result.analysis;
  // Decoding the bytes as UTF-8, and nothing more, is what taking them as characters did.
  if (analysis.verdict == RepairVerdict::kRepaired && analysis.steps.size() == 1 &&
      analysis.steps.front().kind != RepairStep::Kind::kConvert) {
    analysis.verdict = RepairVerdict::kNotDamaged;
    analysis.steps.clear();
  }
  if (analysis.verdict == RepairVerdict::kRepaired) {
    result.text = ApplyRepair(utf8, result.analysis.steps, RepairOutput::kUtf8);
  } else {
    result.text = std::string(utf8);
  }
  return result;
}

}  // namespace cyrvert
