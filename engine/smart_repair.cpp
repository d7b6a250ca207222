// Smart repair's driver: scores the candidate readings of the start of a text and turns the
// best of them into a verdict and a plan.
#include "engine/smart_repair.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/code_page.h"
#include "engine/repair_heuristic.h"
#include "engine/repair_search.h"
#include "engine/repair_steps.h"
#include "engine/repair_verdict.h"
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

// The end of `text` past `prefix`, from a line start, with as many upper-half bytes as a
// scored prefix holds at most.
std::string_view ScoredEnd(std::string_view text, std::string_view prefix) {
  const auto high = static_cast<std::int64_t>(std::count_if(
      prefix.begin(), prefix.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
  std::size_t begin = text.size();
  std::int64_t seen = 0;
  while (begin > prefix.size() && seen < high) {
    if (static_cast<unsigned char>(text[begin - 1]) >= 0x80) ++seen;
    --begin;
  }
  while (begin > prefix.size() && text[begin - 1] != '\n') --begin;
  return text.substr(begin);
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
using detail::Judge;
using detail::Judgement;
using detail::OutputReading;

// A run of whole lines: bytes [begin, end).
struct Chunk {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// `text` in runs of whole lines holding at least `min_high` upper-half bytes each (the last
// run takes what is left).
std::vector<Chunk> SplitIntoChunks(std::string_view text, std::int64_t min_high) {
  std::vector<Chunk> chunks;
  Chunk current;
  std::int64_t high = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x80) ++high;
    if (text[i] == '\n' && high >= min_high) {
      current.end = i + 1;
      chunks.push_back(current);
      current.begin = i + 1;
      high = 0;
    }
  }
  current.end = text.size();
  if (current.end > current.begin) {
    // A short tail joins the run before it.
    if (high < min_high && !chunks.empty()) {
      chunks.back().end = current.end;
    } else {
      chunks.push_back(current);
    }
  }
  return chunks;
}

// What `steps` make of `text`, as UTF-8.
std::string Reading(std::string_view text, const RepairSteps& steps) {
  return ApplyRepair(text, steps, RepairOutput::kUtf8);
}

// What reading `text` with `steps` costs, in centibits, for comparing chains on one stretch:
// the cost per character of the reading times the text's upper-half bytes, and the bytes an
// 8-bit chain turned into ASCII at the price of a lost character.
double StretchCost(std::string_view text, const RepairSteps& steps) {
  const auto high = static_cast<std::int64_t>(std::count_if(
      text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
  const Tally t = detail::TallyOfUtf8(Reading(text, steps));
  const bool utf8 = std::any_of(steps.begin(), steps.end(),
                                [](const RepairStep& s) { return s.kind != Kind::kConvert; });
  const std::int64_t lost = utf8 ? 0 : std::max<std::int64_t>(0, high - t.relevant);
  return detail::CostPerChar(t) * static_cast<double>(high) +
         static_cast<double>(kRepairLimits.lost_char * lost);
}

// The line boundary in [from, to) of `text` where reading with `a` before it and `b` after
// it costs least.
std::size_t BestSplit(std::string_view text, std::size_t from, std::size_t to, const RepairSteps& a,
                      const RepairSteps& b) {
  std::size_t best_at = from;
  double best = 0;  // cost of splitting at `best_at` less that of splitting at `from`
  double running = 0;
  std::size_t start = from;
  while (start < to) {
    std::size_t end = text.find('\n', start);
    end = end == std::string_view::npos || end >= to ? to : end + 1;
    const std::string_view line = text.substr(start, end - start);
    running += StretchCost(line, a) - StretchCost(line, b);
    if (running < best) {
      best = running;
      best_at = end;
    }
    start = end;
  }
  return best_at;
}

std::size_t LineOf(std::string_view text, std::size_t offset) {
  return 1 + static_cast<std::size_t>(std::count(
                 text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

// Whether `part` reads clearly better by a chain of its own than by the one judged for the
// text it belongs to.
bool ReadsOtherwise(std::string_view part, const Judgement& start, RepairOutput output) {
  const Judgement j = Judge(part, true, output);
  return j.decided && Reading(part, j.steps) != Reading(part, start.steps) &&
         StretchCost(part, start.steps) - StretchCost(part, j.steps) >=
             100 * kRepairLimits.stretch_min_bits;
}

// Whether the end of a text longer than its scored prefix reads otherwise than the prefix.
bool EndReadsOtherwise(std::string_view text, std::string_view prefix, const Judgement& start,
                       RepairOutput output) {
  return prefix.size() != text.size() && ReadsOtherwise(ScoredEnd(text, prefix), start, output);
}

// The stretches of a text whose parts read best with different chains, or none when one
// chain (`whole`'s) serves all of it.
std::vector<RepairStretch> FindStretches(std::string_view text, const Judgement& whole,
                                         RepairOutput output) {
  const auto high = static_cast<std::int64_t>(std::count_if(
      text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
  const std::vector<Chunk> chunks = SplitIntoChunks(
      text, std::max(kRepairLimits.stretch_min_high,
                     high / std::max<std::int64_t>(1, kRepairLimits.max_stretches)));
  if (chunks.size() < 2) return {};
  // Each chunk's own chain where it has one, else none yet.
  std::vector<std::optional<RepairSteps>> chains(chunks.size());
  bool differs = false;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    const std::string_view part = text.substr(chunks[i].begin, chunks[i].end - chunks[i].begin);
    const Judgement j = Judge(part, true, output);
    if (!j.decided) continue;
    chains[i] = j.steps;
    // A chunk differs when its own chain reads it better than the whole text's chain by a
    // clear margin; else the whole text's chain serves it too.
    if (Reading(part, j.steps) == Reading(part, whole.steps)) continue;
    const double gain = StretchCost(part, whole.steps) - StretchCost(part, j.steps);
    if (gain >= 100 * kRepairLimits.stretch_min_bits) {
      differs = true;
    } else {
      chains[i] = whole.steps;
    }
  }
  if (!differs) return {};
  // A chunk without a chain of its own takes its neighbour's.
  for (std::size_t i = 1; i < chunks.size(); ++i) {
    if (!chains[i]) chains[i] = chains[i - 1];
  }
  for (std::size_t i = chunks.size() - 1; i-- > 0;) {
    if (!chains[i]) chains[i] = chains[i + 1];
  }
  std::vector<RepairStretch> stretches;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    if (!stretches.empty() && stretches.back().steps == *chains[i]) {
      stretches.back().end = chunks[i].end;
      continue;
    }
    RepairStretch s;
    s.begin = chunks[i].begin;
    s.end = chunks[i].end;
    s.steps = *chains[i];
    if (!stretches.empty()) {
      // The boundary falls at the line where the chains' costs cross.
      RepairStretch& before = stretches.back();
      const std::size_t from = i >= 1 ? chunks[i - 1].begin : before.begin;
      const std::size_t at =
          BestSplit(text, std::max(from, before.begin), s.end, before.steps, s.steps);
      before.end = at;
      s.begin = at;
    }
    stretches.push_back(std::move(s));
  }
  // Splits may have emptied a stretch; a stretch its neighbour's chain reads about as well
  // joins the neighbour.
  for (bool changed = true; changed;) {
    std::erase_if(stretches, [](const RepairStretch& s) { return s.end <= s.begin; });
    changed = false;
    for (std::size_t i = 0; i < stretches.size() && !changed; ++i) {
      const std::string_view part =
          text.substr(stretches[i].begin, stretches[i].end - stretches[i].begin);
      const double own = StretchCost(part, stretches[i].steps);
      for (const std::size_t n : {i - 1, i + 1}) {
        if (n >= stretches.size()) continue;  // i - 1 wraps around at 0
        if (StretchCost(part, stretches[n].steps) - own < 100 * kRepairLimits.stretch_min_bits) {
          RepairStretch& into = stretches[n];
          into.begin = std::min(into.begin, stretches[i].begin);
          into.end = std::max(into.end, stretches[i].end);
          stretches[i].end = stretches[i].begin;
          changed = true;
          break;
        }
      }
    }
  }
  if (stretches.size() < 2) return {};
  bool damaged = false;
  for (RepairStretch& s : stretches) {
    s.first_line = LineOf(text, s.begin);
    s.last_line = LineOf(text, s.end - 1);
    s.damaged = !detail::AsItStands(s.steps, output);
    damaged = damaged || s.damaged;
  }
  if (!damaged) return {};
  return stretches;
}

// Whether UTF-8 `text` holds a character `output`'s page has no byte for.
bool HoldsWhatPageLacks(std::string_view text, RepairOutput output) {
  if (output == RepairOutput::kUtf8) return false;
  const ByteCodec& codec = detail::RepairCodec(static_cast<int>(output));
  bool lacks = false;
  WalkUtf8(text, true, [&](std::uint32_t cp) {
    lacks = lacks || cp > 0xFFFF || (cp != kReplacementCharacter && codec.FromUnicode(cp) < 0);
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
  if (options.keep_characters && j.verdict == RepairVerdict::kRepaired &&
      j.steps == OutputReading(RepairOutput::kUtf8) && result.utf8_text &&
      HoldsWhatPageLacks(prefix, output)) {
    j.verdict = RepairVerdict::kNotDamaged;
    j.steps = {{Kind::kKeep, 0}};
    j.reason =
        std::string("valid UTF-8 with characters ") +
        std::string(output == RepairOutput::kWindows ? "cp-1251"
                                                     : CodePageName(static_cast<int>(output))) +
        " lacks";
  }
  // Stretches are sought in a text the window holds whole when no chain repairs its start, or
  // its start reads as untypical Russian, or its end reads by another chain.
  if (text.size() <= kSmartRepairWindow &&
      (j.verdict == RepairVerdict::kCannotRepair ||
       (j.decided && j.quality < kRepairLimits.stretch_below_quality) ||
       EndReadsOtherwise(text, prefix, j, output) || !j.decided)) {
    std::vector<RepairStretch> stretches = FindStretches(text, j, output);
    if (!stretches.empty()) {
      result.verdict = RepairVerdict::kRepaired;
      result.confidence = j.confidence;
      result.plan = {{}, std::move(stretches)};
      return result;
    }
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
  // The characters' UTF-8 form is what the analysis sees; read as UTF-8, they stand as given.
  UnicodeRepair result{AnalyzeForRepair(utf8, {.output = RepairOutput::kUtf8}), {}};
  const RepairAnalysis& analysis = result.analysis;
  // Only a chain that starts from the characters (a UTF-8 step first) explains them: 8-bit
  // conversions apply to bytes, not to UTF-8.
  const auto from_characters = [](const RepairSteps& steps) {
    return !steps.empty() && steps.front().kind != RepairStep::Kind::kConvert;
  };
  bool explained = analysis.verdict == RepairVerdict::kRepaired;
  if (explained && analysis.plan.stretches.empty()) explained = from_characters(analysis.steps);
  for (const RepairStretch& s : analysis.plan.stretches) {
    explained = explained && (!s.damaged || from_characters(s.steps));
  }
  if (explained) {
    result.text = ApplyPlan(utf8, analysis.plan, RepairOutput::kUtf8);
  } else {
    result.text = std::string(utf8);
    if (analysis.verdict == RepairVerdict::kRepaired) {
      result.analysis.verdict = RepairVerdict::kCannotRepair;
      result.analysis.steps.clear();
      result.analysis.plan = {{{RepairStep::Kind::kReadUtf8, 0}}, {}};
      result.analysis.reason = "no chain from the characters gives Russian text";
    }
  }
  return result;
}

}  // namespace cyrvert
