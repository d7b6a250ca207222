// The one status type of the engine and its commands.
#pragma once

#include <string_view>

namespace cyrvert {

// How a search or an engine command ended. The values are the codes the commands have
// always reported (0 done, negative failures).
enum class EngineStatus : int {
  kDone = 0,
  kQuitting = -1,         // the program is closing
  kNoMemory = -3,         // no memory (or no window) for a result
  kTooFewLetters = -10,   // fewer than 10 upper-half bytes to search on
  kNothingFound = -11,    // no chain explains the text
  kStopped = -13,         // the user asked to stop
  kNoText = -20,          // the document is empty
  kBadConversion = -21,   // a conversion index outside 0..11
  kDecodeFailed = -30,    // the text is not in the import's encoding
  kCancelled = -31,       // the user or the Import setting cancelled the delivery
  kSaveFailed = -32,      // the chosen file could not be written
  kNotImplemented = -33,  // a menu item with nothing behind it yet
};

// A short English name of `status`, for logs and test output.
std::string_view EngineStatusName(EngineStatus status);

}  // namespace cyrvert
