#include "transport/line_ends.h"

#include <algorithm>
#include <cstring>

namespace cyrvert {

void ConvertCrLfToLf(std::string& text) {
  // Compacts in place: the output never outgrows the input read so far.
  const std::size_t n = text.size();
  char* const data = text.data();
  std::size_t read = 0;
  std::size_t write = 0;
  while (read < n) {
    const void* hit = std::memchr(data + read, '\r', n - read);
    const std::size_t cr = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : n;
    if (write != read) std::memmove(data + write, data + read, cr - read);
    write += cr - read;
    read = cr;
    if (read == n) break;
    if (read + 1 < n && data[read + 1] == '\n') {
      data[write++] = '\n';
      read += 2;
    } else {
      data[write++] = '\r';
      ++read;
    }
  }
  text.resize(write);
}

void ConvertLfToCrLf(std::string& text) {
  const std::size_t n = text.size();
  std::size_t added = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) ++added;
  }
  if (added == 0) return;
  // Fill from the back so the text can grow in place.
  text.resize(n + added);
  char* const data = text.data();
  std::size_t write = n + added;
  for (std::size_t i = n; i-- > 0;) {
    const char c = data[i];
    data[--write] = c;
    if (c == '\n' && (i == 0 || data[i - 1] != '\r')) data[--write] = '\r';
  }
}

}  // namespace cyrvert
