// Output targets for encoders that run twice: once to measure the result, once to write
// it into memory sized exactly, so a large text never touches more memory than it needs.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace cyrvert::detail {

// Counts the bytes it is given.
struct CountSink {
  std::size_t size = 0;
  void Add(char) { ++size; }
  void Add(std::string_view bytes) { size += bytes.size(); }
};

// Writes through a pointer into memory already sized for the result.
struct PointerSink {
  char* at;
  void Add(char c) { *at++ = c; }
  void Add(std::string_view bytes) {
    std::memcpy(at, bytes.data(), bytes.size());
    at += bytes.size();
  }
};

// Appends to a string.
struct StringSink {
  std::string& out;
  void Add(char c) { out += c; }
  void Add(std::string_view bytes) { out.append(bytes); }
};

// Appends to `out` what `produce(sink)` gives, measuring it first.
template <class Produce>
void AppendMeasured(std::string& out, Produce produce) {
  CountSink count;
  produce(count);
  const std::size_t start = out.size();
  out.resize(start + count.size);
  PointerSink sink{out.data() + start};
  produce(sink);
}

}  // namespace cyrvert::detail
