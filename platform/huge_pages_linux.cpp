// glibc reads its tunables once, at process start, so the setting needs a fresh image of the
// program: set it in the environment and exec /proc/self/exe with the same arguments. The
// setting stays in the environment, so the new image (and any child) does not restart again.
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/huge_pages.h"

namespace cyrvert::platform {

void UseHugePagesForLargeBuffers(char** argv) {
#if defined(__GLIBC__)
  constexpr std::string_view kName = "glibc.malloc.hugetlb";
  const char* current = std::getenv("GLIBC_TUNABLES");
  std::string tunables = current != nullptr ? current : "";
  // Already decided, by an earlier start or by the user.
  if (tunables.find(kName) != std::string::npos) return;
  if (!tunables.empty()) tunables += ':';
  tunables += kName;
  tunables += "=1";
  if (::setenv("GLIBC_TUNABLES", tunables.c_str(), 1) != 0) return;
  ::execv("/proc/self/exe", argv);
  // The restart failed: go on with ordinary pages.
#else
  (void)argv;
#endif
}

}  // namespace cyrvert::platform
