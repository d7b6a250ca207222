// How a message lists the values a user may choose from.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>

namespace cyrvert {

// "a, b or c": name(item) for each item of `items`, as a message lists alternatives.
template <class Items, class Name>
std::string ListAlternatives(const Items& items, Name&& name) {
  std::string list;
  const std::size_t count = std::size(items);
  std::size_t i = 0;
  for (const auto& item : items) {
    if (i > 0) list += i + 1 < count ? ", " : " or ";
    list += name(item);
    ++i;
  }
  return list;
}

}  // namespace cyrvert
