#include "engine/unicode_codec.h"

#include <cstring>

namespace cyrvert {
namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes `n` bytes of UTF-8 at `s` into at most `room` bytes at `out`; returns how many were
// written, or `room` + 1 when that was not enough.
std::size_t DecodeLenient(const ByteCodec& codec, const unsigned char* s, std::size_t n, char* out,
                          std::size_t room) {
  const auto byte_of = [&codec](std::uint32_t value) {
    const int b = codec.FromUnicode(value);
    return b < 0 ? kUnmappableByte : static_cast<char>(b);
  };
  char* p = out;
  char* const end = out + room;
  std::size_t i = 0;
  while (i < n) {
    if (p == end) return room + 1;
    const unsigned c = s[i];
    if (c < 0x80) {
      *p++ = static_cast<char>(c);
      ++i;
    } else if (c - 0xC2u < 0x1Eu && i + 1 < n && IsContinuation(s[i + 1])) {
      *p++ = byte_of((c & 0x1Fu) << 6 | (s[i + 1] & 0x3Fu));
      i += 2;
    } else if (c >= 0xE0 && c <= 0xEF && i + 2 < n && IsContinuation(s[i + 1]) &&
               IsContinuation(s[i + 2]) && [&] {
                 const std::uint32_t cp =
                     (c & 0x0Fu) << 12 | (s[i + 1] & 0x3Fu) << 6 | (s[i + 2] & 0x3Fu);
                 return cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF);
               }()) {
      *p++ = byte_of((c & 0x0Fu) << 12 | (s[i + 1] & 0x3Fu) << 6 | (s[i + 2] & 0x3Fu));
      i += 3;
    } else if (c >= 0xF0 && c <= 0xF4 && i + 3 < n && IsContinuation(s[i + 1]) &&
               IsContinuation(s[i + 2]) && IsContinuation(s[i + 3])) {
      *p++ = kUnmappableByte;  // beyond every page
      i += 4;
    } else {
      *p++ = kUnmappableByte;  // malformed: one per byte
      ++i;
    }
  }
  return static_cast<std::size_t>(p - out);
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

const ByteCodec* PageCodec(int page) {
  switch (page) {
    case kWindows:
      return &kByteCodec<kWindows, UnassignedByte::kReplacement>;
    case kDos:
      return &kByteCodec<kDos, UnassignedByte::kReplacement>;
    case kKoi8r:
      return &kByteCodec<kKoi8r, UnassignedByte::kReplacement>;
    case kIso:
      return &kByteCodec<kIso, UnassignedByte::kReplacement>;
    default:
      return nullptr;
  }
}

}  // namespace cyrvert
