// The verdict on one stretch of text: the candidate readings weighed against the text as it
// stands, by the evidence each gives.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/smart_repair.h"

namespace cyrvert::detail {

// The chain that reads a text written in `output` as cp-1251: how the text reads "as it
// stands" when that is the output's form.
RepairSteps OutputReading(RepairOutput output);

// Whether `steps` read the text as it stands: as cp-1251, or as the output's form.
bool AsItStands(const RepairSteps& steps, RepairOutput output);

// A verdict on one stretch of text (or all of it).
struct Judgement {
  RepairVerdict verdict = RepairVerdict::kNotDamaged;
  RepairSteps steps;  // the repair; for a text left alone, how it reads best as it stands
  double confidence = 0.0;
  std::string reason;
  bool decided = false;               // enough Russian to stand on its own
  double quality = 0.0;               // how typical of Russian the chosen reading is, 0..1
  bool neighbour = false;             // the chosen reading has Bulgarian or Ukrainian signs
  std::vector<RepairSteps> readings;  // the chains of the cheapest few readings, cheapest first
};

// Where a judged stretch lies: at the start of its text (where a sentence starts) or within.
enum class Place { kTextStart, kWithin };

// The verdict on `text` (`whole`: nothing follows it) for a result written as `output`.
Judgement Judge(std::string_view text, bool whole, RepairOutput output, Place place);

}  // namespace cyrvert::detail
