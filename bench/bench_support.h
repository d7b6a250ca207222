// What the editor benchmarks share: a big Russian-looking text and the resident memory.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <random>
#include <string>

namespace cyrvert::bench {

// `size` bytes of Russian-looking cp-1251 text: letters, spaces and commas in CR LF lines of
// about 70 bytes, the same for the same `seed`.
inline std::string MakeRussianText(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string text(size, ' ');
  std::size_t column = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto r = random() % 100;
    if (column > 60 && r < 10 && i + 1 < text.size()) {
      text[i] = '\r';
      text[++i] = '\n';
      column = 0;
      continue;
    }
    text[i] = r < 15 ? ' ' : r < 17 ? ',' : static_cast<char>(0xC0 + random() % 64);
    ++column;
  }
  return text;
}

// Resident memory now, in KiB.
inline long CurrentRssKiB() {
  long pages = 0;
  long resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace cyrvert::bench
