// The manual commands: one chosen conversion, and setting the eighth bit of every byte.
#pragma once

#include "engine/commands/command_host.h"

namespace cyrvert {

// Status of a manual command run on an empty document.
inline constexpr int kStatusNoText = -20;
// Status of a translate asked for a conversion outside 0..11.
inline constexpr int kStatusBadConversion = -21;

// Opens `view`'s text converted by `conversion` in a new window; returns a status.
int TranslateText(DocumentHost& view, CommandHost& host, int conversion);

// Opens `view`'s text with bit 7 set in every byte in a new window; returns a status.
int SetEighthBit(DocumentHost& view, CommandHost& host);

}  // namespace cyrvert
