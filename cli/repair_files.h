// repair on many files: every target planned before anything is written, then each file
// analysed and written to --output-dir or in place, one record at a time.
#pragma once

#include <iosfwd>

#include "cli/cli.h"
#include "cli/repair_command.h"

namespace cyrvert::cli {

// Runs the batch; `hook` (may be empty) sees each file's events.
int RepairFiles(const RepairOptions& options, Output& out, std::ostream& err,
                const RepairHook& hook);

}  // namespace cyrvert::cli
