#include "engine/unicode_codec.h"

#include <cstring>

#include "engine/utf8_walk.h"

namespace cyrvert {
namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes `n` bytes of UTF-8 at `s` into at most `room` bytes at `out`; returns how many were
// written, or `room` + 1 when that was not enough.
std::size_t DecodeLenient(const ByteCodec& codec, const unsigned char* s, std::size_t n, char* out,
                          std::size_t room) {
  std::size_t size = 0;
  WalkUtf8(s, s + n, true, [&](std::uint32_t value) {
    if (size < room) {
      const int b = codec.FromUnicode(value);
      out[size] = b < 0 ? kUnmappableByte : static_cast<char>(b);
    }
    ++size;
  });
  return size <= room ? size : room + 1;
}

}  // namespace

std::size_t ByteCodec::Utf8Size(std::string_view bytes) const {
  std::size_t size = 0;
  for (const char c : bytes) size += m_utf8[static_cast<unsigned char>(c)].length;
  return size;
}

void ByteCodec::AppendUtf8(std::string_view bytes, std::string& out) const {
  const std::size_t size = Utf8Size(bytes);
  const std::size_t start = out.size();
  // Each form is stored as four bytes, so the buffer has three to spare at the end.
  out.resize(start + size + 3);
  char* o = out.data() + start;
  for (const char c : bytes) {
    const detail::Utf8Form& form = m_utf8[static_cast<unsigned char>(c)];
    std::memcpy(o, form.bytes.data(), 4);
    o += form.length;
  }
  out.resize(start + size);
}

std::string ByteCodec::ToUtf8(std::string_view bytes) const {
  std::string out;
  AppendUtf8(bytes, out);
  return out;
}

std::string ByteCodec::FromUtf8(std::string_view utf8) const {
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  // Well-formed text gives one byte per lead byte; only malformed text needs more room.
  std::size_t leads = 0;
  for (std::size_t i = 0; i < n; ++i) leads += !IsContinuation(s[i]);
  std::string out(leads, '\0');
  std::size_t size = DecodeLenient(*this, s, n, out.data(), out.size());
  if (size > leads) {
    out.assign(n, '\0');
    size = DecodeLenient(*this, s, n, out.data(), out.size());
  }
  out.resize(size);
  return out;
}

const ByteCodec* PageCodec(int page, UnassignedByte unassigned) {
  using U = UnassignedByte;
  // In UnassignedByte order.
  static constexpr std::array<std::array<const ByteCodec*, kCodePageCount>, 3> kCodecs = {{
      {&kByteCodec<kWindows, U::kReplacement>, &kByteCodec<kDos, U::kReplacement>,
       &kByteCodec<kKoi8r, U::kReplacement>, &kByteCodec<kIso, U::kReplacement>},
      {&kByteCodec<kWindows, U::kNoBreakSpace>, &kByteCodec<kDos, U::kNoBreakSpace>,
       &kByteCodec<kKoi8r, U::kNoBreakSpace>, &kByteCodec<kIso, U::kNoBreakSpace>},
      {&kByteCodec<kWindows, U::kSameValue>, &kByteCodec<kDos, U::kSameValue>,
       &kByteCodec<kKoi8r, U::kSameValue>, &kByteCodec<kIso, U::kSameValue>},
  }};
  if (page < 0 || page >= kCodePageCount) return nullptr;
  return kCodecs[static_cast<std::size_t>(unassigned)][static_cast<std::size_t>(page)];
}

}  // namespace cyrvert
