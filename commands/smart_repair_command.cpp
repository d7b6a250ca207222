#include "commands/smart_repair_command.h"

#include <string>

#include "engine/smart_repair.h"
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
  if (analysis.plan.stretches.empty()) {
    RepairStream stream(analysis.steps, RepairOutput::kWindows);
    stream.Feed(text, block);
    stream.Finish(block);
  } else {
    block = ApplyPlan(text, analysis.plan, RepairOutput::kWindows);
  }
  DocumentHost* window = host.OpenNewDocumentWindow();
  if (window == nullptr) {
    host.ShowMessage(strings::kNotEnoughMemory, strings::kAppTitle, MessageIcon::kStop);
    return EngineStatus::kNoMemory;
  }
  window->PutViewText(block);
  window->SetTitle(window->Title() + " (" + PlanCodes(analysis.plan) + ": " +
                   DescribePlan(analysis.plan) + ")");
  window->SetModified(false);
  window->Redraw();
  return EngineStatus::kDone;
}

}  // namespace cyrvert
