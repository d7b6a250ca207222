#include "transport/base64.h"

#include <array>
#include <cstdint>
#include <utility>

namespace cyrvert {
namespace {

constexpr std::size_t kBytesPerLine = 57;  // 76 characters

// Decode classes beyond the 64 sextet values.
constexpr std::uint8_t kSpace = 0x40;
constexpr std::uint8_t kPad = 0x41;
constexpr std::uint8_t kBad = 0x42;

constexpr std::array<std::uint8_t, 256> MakeDecodeTable() {
  std::array<std::uint8_t, 256> table{};
  for (auto& entry : table) entry = kBad;
  for (std::size_t i = 0; i < Base64Alphabet.size(); ++i) {
    table[static_cast<unsigned char>(Base64Alphabet[i])] = static_cast<std::uint8_t>(i);
  }
  for (const char c : std::string_view("\r\n \t\v\f"))
    table[static_cast<unsigned char>(c)] = kSpace;
  table['='] = kPad;
  return table;
}
constexpr std::array<std::uint8_t, 256> kDecode = MakeDecodeTable();

// Writes the 4 characters of 3 bytes.
inline void EncodeGroup(const unsigned char* in, char* out) {
  const std::uint32_t v = (std::uint32_t{in[0]} << 16) | (std::uint32_t{in[1]} << 8) | in[2];
  out[0] = Base64Alphabet[v >> 18];
  out[1] = Base64Alphabet[(v >> 12) & 0x3F];
  out[2] = Base64Alphabet[(v >> 6) & 0x3F];
  out[3] = Base64Alphabet[v & 0x3F];
}

}  // namespace

void AppendBase64(std::string_view bytes, std::string& out) {
  const std::size_t n = bytes.size();
  if (n == 0) return;
  const std::size_t lines = (n + kBytesPerLine - 1) / kBytesPerLine;
  const std::size_t chars = (n + 2) / 3 * 4;
  const std::size_t start = out.size();
  out.resize(start + chars + 2 * lines);
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  char* o = out.data() + start;
  std::size_t pos = 0;
  while (n - pos >= kBytesPerLine) {
    for (std::size_t g = 0; g < kBytesPerLine; g += 3, o += 4) EncodeGroup(in + pos + g, o);
    pos += kBytesPerLine;
    *o++ = '\r';
    *o++ = '\n';
  }
  if (pos < n) {
    while (n - pos >= 3) {
      EncodeGroup(in + pos, o);
      pos += 3;
      o += 4;
    }
    if (pos < n) {
      const unsigned char last[3] = {in[pos], pos + 1 < n ? in[pos + 1] : std::uint8_t{0}, 0};
      EncodeGroup(last, o);
      if (pos + 1 == n) o[2] = '=';
      o[3] = '=';
      o += 4;
    }
    *o++ = '\r';
    *o++ = '\n';
  }
}

std::string EncodeBase64(std::string_view bytes) {
  std::string out;
  AppendBase64(bytes, out);
  return out;
}

DecodeResult DecodeBase64(std::string_view text) {
  const std::size_t n = text.size();
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  std::string out(n / 4 * 3 + 3, '\0');
  auto* o = reinterpret_cast<unsigned char*>(out.data());
  std::size_t pos = 0;
  std::uint32_t acc = 0;
  int have = 0;  // sextets gathered in the current group
  while (pos < n) {
    // Fast path: whole groups of four alphabet characters at a group boundary.
    if (have == 0) {
      while (n - pos >= 4) {
        const std::uint32_t a = kDecode[in[pos]], b = kDecode[in[pos + 1]],
                            c = kDecode[in[pos + 2]], d = kDecode[in[pos + 3]];
        if ((a | b | c | d) >= 0x40) break;
        const std::uint32_t v = (a << 18) | (b << 12) | (c << 6) | d;
        o[0] = static_cast<unsigned char>(v >> 16);
        o[1] = static_cast<unsigned char>(v >> 8);
        o[2] = static_cast<unsigned char>(v);
        o += 3;
        pos += 4;
      }
      if (pos == n) break;
    }
    const std::uint8_t cls = kDecode[in[pos]];
    if (cls < 0x40) {
      acc = (acc << 6) | cls;
      if (++have == 4) {
        o[0] = static_cast<unsigned char>(acc >> 16);
        o[1] = static_cast<unsigned char>(acc >> 8);
        o[2] = static_cast<unsigned char>(acc);
        o += 3;
        acc = 0;
        have = 0;
      }
      ++pos;
    } else if (cls == kSpace) {
      ++pos;
    } else if (cls == kPad) {
      // '=' may fill only the third and fourth places of the last group.
      if (have < 2) return detail::Failure(DecodeError::kBase64BadPadding, pos);
      const std::size_t pad_at = pos;
      int pads = 0;
      for (; pos < n; ++pos) {
        const std::uint8_t k = kDecode[in[pos]];
        if (k == kPad) {
          if (have + ++pads > 4) return detail::Failure(DecodeError::kBase64BadPadding, pos);
        } else if (k != kSpace) {
          return detail::Failure(
              k == kBad ? DecodeError::kBase64BadCharacter : DecodeError::kBase64BadPadding, pos);
        }
      }
      if (have + pads != 4) return detail::Failure(DecodeError::kBase64BadPadding, pad_at);
      break;
    } else {
      return detail::Failure(DecodeError::kBase64BadCharacter, pos);
    }
  }
  // A partial last group: 2 or 3 sextets carry 1 or 2 bytes.
  if (have == 1) return detail::Failure(DecodeError::kBase64BadPadding, n);
  if (have == 2) {
    *o++ = static_cast<unsigned char>(acc >> 4);
  } else if (have == 3) {
    *o++ = static_cast<unsigned char>(acc >> 10);
    *o++ = static_cast<unsigned char>(acc >> 2);
  }
  out.resize(static_cast<std::size_t>(o - reinterpret_cast<unsigned char*>(out.data())));
  return DecodeResult{DecodeError::kNone, 0, std::move(out)};
}

}  // namespace cyrvert
