// Smart repair's driver: scores the candidate readings of the start of a text and turns the
// best of them into a verdict and a plan.
#include "engine/smart_repair.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/repair_heuristic.h"
#include "engine/repair_search.h"
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

RepairAnalysis AnalyzeForRepair(std::string_view text) {
  RepairAnalysis result;
  if (text.empty()) return result;
  const std::string_view prefix = ScoredPrefix(text);
  const bool any_high = std::any_of(prefix.begin(), prefix.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  result.utf8_text = IsValidUtf8(prefix, prefix.size() == text.size());
  if (!any_high) {
    result.verdict = RepairVerdict::kNotDamaged;
    result.confidence = 1.0;
    return result;
  }
  const std::vector<Candidate> all = SearchReadings(prefix, prefix.size() == text.size());
  // The cheapest; on a tie, the fewest steps, then the first found.
  const Candidate* best = &all.front();
  for (const Candidate& c : all) {
    if (c.cost < best->cost || (c.cost == best->cost && c.steps.size() < best->steps.size())) {
      best = &c;
    }
  }
  const Candidate& identity =
      *std::find_if(all.begin(), all.end(), [](const Candidate& c) { return c.steps.empty(); });
  if (ReadsAsRussian(best->tally)) {
    if (best->steps.empty()) {
      result.verdict = RepairVerdict::kNotDamaged;
      double runner = 1e18;
      for (const Candidate& c : all) {
        if (!c.steps.empty()) runner = std::min(runner, c.cost);
      }
      result.confidence =
          Quality(best->tally) * Clamp01((runner - best->cost) / kRepairLimits.undamaged_margin);
    } else {
      result.verdict = RepairVerdict::kRepaired;
      result.steps = best->steps;
      result.confidence = Quality(best->tally) *
                          Clamp01((identity.cost - best->cost) / kRepairLimits.repair_margin);
    }
    return result;
  }
  // The best reading is not Russian: leave the text alone, saying whether it seems to be
  // some other clean text or damage this cannot undo.
  const Tally& b = best->tally;
  if (!best->steps.empty() && b.russian >= kRepairLimits.few_words_min &&
      b.russian < kRepairLimits.few_words_max && b.russian * 2 >= b.russian + b.latin) {
    // A few Russian words come out of a repair: too little text to be sure of it.
    result.verdict = RepairVerdict::kCannotRepair;
  } else if (!LooksCyrillic(b) && !LooksCyrillic(identity.tally)) {
    result.verdict = RepairVerdict::kNotDamaged;
    result.confidence = 0.5;
  } else if (Clean(best->tally) && LooksCyrillic(best->tally) &&
             best->tally.russian >= kRepairLimits.min_russian_letters) {
    result.verdict = RepairVerdict::kNotDamaged;
    result.confidence = 0.5;
  } else {
    result.verdict = RepairVerdict::kCannotRepair;
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
