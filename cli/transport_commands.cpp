// import and export.
#include <ostream>

#include "cli/cli.h"

namespace cyrvert::cli {

int RunImport(const Args&, std::ostream&, std::ostream& err) {
  err << "cyrvert-cli: import is not built yet\n";
  return kExitUsage;
}
int RunExport(const Args&, std::ostream&, std::ostream& err) {
  err << "cyrvert-cli: export is not built yet\n";
  return kExitUsage;
}

}  // namespace cyrvert::cli
