// cyrvert-cli repair: smart repair of one text (streamed) or of many files.
#pragma once

#include <iosfwd>

#include "cli/cli.h"

namespace cyrvert::cli {

int RunRepair(const Invocation& call, Output& out, std::ostream& err);

}  // namespace cyrvert::cli
