// cyrvert-cli repair: smart repair of one text (streamed) or of many files.
#pragma once

#include <iosfwd>

#include "cli/cli.h"

namespace cyrvert::cli {

int RunRepair(const Args& args, std::ostream& out, std::ostream& err);

// The repair part of --help.
void PrintRepairUsage(std::ostream& out);

}  // namespace cyrvert::cli
