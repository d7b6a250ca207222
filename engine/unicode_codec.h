// The one codec between the bytes of a code page and Unicode (UTF-8). A code page may leave a
// byte without a character (cp-1251 0x98); what that byte reads as is a named choice of the
// codec, since the search previews, the transport encodings and the editor each need another.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/code_page.h"
#include "engine/unicode_tables.h"

namespace cyrvert {

// What a byte without a character reads as.
enum class UnassignedByte {
  kReplacement,   // U+FFFD, which maps back to no byte: the reading shown to people
  kNoBreakSpace,  // U+00A0, which maps back to the real no-break space: what exports write
  kSameValue,     // the C1 control of the same value (U+0098): one-to-one, for the editor
};

// Byte that stands for a character that has no byte in the page.
inline constexpr char kUnmappableByte = '?';

namespace detail {
// One past the largest code point of the four pages (U+25A0).
inline constexpr std::size_t kReverseSize = 0x25A1;
// UTF-8 form of one byte's character, padded to four bytes.
struct Utf8Form {
  std::array<char, 4> bytes{};
  std::uint32_t length = 0;  // 1..3
};
}  // namespace detail

// The reading of one code page with one choice for its unassigned bytes. Built at compile
// time; use the instances below rather than making new ones.
class ByteCodec {
 public:
  constexpr ByteCodec(int page, UnassignedByte unassigned) {
    for (unsigned b = 0; b < 0x80; ++b) m_unicode[b] = static_cast<std::uint16_t>(b);
    for (unsigned b = 0x80; b < 0x100; ++b) {
      std::uint32_t value = detail::kUnicodeTables[static_cast<std::size_t>(page)][b - 0x80];
      if (value == 0xFFFD) {
        value = unassigned == UnassignedByte::kNoBreakSpace ? 0x00A0
                : unassigned == UnassignedByte::kSameValue  ? b
                                                            : 0xFFFD;
      }
      m_unicode[b] = static_cast<std::uint16_t>(value);
    }
    // Assigned bytes first, lowest byte first, so an unassigned byte never hides a real one.
    for (int pass = 0; pass < 2; ++pass) {
      for (unsigned b = 0x80; b < 0x100; ++b) {
        const bool assigned =
            detail::kUnicodeTables[static_cast<std::size_t>(page)][b - 0x80] != 0xFFFD;
        const std::uint32_t value = m_unicode[b];
        if (assigned != (pass == 0) || value >= detail::kReverseSize) continue;
        if (m_reverse[value] == 0 && value >= 0x80) m_reverse[value] = static_cast<std::uint8_t>(b);
      }
    }
    for (unsigned b = 0; b < 0x100; ++b) m_utf8[b] = MakeForm(m_unicode[b]);
  }

  // The character of `byte`.
  constexpr std::uint32_t ToUnicode(unsigned char byte) const { return m_unicode[byte]; }
  // The byte of `value`, or -1 when the page has none.
  constexpr int FromUnicode(std::uint32_t value) const {
    if (value < 0x80) return static_cast<int>(value);
    if (value >= detail::kReverseSize || m_reverse[value] == 0) return -1;
    return m_reverse[value];
  }
  // The UTF-8 form of `byte`'s character.
  constexpr const detail::Utf8Form& Utf8Of(unsigned char byte) const { return m_utf8[byte]; }

  // Length of the UTF-8 form of `bytes`.
  std::size_t Utf8Size(std::string_view bytes) const;
  // Appends the UTF-8 form of `bytes` (one character per byte) to `out`.
  void AppendUtf8(std::string_view bytes, std::string& out) const;
  // The UTF-8 form of `bytes`.
  std::string ToUtf8(std::string_view bytes) const;
  // The bytes behind `utf8`, read by WalkUtf8 (engine/utf8_walk.h). Never fails: a character
  // without a byte, and each U+FFFD that stands for an ill-formed part, becomes
  // kUnmappableByte. (The transport's strict UTF-8 import, which stops at an ill-formed
  // sequence, is DecodeUtf8 in transport/utf8.h.)
  std::string FromUtf8(std::string_view utf8) const;

 private:
  static constexpr detail::Utf8Form MakeForm(std::uint32_t v) {
    const auto c = [](std::uint32_t byte) { return static_cast<char>(byte); };
    if (v < 0x80) return {{c(v), 0, 0, 0}, 1};
    if (v < 0x800) return {{c(0xC0 | (v >> 6)), c(0x80 | (v & 0x3F)), 0, 0}, 2};
    return {{c(0xE0 | (v >> 12)), c(0x80 | ((v >> 6) & 0x3F)), c(0x80 | (v & 0x3F)), 0}, 3};
  }

  std::array<std::uint16_t, 256> m_unicode{};
  std::array<detail::Utf8Form, 256> m_utf8{};
  std::array<std::uint8_t, detail::kReverseSize> m_reverse{};  // 0: no byte
};

// Every page and choice, made once at compile time.
template <int Page, UnassignedByte Unassigned>
inline constexpr ByteCodec kByteCodec{Page, Unassigned};

// cp-1251 as the editor shows it: one-to-one, so every byte survives a trip through the view
// and the clipboard.
inline constexpr const ByteCodec& kViewCodec = kByteCodec<kWindows, UnassignedByte::kSameValue>;
// cp-1251 as the UTF-7 and UTF-8 transport encodings read and write it.
inline constexpr const ByteCodec& kTransportCodec =
    kByteCodec<kWindows, UnassignedByte::kNoBreakSpace>;

// The codec of `page` (0..3) with the given choice for its unassigned bytes; by default as
// shown to people, a byte without a character reading as U+FFFD. Null for a page out of range.
const ByteCodec* PageCodec(int page, UnassignedByte unassigned = UnassignedByte::kReplacement);

}  // namespace cyrvert
