// txtassoc: run with "/uninstall" on removal of the editor, gives the .txt association back to
// the program that had it, unless another program took it since. Silent, exit status 0 always.
#include <exception>

#include "assoc/txt_association.h"

int main(int argc, char** argv) {
  try {
    if (cyrvert::CommandTail(argc, argv) != "/uninstall") return 0;
    const cyrvert::TxtAssociation association(cyrvert::XdgDirsFromEnvironment());
    association.Uninstall();
  } catch (const std::exception&) {
    // Nothing to report to: the uninstall goes on either way.
  }
  return 0;
}
