// The manual commands: one chosen conversion, and setting the eighth bit of every byte.
#pragma once

#include "commands/command_host.h"

namespace cyrvert {

// Opens `view`'s text converted by `conversion` in a new window; returns a status.
EngineStatus TranslateText(DocumentHost& view, CommandHost& host, int conversion);

// Opens `view`'s text with bit 7 set in every byte in a new window; returns a status.
EngineStatus SetEighthBit(DocumentHost& view, CommandHost& host);

}  // namespace cyrvert
