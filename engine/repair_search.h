// The search of smart repair: every candidate chain of steps scored on a text, 8-bit chains
// ranked on a sample first so that only the best few are scored on all of it.
#pragma once

#include <string_view>
#include <vector>

#include "engine/repair_heuristic.h"
#include "engine/repair_plan.h"

namespace cyrvert::detail {

// One reading of the text: the chain that gives it, its tally and its cost.
struct Candidate {
  RepairSteps steps;
  Tally tally;
  double cost = 0;
};

// Every candidate reading of `text` (the text as it stands first) by chains of up to
// kMaxRepairSteps steps. `whole`: `text` is the whole text, so a UTF-8 sequence cut at its
// end is damage rather than the edge of a prefix.
std::vector<Candidate> SearchReadings(std::string_view text, bool whole);

// The tally of UTF-8 text (a repaired reading) as the scorer sees it, every character counted.
Tally TallyOfUtf8(std::string_view utf8);

// What a tally costs in all (not per character): for comparing readings of one stretch.
double TotalCost(const Tally& t);

}  // namespace cyrvert::detail
