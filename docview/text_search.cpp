#include "docview/text_search.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "docview/byte_mapping.h"

namespace cyrvert {
namespace {

// Per byte: its lower-case byte, and whether it shows a word character.
struct FoldTables {
  std::array<unsigned char, 256> lower{};
  std::array<bool, 256> word{};
};

const FoldTables& Tables() {
  static const FoldTables tables = [] {
    FoldTables t;
    for (int b = 0; b < 256; ++b) {
      const char32_t cp = kViewCodec.ToUnicode(static_cast<unsigned char>(b));
      const int lower = kViewCodec.FromUnicode(QChar::toLower(cp));
      const auto i = static_cast<std::size_t>(b);
      t.lower[i] = static_cast<unsigned char>(lower < 0 ? b : lower);
      t.word[i] = QChar::isLetterOrNumber(cp) || cp == U'_';
    }
    return t;
  }();
  return tables;
}

// Whether the match of `size` bytes at `at` stands between non-word characters.
bool IsWholeWord(std::string_view text, std::size_t at, std::size_t size, const FoldTables& t) {
  const auto is_word = [&](std::size_t i) { return t.word[static_cast<unsigned char>(text[i])]; };
  const std::size_t end = at + size;
  return (at == 0 || !is_word(at - 1)) && (end == text.size() || !is_word(end));
}

// First match of `needle` met when reading text[begin, end) forward, or backward from its end.
// A prefix table (Knuth-Morris-Pratt) makes it one pass over the text whatever the needle
// repeats, so a search and a replace-all stay linear.
std::optional<std::size_t> Scan(std::string_view text, std::string_view needle, std::size_t begin,
                                std::size_t end, const SearchOptions& options,
                                const FoldTables& t) {
  const auto fold = [&](char c) {
    const auto b = static_cast<unsigned char>(c);
    return static_cast<char>(options.match_case ? b : t.lower[b]);
  };
  const std::size_t m = needle.size();
  // The needle as it is compared, in reading order, and its prefix table.
  std::string pattern(m, '\0');
  for (std::size_t k = 0; k < m; ++k) pattern[k] = fold(needle[options.forward ? k : m - 1 - k]);
  std::vector<std::size_t> prefix(m, 0);
  for (std::size_t k = 1, j = 0; k < m; ++k) {
    while (j > 0 && pattern[k] != pattern[j]) j = prefix[j - 1];
    if (pattern[k] == pattern[j]) ++j;
    prefix[k] = j;
  }
  std::size_t j = 0;
  for (std::size_t s = begin; s < end; ++s) {
    const std::size_t i = options.forward ? s : end - 1 - (s - begin);
    const char c = fold(text[i]);
    while (j > 0 && c != pattern[j]) j = prefix[j - 1];
    if (c == pattern[j]) ++j;
    if (j == m) {
      const std::size_t at = options.forward ? i + 1 - m : i;
      if (!options.whole_word || IsWholeWord(text, at, m, t)) return at;
      j = prefix[j - 1];
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::size_t> FindBytes(std::string_view text, std::string_view needle,
                                     std::size_t from, const SearchOptions& options) {
  if (needle.empty() || needle.size() > text.size()) return std::nullopt;
  const FoldTables& t = Tables();
  if (options.forward) {
    if (from > text.size() - needle.size()) return std::nullopt;
    return Scan(text, needle, from, text.size(), options, t);
  }
  return Scan(text, needle, 0, std::min(from, text.size()), options, t);
}

}  // namespace cyrvert
