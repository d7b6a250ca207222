#include "docview/text_search.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace cyrvert {
namespace {

TEST(FindBytes, FoldsCaseAndRespectsWordsAndDirection) {
  struct Case {
    std::string_view text, needle;
    std::size_t from;
    SearchOptions options;
    std::optional<std::size_t> want;
  };
  const SearchOptions any{};
  const SearchOptions exact{true, false, true};
  const SearchOptions word{false, true, true};
  const SearchOptions back{false, false, false};
  const Case cases[] = {
      {"abc ABC", "abc", 1, any, 4},
      {"abc ABC", "abc", 1, exact, std::nullopt},
      {"\xC6\xE6", "\xE6", 0, any, 0},  // Ж matches ж
      {"\xA8\xB8", "\xB8", 0, any, 0},  // Ё matches ё
      {"\xC6\xE6", "\xE6", 0, exact, 1},
      {"cat concat cat", "cat", 1, word, 11},
      {"\xEA\xEE\xF2 x", "\xEE\xF2", 0, word, std::nullopt},  // inside a Cyrillic word
      {"ab ab ab", "ab", 8, back, 6},
      {"ab ab ab", "ab", 7, back, 3},
      {"ab ab ab", "ab", 1, back, std::nullopt},
      {"ab", "", 0, any, std::nullopt},
      {"a", "ab", 0, any, std::nullopt},
      {std::string_view("x\0y", 3), std::string_view("\0y", 2), 0, any, 1},
      // Needles that repeat themselves: a partial match must not hide the real one.
      {"aaaab", "aaab", 0, any, 1},
      {"abaabab", "abab", 0, any, 3},
      {"abababc", "ababc", 0, any, 2},
      {"aaa aa", "aa", 0, word, 4},
      {"ababa", "aba", 5, back, 2},
      {"baaaa", "baa", 5, back, 0},
      {"aab aab", "AAB", 7, back, 4},
      {"aa aaa", "aa", 6, SearchOptions{false, true, false}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindBytes(c.text, c.needle, c.from, c.options), c.want)
        << c.text << " / " << c.needle << " from " << c.from;
  }
}

}  // namespace
}  // namespace cyrvert
