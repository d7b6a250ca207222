#include "commands/smart_repair_command.h"

#include <new>
#include <string>

#include "resources/strings.h"

namespace cyrvert {

EngineStatus SmartRepairText(DocumentHost& view, CommandHost& host) {
  const std::string text = view.GetViewText();
  // The repair opens beside the text, so a character cp-1251 lacks may become "?".
  const RepairAnalysis analysis =
      AnalyzeForRepair(text, {.output = RepairOutput::kWindows, .keep_characters = false});
  switch (analysis.verdict) {
    case RepairVerdict::kEmpty:
      host.ShowMessage(strings::kNoText, strings::kSmartRepairCaption, MessageIcon::kStop);
      return EngineStatus::kNoText;
    case RepairVerdict::kNotDamaged:
      host.ShowMessage(strings::kNotDamaged, strings::kSmartRepairCaption,
                       MessageIcon::kInformation);
      return EngineStatus::kDone;
    case RepairVerdict::kCannotRepair:
      host.ShowMessage(strings::kCannotRepair, strings::kSmartRepairCaption,
                       MessageIcon::kExclamation);
      return EngineStatus::kNothingFound;
    case RepairVerdict::kRepaired:
      break;
  }
  // In cp-1251 the repaired text is never longer than the damaged one.
  std::string block;
  if (!host.Allocate(block, text.size())) {
    host.ShowMessage(strings::kNotEnoughMemory, strings::kAppTitle, MessageIcon::kStop);
    return EngineStatus::kNoMemory;
  }
  block.clear();
  try {
    if (analysis.plan.stretches.empty()) {
      RepairStream stream(analysis.steps, RepairOutput::kWindows);
      stream.Feed(text, block);
      stream.Finish(block);
    } else {
      block = ApplyPlan(text, analysis.plan, RepairOutput::kWindows);
    }
  } catch (const std::bad_alloc&) {
    host.ShowMessage(strings::kNotEnoughMemory, strings::kAppTitle, MessageIcon::kStop);
    return EngineStatus::kNoMemory;
  }
  DocumentHost* window = host.OpenNewDocumentWindow();
  // A window that cannot take the text is closed again: an empty result would save as an
  // empty file.
  if (window != nullptr && !window->PutViewText(block)) {
    window->CloseWindow();
    window = nullptr;
  }
  if (window == nullptr) {
    host.ShowMessage(strings::kNotEnoughMemory, strings::kAppTitle, MessageIcon::kStop);
    return EngineStatus::kNoMemory;
  }
  window->SetTitle(window->Title() + RepairTitleSuffix(analysis.plan));
  window->SetModified(false);
  window->Redraw();
  return EngineStatus::kDone;
}

std::string RepairTitleSuffix(const RepairPlan& plan) {
  if (!plan.stretches.empty()) return " (" + PlanCodes(plan) + ": " + DescribePlan(plan) + ")";
  // The words tell the damage as it happened, the last repair step first.
  const RepairSteps as_happened(plan.steps.rbegin(), plan.steps.rend());
  return " (" + RepairCodes(as_happened) + ": " + DescribeRepair(plan.steps) + ")";
}

}  // namespace cyrvert
