#include "engine/repair_writing.h"

namespace cyrvert {

RepairSteps WritingSteps(const RepairAnalysis& analysis, RepairOutput output) {
  if (analysis.verdict == RepairVerdict::kRepaired) return analysis.steps;
  if (output != RepairOutput::kWindows && analysis.utf8_text) {
    return {{RepairStep::Kind::kReadUtf8, 0}};
  }
  return {};
}

}  // namespace cyrvert
