#include "engine/engine_status.h"

namespace cyrvert {

std::string_view EngineStatusName(EngineStatus status) {
  switch (status) {
    case EngineStatus::kDone:
      return "done";
    case EngineStatus::kQuitting:
      return "quitting";
    case EngineStatus::kNoMemory:
      return "no memory";
    case EngineStatus::kTooFewLetters:
      return "too few upper-half bytes";
    case EngineStatus::kNothingFound:
      return "nothing found";
    case EngineStatus::kStopped:
      return "stopped";
    case EngineStatus::kNoText:
      return "no text";
    case EngineStatus::kBadConversion:
      return "no such conversion";
    case EngineStatus::kDecodeFailed:
      return "decode failed";
    case EngineStatus::kCancelled:
      return "cancelled";
    case EngineStatus::kSaveFailed:
      return "save failed";
    case EngineStatus::kNotImplemented:
      return "not implemented";
  }
  return "unknown status";
}

}  // namespace cyrvert
