#include "docview/text_search.h"

#include <QChar>
#include <array>
#include <cstdint>

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
      const char32_t cp = ByteToCodePoint(static_cast<std::uint8_t>(b));
      const int lower = CodePointToByte(QChar::toLower(cp));
      const auto i = static_cast<std::size_t>(b);
      t.lower[i] = static_cast<unsigned char>(lower < 0 ? b : lower);
      t.word[i] = QChar::isLetterOrNumber(cp) || cp == U'_';
    }
    return t;
  }();
  return tables;
}

bool MatchesAt(std::string_view text, std::string_view needle, std::size_t at,
               const SearchOptions& options, const FoldTables& t) {
  for (std::size_t k = 0; k < needle.size(); ++k) {
    auto a = static_cast<unsigned char>(text[at + k]);
    auto b = static_cast<unsigned char>(needle[k]);
    if (!options.match_case) {
      a = t.lower[a];
      b = t.lower[b];
    }
    if (a != b) return false;
  }
  if (!options.whole_word) return true;
  const auto is_word = [&](std::size_t i) { return t.word[static_cast<unsigned char>(text[i])]; };
  const std::size_t end = at + needle.size();
  return (at == 0 || !is_word(at - 1)) && (end == text.size() || !is_word(end));
}

}  // namespace

std::optional<std::size_t> FindBytes(std::string_view text, std::string_view needle,
                                     std::size_t from, const SearchOptions& options) {
  if (needle.empty() || needle.size() > text.size()) return std::nullopt;
  const FoldTables& t = Tables();
  const std::size_t last = text.size() - needle.size();
  if (options.forward) {
    for (std::size_t at = from; at <= last; ++at) {
      if (MatchesAt(text, needle, at, options, t)) return at;
    }
    return std::nullopt;
  }
  if (from < needle.size()) return std::nullopt;
  for (std::size_t at = std::min(from - needle.size(), last) + 1; at-- > 0;) {
    if (MatchesAt(text, needle, at, options, t)) return at;
  }
  return std::nullopt;
}

}  // namespace cyrvert
