#include "transport/text_file.h"

#include <cstdio>

namespace cyrvert {

SaveError SaveTextToFile(const std::string& path, std::string_view text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return SaveError::kOpen;
  const bool written =
      std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;
  if (!written) return SaveError::kWrite;
  return closed ? SaveError::kNone : SaveError::kClose;
}

}  // namespace cyrvert
