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
using detail::Place;
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

// `text` in stretches of whole lines, each read by one of `chains`: the cheapest such reading,
// a change of chain between lines costing `switch_cost` (centibits) and the text starting and
// ending in the first chain, found line by line in one pass (lines without upper-half bytes
// read alike by every chain).
std::vector<RepairStretch> AssignLines(std::string_view text,
                                       const std::vector<RepairSteps>& chains, double switch_cost) {
  const std::size_t k = chains.size();
  // The text starts and ends in the first chain: a stretch read otherwise pays two changes,
  // wherever it stands.
  std::vector<double> total(k, switch_cost);
  total[0] = 0.0;
  std::vector<double> cost(k, 0.0);
  std::vector<std::uint8_t> from;  // per line and chain: the chain the line before was read by
  std::vector<std::size_t> ends;   // each line's end
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    const std::string_view line = text.substr(start, end - start);
    const bool high = std::any_of(line.begin(), line.end(),
                                  [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    for (std::size_t c = 0; c < k; ++c) cost[c] = high ? StretchCost(line, chains[c]) : 0.0;
    const double cheapest_total = *std::min_element(total.begin(), total.end());
    const auto cheapest =
        static_cast<std::uint8_t>(std::min_element(total.begin(), total.end()) - total.begin());
    for (std::size_t c = 0; c < k; ++c) {
      const bool stay = total[c] <= cheapest_total + switch_cost;
      from.push_back(stay ? static_cast<std::uint8_t>(c) : cheapest);
      total[c] = (stay ? total[c] : cheapest_total + switch_cost) + cost[c];
    }
    ends.push_back(end);
    start = end;
  }
  // Back from the cheapest ending, line by line.
  for (std::size_t c = 1; c < k; ++c) total[c] += switch_cost;
  std::vector<std::uint8_t> chain_of(ends.size());
  std::size_t c =
      static_cast<std::size_t>(std::min_element(total.begin(), total.end()) - total.begin());
  for (std::size_t line = ends.size(); line-- > 0;) {
    chain_of[line] = static_cast<std::uint8_t>(c);
    c = from[line * k + c];
  }
  // Lines every chain reads alike (no upper-half bytes) go with the stretch before them.
  for (std::size_t line = 1; line < ends.size(); ++line) {
    const std::size_t begin = ends[line - 1];
    const auto part = text.substr(begin, ends[line] - begin);
    if (std::none_of(part.begin(), part.end(),
                     [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; })) {
      chain_of[line] = chain_of[line - 1];
    }
  }
  std::vector<RepairStretch> stretches;
  for (std::size_t line = 0; line < ends.size(); ++line) {
    if (!stretches.empty() && stretches.back().steps == chains[chain_of[line]]) {
      stretches.back().end = ends[line];
      continue;
    }
    RepairStretch stretch;
    stretch.begin = line == 0 ? 0 : ends[line - 1];
    stretch.end = ends[line];
    stretch.steps = chains[chain_of[line]];
    stretches.push_back(std::move(stretch));
  }
  return stretches;
}

// Whether `part` reads clearly better by a chain of its own than by the one judged for the
// text it belongs to.
bool ReadsOtherwise(std::string_view part, const Judgement& start, RepairOutput output) {
  const Judgement j = Judge(part, true, output, Place::kWithin);
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
  // The chains of the chunks that read clearly better by a chain of their own than by the
  // whole text's; none when no chunk does.
  const auto chains_of_chunks = [&](std::int64_t min_high) {
    std::vector<RepairSteps> found;
    const std::vector<Chunk> chunks = SplitIntoChunks(text, min_high);
    if (chunks.size() < 2) return found;
    for (const Chunk& chunk : chunks) {
      const std::string_view part = text.substr(chunk.begin, chunk.end - chunk.begin);
      const Judgement j =
          Judge(part, true, output, chunk.begin == 0 ? Place::kTextStart : Place::kWithin);
      if (!j.decided || Reading(part, j.steps) == Reading(part, whole.steps)) continue;
      const double gain = StretchCost(part, whole.steps) - StretchCost(part, j.steps);
      if (gain >= 100 * kRepairLimits.stretch_min_bits &&
          std::find(found.begin(), found.end(), j.steps) == found.end()) {
        found.push_back(j.steps);
      }
    }
    return found;
  };
  const std::int64_t most = kRepairLimits.max_stretches;
  std::vector<RepairSteps> found;
  // First, small chunks against the whole text's cheapest readings only (searching each in
  // full would cost too much): damage that comes and goes in short runs shows there. Not in a
  // text that reads as a neighbouring language, where no reading is Russian.
  if (!whole.neighbour) {
    const std::int64_t small =
        std::max(2 * kRepairLimits.stretch_min_high, high / kRepairLimits.max_small_chunks);
    const std::vector<Chunk> chunks = SplitIntoChunks(text, small);
    for (std::size_t i = 0; chunks.size() >= 2 && i < chunks.size(); ++i) {
      const std::string_view part = text.substr(chunks[i].begin, chunks[i].end - chunks[i].begin);
      const RepairSteps* best = nullptr;
      double best_cost = StretchCost(part, whole.steps) - 100 * kRepairLimits.stretch_min_bits;
      for (const RepairSteps& steps : whole.readings) {
        const double cost = StretchCost(part, steps);
        if (cost < best_cost) best = &steps, best_cost = cost;
      }
      if (best != nullptr && std::find(found.begin(), found.end(), *best) == found.end() &&
          ReadsAsRussian(detail::TallyOfUtf8(Reading(part, *best)))) {
        found.push_back(*best);
      }
    }
  }
  // Else larger chunks, each searched in full.
  if (found.empty())
    found = chains_of_chunks(std::max(kRepairLimits.stretch_min_high, high / most));
  if (found.empty()) return {};
  // Every line read by the one of the chains that suits it.
  found.insert(found.begin(), whole.steps);
  if (found.size() > static_cast<std::size_t>(most)) found.resize(static_cast<std::size_t>(most));
  std::vector<RepairStretch> stretches =
      AssignLines(text, found, 100 * kRepairLimits.stretch_min_bits / 2);
  if (stretches.size() < 2) return {};
  bool damaged = false;
  std::size_t line = 1;  // of the stretch's start; stretches follow one another
  for (RepairStretch& s : stretches) {
    s.first_line = line;
    line += static_cast<std::size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(s.begin),
                                                text.begin() + static_cast<std::ptrdiff_t>(s.end),
                                                '\n'));
    s.last_line = text[s.end - 1] == '\n' ? line - 1 : line;
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
  Judgement j = Judge(prefix, whole, output, Place::kTextStart);
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
