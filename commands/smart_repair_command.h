// The Smart repair command: the active document's text repaired by the smart engine in a new
// window, or a message that it is not damaged or cannot be repaired.
#pragma once

#include "commands/command_host.h"
#include "engine/engine_status.h"

namespace cyrvert {

// Analyses `view`'s text; a repair opens in a new window titled with its steps (characters
// cp-1251 lacks become "?"), anything else is told in a message box. The view is not changed.
// kDone for a repair or an undamaged text, kNothingFound when it cannot be repaired.
EngineStatus SmartRepairText(DocumentHost& view, CommandHost& host);

}  // namespace cyrvert
