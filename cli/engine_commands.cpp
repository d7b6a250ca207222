// decode, translate and set8bit.
#include <ostream>

#include "cli/cli.h"

namespace cyrvert::cli {

int RunDecode(const Args&, std::ostream&, std::ostream& err) {
  err << "cyrvert-cli: decode is not built yet\n";
  return kExitUsage;
}
int RunTranslate(const Args&, std::ostream&, std::ostream& err) {
  err << "cyrvert-cli: translate is not built yet\n";
  return kExitUsage;
}
int RunSet8Bit(const Args&, std::ostream&, std::ostream& err) {
  err << "cyrvert-cli: set8bit is not built yet\n";
  return kExitUsage;
}

}  // namespace cyrvert::cli
