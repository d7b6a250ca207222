#include "transport/utf8.h"

#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "transport/unicode_map.h"

namespace cyrvert {
namespace {

// Smallest value a sequence with n continuation bytes may carry.
constexpr std::array<std::uint32_t, 6> kLowest = {0, 0x80, 0x800, 0x10000, 0x200000, 0x4000000};
constexpr std::array<std::uint8_t, 6> kLeadMask = {0x7F, 0x1F, 0x0F, 0x07, 0x03, 0x01};

// UnicodeToByte of every value a two-byte sequence carries.
constexpr std::array<unsigned char, 0x800> MakeTwoByteTable() {
  std::array<unsigned char, 0x800> table{};
  for (std::uint32_t v = 0; v < table.size(); ++v) table[v] = UnicodeToByte(v);
  return table;
}
constexpr std::array<unsigned char, 0x800> kTwoByte = MakeTwoByteTable();

}  // namespace

int Utf8DecodeOne(std::string_view text, std::size_t& pos, std::uint32_t& value) {
  value = 0;
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    value = lead;
    ++pos;
    return 0;
  }
  // Count the 1 bits after the top bit, at most 6.
  std::size_t n = 0;
  for (unsigned b = static_cast<unsigned>(lead) << 1; (b & 0x80) != 0 && n < 6; b <<= 1) ++n;
  if (n == 0 || n > 5) return -1;
  if (text.size() - pos <= n) return -2;  // the text ends inside the sequence
  std::uint32_t v = lead & kLeadMask[n];
  for (std::size_t k = 1; k <= n; ++k) {
    const auto c = static_cast<unsigned char>(text[pos + k]);
    if ((c & 0xC0) != 0x80) return -2;
    v = (v << 6) | (c & 0x3FU);
  }
  if (v < kLowest[n]) return -3;
  value = v;
  pos += n + 1;
  return 0;
}

void Utf8EncodeOne(std::uint32_t value, std::string& out) {
  std::uint32_t v = value & 0x7FFFFFFF;
  std::size_t n = 5;
  for (std::size_t k = 1; k < kLowest.size(); ++k) {
    if (v < kLowest[k]) {
      n = k - 1;
      break;
    }
  }
  char tail[5];
  for (std::size_t k = n; k-- > 0;) {
    tail[k] = static_cast<char>(0x80 | (v & 0x3F));
    v >>= 6;
  }
  constexpr std::array<std::uint8_t, 6> kLeadBits = {0x00, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC};
  out += static_cast<char>(kLeadBits[n] | (v & kLeadMask[n]));
  out.append(tail, n);
}

namespace {

// Decodes `text` into `o`, which has room for one byte per lead byte. Returns where the
// output ends; on failure sets `error` and `at` (the offset of the bad sequence), the
// output then ending with what came before it.
char* DecodeInto(std::string_view text, char* o, DecodeError& error, std::size_t& at) {
  const std::size_t n = text.size();
  error = DecodeError::kNone;
  std::size_t pos = 0;
  while (pos < n) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
      // ASCII, eight bytes at a time while it lasts.
      std::uint64_t word;
      if (n - pos >= 8 &&
          (std::memcpy(&word, text.data() + pos, 8), (word & 0x8080808080808080ULL) == 0)) {
        std::memcpy(o, &word, 8);
        o += 8;
        pos += 8;
      } else {
        *o++ = static_cast<char>(lead);
        ++pos;
      }
      continue;
    }
    // Two-byte sequences (all of Cyrillic), as Utf8DecodeOne would take them.
    if (lead >= 0xC2 && lead < 0xE0 && pos + 1 < n &&
        (static_cast<unsigned char>(text[pos + 1]) & 0xC0) == 0x80) {
      *o++ = static_cast<char>(
          kTwoByte[((lead & 0x1FU) << 6) | (static_cast<unsigned char>(text[pos + 1]) & 0x3FU)]);
      pos += 2;
      continue;
    }
    std::uint32_t value = 0;
    const int code = Utf8DecodeOne(text, pos, value);
    if (code != 0) {
      error = code == -1   ? DecodeError::kUtf8BadLead
              : code == -2 ? DecodeError::kUtf8BadContinuation
                           : DecodeError::kUtf8Overlong;
      at = pos;
      return o;
    }
    *o++ = static_cast<char>(UnicodeToByte(value));
  }
  return o;
}

}  // namespace

DecodeResult DecodeUtf8(std::string_view text) {
  const std::size_t n = text.size();
  // Each sequence starts with a byte that is not 10xxxxxx: that bounds the output.
  std::size_t continuations = 0;
  std::size_t at = 0;
  for (std::uint64_t word; n - at >= 8; at += 8) {
    std::memcpy(&word, text.data() + at, 8);
    continuations += static_cast<std::size_t>(
        std::popcount(word & ~(word << 1) & 0x8080808080808080ULL));  // 10xxxxxx
  }
  for (; at < n; ++at) continuations += (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
  std::string out(n - continuations, '\0');
  DecodeError error = DecodeError::kNone;
  char* const end = DecodeInto(text, out.data(), error, at);
  if (error != DecodeError::kNone) return detail::Failure(error, at);
  out.resize(static_cast<std::size_t>(end - out.data()));
  return DecodeResult{DecodeError::kNone, 0, std::move(out)};
}

DecodeError AppendDecodedUtf8(std::string_view text, std::string& out, std::size_t& at) {
  const std::size_t start = out.size();
  out.resize(start + text.size());  // no more bytes than lead bytes
  DecodeError error = DecodeError::kNone;
  char* const end = DecodeInto(text, out.data() + start, error, at);
  out.resize(static_cast<std::size_t>(end - out.data()));
  return error;
}

}  // namespace cyrvert
