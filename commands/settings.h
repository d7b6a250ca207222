// The user options, named as they are stored. Plain data: the application object owns
// the one record of the process; commands read it from there when they need a value.
#pragma once

#include <cstdint>

#include "engine/variant_search.h"

namespace cyrvert {

// Largest fixed search depth the options take: the engine's deepest search.
inline constexpr std::int32_t kMaxDepth = kMaxSearchDepth;

struct Settings {
  std::int32_t Depth = 0;             // 0 automatic, 1..kMaxDepth fixed search depth
  std::int32_t Sense = 0;             // 0 automatic; 5, 4, 3, 2 fixed sensitivity
  std::int32_t AutoClip = 0;          // decode new clipboard text automatically
  std::int32_t N_best = 0;            // 0 no limit, 1..kMaxBest best variants kept
  std::int32_t Out_to = 0;            // 0 separate windows, 1 variant list dialog
  std::int32_t Tray = 1;              // show the tray icon
  std::int32_t Import = 2;            // import result: 0 file, 1 new window, 2 ask
  std::int32_t Target = 0;            // 0 WINDOWS, 1 DOS, 2 KOI8-R, 3 ISO
  std::int32_t BigLetters = 0;        // capitals take part in the letter statistics
  std::int32_t ShowTranslateWay = 0;  // append the conversion path to result titles
  std::int32_t ClipOnlyDamaged = 0;   // clipboard: repair its characters, open only damage
  bool operator==(const Settings&) const = default;
};

}  // namespace cyrvert
