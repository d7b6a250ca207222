// Platforms without a start-up switch for huge pages: nothing to do.
#include "platform/huge_pages.h"

namespace cyrvert::platform {

void UseHugePagesForLargeBuffers(char**) {}

}  // namespace cyrvert::platform
