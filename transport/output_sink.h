// Output targets for coders of whole texts. Large results should touch no more memory
// than they need: either measure first (CountSink) and write into exact memory
// (PointerSink), or gather blocks and append them (ChunkSink).
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

// Gathers output in a fixed block and appends it to a string a block at a time: one pass,
// and only the memory the result needs is touched.
class ChunkSink {
 public:
  explicit ChunkSink(std::string& out) : m_out(out) {}
  ChunkSink(const ChunkSink&) = delete;
  ChunkSink& operator=(const ChunkSink&) = delete;
  ~ChunkSink() { Flush(); }

  void Add(char c) {
    if (m_nUsed == kBlock) Flush();
    m_block[m_nUsed++] = c;
  }
  void Add(std::string_view bytes) {
    if (bytes.size() > kBlock - m_nUsed) {
      Flush();
      if (bytes.size() > kBlock) {
        m_out.append(bytes);
        return;
      }
    }
    std::memcpy(m_block + m_nUsed, bytes.data(), bytes.size());
    m_nUsed += bytes.size();
  }
  // Room for `size` (at most a block) bytes that the caller fills at once.
  char* Room(std::size_t size) {
    if (size > kBlock - m_nUsed) Flush();
    char* const at = m_block + m_nUsed;
    m_nUsed += size;
    return at;
  }
  // Appends what is gathered so far.
  void Flush() {
    m_out.append(m_block, m_nUsed);
    m_nUsed = 0;
  }

 private:
  static constexpr std::size_t kBlock = 1 << 15;
  std::string& m_out;
  std::size_t m_nUsed = 0;
  char m_block[kBlock];
};

}  // namespace cyrvert::detail
