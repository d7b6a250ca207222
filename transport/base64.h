// MIME base64: 76-character lines with CR LF.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/decode_result.h"
#include "engine/stream_coder.h"

namespace cyrvert {

// The 64 characters of base64; value v is character v. UTF-7 runs use the same.
inline constexpr std::string_view Base64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

namespace detail {
// The two characters of each 12-bit value: three bytes are two look-ups.
constexpr std::array<std::array<char, 2>, 4096> MakeBase64Pairs() {
  std::array<std::array<char, 2>, 4096> table{};
  for (std::size_t v = 0; v < table.size(); ++v) {
    table[v] = {Base64Alphabet[v >> 6], Base64Alphabet[v & 0x3F]};
  }
  return table;
}
inline constexpr std::array<std::array<char, 2>, 4096> kBase64Pairs = MakeBase64Pairs();
}  // namespace detail

// The encoder below, a slice at a time.
class Base64Encoder final : public StreamCoder {
 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;
};

// The decoder below, a slice at a time.
class Base64Decoder final : public StreamCoder {
 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;

 private:
  std::uint32_t m_nAcc = 0;  // sextets of the current group
  int m_nHave = 0;           // how many
  bool m_bPadding = false;   // an '=' was seen: only '=' and white space may follow
  int m_nPads = 0;           // '=' seen
  std::size_t m_nPadAt = 0;  // offset of the first '='
};

// Encodes `bytes` as lines of at most 76 characters, each ended by CR LF; padding with
// '='. Empty input gives empty output.
std::string EncodeBase64(std::string_view bytes);
// The same, appended to `out`.
void AppendBase64(std::string_view bytes, std::string& out);

// Decodes base64 text. CR, LF, space, tab, VT and FF are skipped anywhere. Fails on any
// other character outside the alphabet, on '=' anywhere but the last one or two places of
// a four-character group, on anything but white space after padding, and on a lone
// character left at the end. A last group of two or three characters without its '='
// is accepted, and unused low bits of a last group are ignored.
DecodeResult DecodeBase64(std::string_view text);

}  // namespace cyrvert
