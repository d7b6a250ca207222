// The Smart repair command: the active document's text repaired by the smart engine in a new
// window, or a message that it is not damaged or cannot be repaired.
#pragma once

#include <string>

#include "commands/command_host.h"
#include "engine/engine_status.h"
#include "engine/smart_repair.h"

namespace cyrvert {

// Analyses `view`'s text; a repair opens in a new window titled with its steps (characters
// cp-1251 lacks become "?"), anything else is told in a message box. The view is not changed.
// kDone for a repair or an undamaged text, kNothingFound when it cannot be repaired.
EngineStatus SmartRepairText(DocumentHost& view, CommandHost& host);

// What a repair window's title adds: " (K2W,U2W: KOI8-R read as cp-1251, then cp-1251 encoded
// to UTF-8)", the step codes in the order the words tell the damage; per stretch for a text
// repaired in parts.
std::string RepairTitleSuffix(const RepairPlan& plan);

}  // namespace cyrvert
