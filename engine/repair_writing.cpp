#include "engine/repair_writing.h"

namespace cyrvert {

RepairSteps WritingSteps(const RepairAnalysis& analysis, RepairOutput output) {
  return WritingPlan(analysis, output).steps;
}

RepairPlan WritingPlan(const RepairAnalysis& analysis, RepairOutput output) {
  if (analysis.verdict == RepairVerdict::kRepaired) {
    if (analysis.plan.steps.empty() && analysis.plan.stretches.empty()) {
      return {analysis.steps, {}};  // an analysis made by hand, with steps only
    }
    return analysis.plan;
  }
  // Analysis fills the plan for the output it was told; an analysis for cp-1251 (the
  // default) written in another form reads a UTF-8 text as the UTF-8 it is.
  if (!analysis.plan.steps.empty() || output == RepairOutput::kWindows || !analysis.utf8_text) {
    return analysis.plan;
  }
  return {{{RepairStep::Kind::kReadUtf8, 0}}, {}};
}

}  // namespace cyrvert
