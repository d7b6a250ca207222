#include "commands/smart_repair_command.h"

#include <string>

#include "engine/smart_repair.h"
#include "resources/strings.h"

namespace cyrvert {

EngineStatus SmartRepairText(DocumentHost& view, CommandHost& host) {
  const std::string text = view.GetViewText();
  const RepairAnalysis analysis = AnalyzeForRepair(text);
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
  RepairStream stream(analysis.steps, RepairOutput::kWindows);
  stream.Feed(text, block);
  stream.Finish(block);
  DocumentHost* window = host.OpenNewDocumentWindow();
  if (window == nullptr) {
    host.ShowMessage(strings::kNotEnoughMemory, strings::kAppTitle, MessageIcon::kStop);
    return EngineStatus::kNoMemory;
  }
  window->PutViewText(block);
  window->SetTitle(window->Title() + " (" + RepairCodes(analysis.steps) + ": " +
                   DescribeRepair(analysis.steps) + ")");
  window->SetModified(false);
  window->Redraw();
  return EngineStatus::kDone;
}

}  // namespace cyrvert
