// A lenient walk over UTF-8 bytes, a character at a time, and the writing of one character
// as UTF-8. Lenient: every malformed sequence reads as one U+FFFD and the walk goes on, so
// any bytes give characters (the strict import that stops at bad input is in transport/).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cyrvert {

// The character that stands for a malformed sequence.
inline constexpr std::uint32_t kReplacementChar = 0xFFFD;

// Calls emit(code point) for each character of `bytes` and emit(U+FFFD) for each malformed
// sequence (a bad lead byte, a lead without its continuation bytes: one U+FFFD for the lead
// and the continuations it had; an overlong form, a surrogate or a value above U+10FFFF: one
// U+FFFD for the sequence). Unless `final`, stops before a sequence cut by the end of
// `bytes`, so the caller can give it again with what follows. Returns the bytes used.
template <class Emit>
std::size_t WalkUtf8(std::string_view bytes, bool final, Emit&& emit) {
  const auto* const start = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = start + bytes.size();
  const unsigned char* p = start;
  while (p < end) {
    const unsigned b = *p;
    if (b < 0x80) {
      emit(static_cast<std::uint32_t>(b));
      ++p;
      continue;
    }
    int need = 0;
    std::uint32_t cp = 0;
    std::uint32_t min = 0;
    if (b >= 0xC2 && b <= 0xDF) {
      need = 1, cp = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need = 2, cp = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3, cp = b & 0x07, min = 0x10000;
    } else {
      emit(kReplacementChar);
      ++p;
      continue;
    }
    int i = 1;
    for (; i <= need && p + i < end; ++i) {
      const unsigned c = p[i];
      if ((c & 0xC0) != 0x80) break;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (i <= need) {
      if (p + i >= end && !final) break;  // cut by the end of the bytes: wait for more
      emit(kReplacementChar);
      p += i;
      continue;
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacementChar;
    emit(cp);
    p += need + 1;
  }
  return static_cast<std::size_t>(p - start);
}

// Whether `bytes` is UTF-8 without a malformed sequence; a sequence cut by the end counts as
// malformed only when `final`.
inline bool IsValidUtf8(std::string_view bytes, bool final = true) {
  bool valid = true;
  WalkUtf8(bytes, final, [&](std::uint32_t cp) { valid = valid && cp != kReplacementChar; });
  return valid;
}

// Writes `cp` (at most U+10FFFF) as UTF-8 at `at`; returns the end of what it wrote.
inline char* PutUtf8(char* at, std::uint32_t cp) {
  const auto c = [](std::uint32_t byte) { return static_cast<char>(byte); };
  if (cp < 0x80) {
    *at++ = c(cp);
  } else if (cp < 0x800) {
    *at++ = c(0xC0 | (cp >> 6));
    *at++ = c(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *at++ = c(0xE0 | (cp >> 12));
    *at++ = c(0x80 | ((cp >> 6) & 0x3F));
    *at++ = c(0x80 | (cp & 0x3F));
  } else {
    *at++ = c(0xF0 | (cp >> 18));
    *at++ = c(0x80 | ((cp >> 12) & 0x3F));
    *at++ = c(0x80 | ((cp >> 6) & 0x3F));
    *at++ = c(0x80 | (cp & 0x3F));
  }
  return at;
}

// Appends `cp` as UTF-8 to `out`.
inline void AppendUtf8Char(std::uint32_t cp, std::string& out) {
  char buffer[4];
  out.append(buffer, static_cast<std::size_t>(PutUtf8(buffer, cp) - buffer));
}

}  // namespace cyrvert
