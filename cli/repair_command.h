// cyrvert-cli repair: smart repair of one text (streamed) or of many files.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "engine/smart_repair.h"

namespace cyrvert::cli {

// The options of one repair run, checked.
struct RepairOptions {
  RepairOutput target = RepairOutput::kWindows;  // the page written without --utf8
  bool utf8 = false;
  bool explain = false;
  bool json = false;
  bool in_place = false;
  bool no_backup = false;
  bool dry_run = false;
  std::string output_dir;
  std::vector<std::string> files;  // "-" is standard input
};

// Points of a file's repair a caller may watch (tests hold a run there).
enum class RepairEvent {
  kOpening,   // about to open (and, in place, lock) the file
  kWaiting,   // in place: another run holds the file's lock; waiting for it
  kAnalysed,  // the start was read and judged; nothing written yet
  kWritten,   // the result is written beside its target, which is not yet replaced
};

// Called at each RepairEvent with the file's name as given.
using RepairHook = std::function<void(RepairEvent event, const std::string& file)>;

// The repair sub-command.
int RunRepair(const Invocation& call, Output& out, std::ostream& err);

// The same, calling `hook` at each event of each file.
int RunRepairWith(const Invocation& call, Output& out, std::ostream& err, const RepairHook& hook);

}  // namespace cyrvert::cli
