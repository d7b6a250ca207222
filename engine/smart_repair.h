// Smart repair: finds whether a text is damaged Russian and, if so, the chain of wrong
// readings (8-bit conversions and UTF-8 mix-ups) that explains it, by how Russian each
// candidate reading looks to a letter-bigram model.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/repair_plan.h"

namespace cyrvert {

enum class RepairVerdict {
  kRepaired,      // a chain of steps restores Russian text
  kNotDamaged,    // the text reads as it should (or is no Russian text at all)
  kCannotRepair,  // looks damaged, but no chain gives Russian text (or too short to tell)
  kEmpty,         // no text
};

// "repaired", "not damaged", "cannot repair", "empty".
std::string_view RepairVerdictName(RepairVerdict verdict);

// What analysis concluded.
struct RepairAnalysis {
  RepairVerdict verdict = RepairVerdict::kEmpty;
  RepairSteps steps;        // empty unless repaired
  double confidence = 0.0;  // 0..1
  bool utf8_text = false;   // the start of the text is valid UTF-8 as it stands
};

// Bytes from the start of a text that analysis looks at; a caller that streams reads this
// much (or the whole input, if shorter) before analysing.
inline constexpr std::size_t kSmartRepairWindow = 64 * 1024;

// Decides the verdict and steps from the start of `text` (at most kSmartRepairWindow bytes
// are read). Linear in that window; allocates little.
RepairAnalysis AnalyzeForRepair(std::string_view text);

// The repair of a text that arrived as characters rather than bytes (the clipboard, a
// browser's text box, a str in Python), given and returned as UTF-8.
struct UnicodeRepair {
  RepairAnalysis analysis;  // verdict, steps and confidence
  std::string text;         // the repaired text as UTF-8; the input itself unless repaired
};

// Repairs Unicode text: mojibake such as "РџСЂРёРІРµС‚" or "Ð¿Ñ€Ð¸Ð²ÐµÑ‚" comes back as
// Russian; clean text, and text that is no Russian, comes back unchanged.
UnicodeRepair RepairUnicodeText(std::string_view utf8);

}  // namespace cyrvert
