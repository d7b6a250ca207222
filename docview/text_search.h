// Search over single-byte text with the editor's byte table: case folding and word
// boundaries follow the characters the bytes show, so Cyrillic letters match either case.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace cyrvert {

// How to search.
struct SearchOptions {
  bool match_case = false;  // otherwise letters match in either case
  bool whole_word = false;  // the match must not touch letters, digits or "_" on either side
  bool forward = true;      // otherwise the last match ending at or before `from`
};

// Offset of the next occurrence of `needle` in `text`: forward, the first starting at or after
// `from`; backward, the last ending at or before `from`. Nothing for an empty needle.
std::optional<std::size_t> FindBytes(std::string_view text, std::string_view needle,
                                     std::size_t from, const SearchOptions& options);

}  // namespace cyrvert
