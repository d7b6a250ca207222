#include "transport/base64.h"

#include <array>
#include <cstdint>
#include <cstring>
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
  std::memcpy(out, detail::kBase64Pairs[v >> 12].data(), 2);
  std::memcpy(out + 2, detail::kBase64Pairs[v & 0xFFF].data(), 2);
}

// Writes the 8 characters of 6 bytes.
inline void EncodeSix(const unsigned char* in, char* out) {
  const std::uint64_t v = (std::uint64_t{in[0]} << 40) | (std::uint64_t{in[1]} << 32) |
                          (std::uint64_t{in[2]} << 24) | (std::uint64_t{in[3]} << 16) |
                          (std::uint64_t{in[4]} << 8) | in[5];
  std::memcpy(out, detail::kBase64Pairs[v >> 36].data(), 2);
  std::memcpy(out + 2, detail::kBase64Pairs[(v >> 24) & 0xFFF].data(), 2);
  std::memcpy(out + 4, detail::kBase64Pairs[(v >> 12) & 0xFFF].data(), 2);
  std::memcpy(out + 6, detail::kBase64Pairs[v & 0xFFF].data(), 2);
}

}  // namespace

std::size_t Base64Encoder::Code(std::string_view text, bool last, std::string& out) {
  // Whole lines only, unless this is the end of the text.
  const std::size_t n = last ? text.size() : text.size() / kBytesPerLine * kBytesPerLine;
  if (n == 0) return 0;
  const std::size_t lines = (n + kBytesPerLine - 1) / kBytesPerLine;
  const std::size_t chars = (n + 2) / 3 * 4;
  const std::size_t start = out.size();
  out.resize(start + chars + 2 * lines);
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  char* o = out.data() + start;
  std::size_t pos = 0;
  while (n - pos >= kBytesPerLine) {
    // Six bytes at a time (one load, four look-ups), then the line's last three.
    const unsigned char* line = in + pos;
    for (std::size_t g = 0; g + 6 < kBytesPerLine; g += 6, o += 8) EncodeSix(line + g, o);
    EncodeGroup(line + kBytesPerLine - 3, o);
    o += 4;
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
      const unsigned char tail[3] = {in[pos], pos + 1 < n ? in[pos + 1] : std::uint8_t{0}, 0};
      EncodeGroup(tail, o);
      if (pos + 1 == n) o[2] = '=';
      o[3] = '=';
      o += 4;
    }
    *o++ = '\r';
    *o++ = '\n';
  }
  return n;
}

void AppendBase64(std::string_view bytes, std::string& out) {
  Base64Encoder encoder;
  encoder.PutAll(bytes, out);
}

std::string EncodeBase64(std::string_view bytes) {
  std::string out;
  AppendBase64(bytes, out);
  return out;
}

std::size_t Base64Decoder::Code(std::string_view text, bool last, std::string& out) {
  const std::size_t n = text.size();
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t start = out.size();
  out.resize(start + (n / 4 + 2) * 3);
  auto* const begin = reinterpret_cast<unsigned char*>(out.data() + start);
  unsigned char* o = begin;
  std::size_t pos = 0;
  std::uint32_t acc = m_nAcc;
  int have = m_nHave;
  // Keeps what was decoded before a failure at `at`.
  const auto fail = [&](DecodeError error, std::size_t at) {
    out.resize(start + static_cast<std::size_t>(o - begin));
    Fail(error, at);
    return at;
  };
  while (pos < n && !m_bPadding) {
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
      if (have < 2) {
        return fail(DecodeError::kBase64BadPadding, pos);
      }
      m_bPadding = true;
      m_nPadAt = base() + pos;
    } else {
      return fail(DecodeError::kBase64BadCharacter, pos);
    }
  }
  // After padding only '=' up to a whole group, and white space.
  for (; m_bPadding && pos < n; ++pos) {
    const std::uint8_t k = kDecode[in[pos]];
    if (k == kPad) {
      if (have + ++m_nPads > 4) {
        return fail(DecodeError::kBase64BadPadding, pos);
      }
    } else if (k != kSpace) {
      return fail(k == kBad ? DecodeError::kBase64BadCharacter : DecodeError::kBase64BadPadding,
                  pos);
    }
  }
  if (last) {
    if (m_bPadding && have + m_nPads != 4) {
      out.resize(start + static_cast<std::size_t>(o - begin));
      FailAt(DecodeError::kBase64BadPadding, m_nPadAt);
      return n;
    }
    // A partial last group: 2 or 3 sextets carry 1 or 2 bytes.
    if (have == 1) return fail(DecodeError::kBase64BadPadding, n);
    if (have == 2) {
      *o++ = static_cast<unsigned char>(acc >> 4);
    } else if (have == 3) {
      *o++ = static_cast<unsigned char>(acc >> 10);
      *o++ = static_cast<unsigned char>(acc >> 2);
    }
  }
  m_nAcc = acc;
  m_nHave = have;
  out.resize(start + static_cast<std::size_t>(o - begin));
  return n;
}

DecodeResult DecodeBase64(std::string_view text) {
  Base64Decoder decoder;
  return StreamCoder::Whole(decoder, text);
}

}  // namespace cyrvert
