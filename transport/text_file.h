// Writing a result to a file the user chose.
#pragma once

#include <string>
#include <string_view>

namespace cyrvert {

// What went wrong while saving; kNone when the whole text was written.
enum class SaveError : int { kNone = 0, kOpen, kWrite, kClose };

// Creates or truncates `path` and writes `text` to it as bytes. Reports failure to open,
// write or close, so a file that was not written never looks saved.
SaveError SaveTextToFile(const std::string& path, std::string_view text);

}  // namespace cyrvert
