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
  // What writes the text in the output form: for a repair its steps, or a chain per stretch
  // when parts of the text were damaged differently ("partly repaired": the verdict is then
  // kRepaired and `steps` is empty); for a text left alone, the steps that write it as it is.
  RepairPlan plan;
  std::string reason;  // why the text is left alone or cannot be repaired, for --explain
};

// The verdict as messages give it: RepairVerdictName, or "partly repaired" for a repair by
// stretches.
std::string_view VerdictName(const RepairAnalysis& analysis);

// What analysis needs to know besides the text.
struct AnalysisOptions {
  // The form the result is written in: a text that already reads right in it is not damaged.
  RepairOutput output = RepairOutput::kWindows;
  // Leave alone valid UTF-8 holding characters the output's page lacks (rather than write "?"
  // for them): for a result that replaces its source. A result shown beside its source may
  // drop them.
  bool keep_characters = true;
};

// Bytes from the start of a text that analysis looks at; a caller that streams reads this
// much (or the whole input, if shorter) before analysing.
inline constexpr std::size_t kSmartRepairWindow = 64 * 1024;

// Decides the verdict and plan from the start of `text` (at most kSmartRepairWindow bytes
// are read), for a result written in cp-1251. Linear in that window.
RepairAnalysis AnalyzeForRepair(std::string_view text);
// The same, for a result written as `options` say: a text that reads right in the output's
// page (or is clean UTF-8, for UTF-8 output) is not damaged, and valid UTF-8 holding
// characters no Cyrillic page has is not damaged unless the output is UTF-8. Stretches of a
// partly damaged text are found only when the whole text fits the window.
RepairAnalysis AnalyzeForRepair(std::string_view text, const AnalysisOptions& options);

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
