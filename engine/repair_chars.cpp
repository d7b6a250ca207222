#include "engine/repair_chars.h"

#include "engine/code_page.h"
#include "engine/unicode_codec.h"

namespace cyrvert::detail {
namespace {

bool IsTypographic(std::uint32_t cp) {
  return (cp >= 0x2010 && cp <= 0x2027) || cp == 0xAB || cp == 0xBB || cp == 0xB7 || cp == 0x2116;
}

CharInfo WithKind(CharInfo info) {
  const bool upper = (info.flags & kUpper) != 0;
  if (info.flags & kRussian) {
    info.kind = upper ? kUpperRussian : kLowerRussian;
  } else if (info.flags & (kUpper | kLower)) {
    info.kind = upper ? kUpperOther : kLowerOther;
  }
  return info;
}

CharInfo InfoOfChar(std::uint32_t cp) {
  CharInfo info;
  if (cp < 0x80) {
    if (cp == ' ' || cp == '\t' || cp == '\n' || cp == '\r' || cp == '\f' || cp == '\v') {
      info.cls = kClassBlank;
    } else if (cp >= 'a' && cp <= 'z') {
      info.cls = kClassLatin, info.flags = kLatin | kLower;
    } else if (cp >= 'A' && cp <= 'Z') {
      info.cls = kClassLatin, info.flags = kLatin | kUpper;
    } else if (cp >= '0' && cp <= '9') {
      info.cls = kClassDigit;
    } else if (cp >= 0x21 && cp <= 0x7E) {
      info.cls = kClassPunct;
    } else {
      info.cls = kClassOther, info.flags = kBad;
    }
    return info;
  }
  if (cp >= 0x410 && cp <= 0x44F) {
    const std::uint32_t folded = cp >= 0x430 ? cp - 0x430 : cp - 0x410;
    info.cls = static_cast<std::uint8_t>(1 + folded);
    info.flags = kRussian | (cp >= 0x430 ? kLower : kUpper);
    if (folded == 0x1B || folded == 0x1D) info.flags |= kYeryE;
    if (folded == 0x1A) info.flags |= kHardSign;
    if (folded == 0x1C) info.flags |= kSoftSign;
    return info;
  }
  if (cp == 0x401 || cp == 0x451) {
    info.cls = kClassYo;
    info.flags = static_cast<std::uint16_t>(kRussian | kYo | (cp == 0x451 ? kLower : kUpper));
    return info;
  }
  info.cls = kClassOther;
  if (cp >= 0x400 && cp <= 0x4FF) {
    const bool lower = (cp >= 0x450 && cp <= 0x45F) || (cp >= 0x460 && (cp & 1) != 0);
    info.flags = kForeign | (lower ? kLower : kUpper);
  } else if (cp == 0xA0) {
    info.cls = kClassBlank;
  } else if (cp <= 0x9F || cp == 0xFFFD || (cp >= 0x2500 && cp <= 0x25FF) || cp == 0x2320 ||
             cp == 0x2321) {
    info.flags = kBad;
  } else if (cp >= 0xC0 && cp <= 0x24F && cp != 0xD7 && cp != 0xF7) {
    info.cls = kClassLatin;
    info.flags =
        kLatin | ((cp >= 0xDF && cp <= 0xFF) || (cp > 0xFF && (cp & 1) != 0) ? kLower : kUpper);
  } else if (IsTypographic(cp)) {
    info.cls = kClassPunct;
  }
  return info;
}

}  // namespace

CharInfo InfoOf(std::uint32_t cp) {
  // Scoring asks for every character of every reading: the common ones come from a table.
  static const std::array<CharInfo, 0x500> table = [] {
    std::array<CharInfo, 0x500> t{};
    for (std::uint32_t c = 0; c < t.size(); ++c) t[c] = WithKind(InfoOfChar(c));
    return t;
  }();
  return cp < table.size() ? table[cp] : WithKind(InfoOfChar(cp));
}

const std::array<CharInfo, 256>& WindowsInfo() {
  static const std::array<CharInfo, 256> table = [] {
    std::array<CharInfo, 256> t{};
    for (int b = 0; b < 256; ++b) {
      t[static_cast<std::size_t>(b)] =
          InfoOf(PageCodec(kWindows)->ToUnicode(static_cast<unsigned char>(b)));
    }
    return t;
  }();
  return table;
}

}  // namespace cyrvert::detail
