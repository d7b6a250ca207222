// The program's one lenient UTF-8 decoder: every byte string reads as code points, each
// ill-formed part as one U+FFFD. (The strict import, which stops at the first ill-formed
// sequence, is DecodeUtf8 in transport/utf8.h.)
#pragma once

#include <cstddef>
#include <cstdint>

namespace cyrvert {

// What an ill-formed part of the text reads as.
inline constexpr std::uint32_t kReplacementCharacter = 0xFFFD;

// Calls emit(code point) for each character of the UTF-8 in [p, end). Ill-formed input gives
// one U+FFFD per maximal part that could begin a well-formed sequence (a lead byte and the
// continuation bytes it may take) and one per other byte, as Unicode's recommended practice
// and the web's decoders have it: so overlong forms, surrogates and values past U+10FFFF,
// whose second byte is already out of range, give one U+FFFD per byte, and a sequence cut
// by the end of the text gives one. Unless `final`, stops before a sequence cut by `end`,
// for the next slice to complete. Returns the bytes consumed.
template <class Emit>
std::size_t WalkUtf8(const unsigned char* p, const unsigned char* end, bool final, Emit&& emit) {
  const unsigned char* const start = p;
  while (p < end) {
    const unsigned b = *p;
    if (b < 0x80) {
      emit(static_cast<std::uint32_t>(b));
      ++p;
      continue;
    }
    int need = 0;
    std::uint32_t cp = 0;
    unsigned low = 0x80;   // bounds of the next continuation byte
    unsigned high = 0xBF;  // (narrower after E0, ED, F0 and F4)
    if (b >= 0xC2 && b <= 0xDF) {
      need = 1, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need = 2, cp = b & 0x0F;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3, cp = b & 0x07;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    } else {
      emit(kReplacementCharacter);
      ++p;
      continue;
    }
    int i = 1;
    for (; i <= need && p + i < end; ++i) {
      const unsigned c = p[i];
      if (c < low || c > high) break;
      low = 0x80, high = 0xBF;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (i <= need) {
      if (p + i >= end && !final) break;  // cut by the end of the slice: wait for more
      emit(kReplacementCharacter);
      p += i;
      continue;
    }
    emit(cp);
    p += need + 1;
  }
  return static_cast<std::size_t>(p - start);
}

}  // namespace cyrvert
