#include "transport/utf7.h"

#include <cstring>
#include <utility>

#include "transport/unicode_map.h"

namespace cyrvert {
namespace {

constexpr std::uint16_t kNotBase64 = 0x40;

constexpr std::array<std::uint16_t, 128> MakeBase64DecodeTable() {
  std::array<std::uint16_t, 128> table{};
  for (auto& entry : table) entry = kNotBase64;
  for (std::size_t i = 0; i < Base64Alphabet.size(); ++i) {
    table[static_cast<unsigned char>(Base64Alphabet[i])] = static_cast<std::uint16_t>(i);
  }
  return table;
}

constexpr std::array<bool, 256> MakeDirectTable() {
  std::array<bool, 256> table{};
  for (int c = 'a'; c <= 'z'; ++c) table[static_cast<std::size_t>(c)] = true;
  for (int c = 'A'; c <= 'Z'; ++c) table[static_cast<std::size_t>(c)] = true;
  for (const char c : std::string_view("'(),-./:? \n")) table[static_cast<unsigned char>(c)] = true;
  return table;
}
constexpr std::array<bool, 256> kDirect = MakeDirectTable();

}  // namespace

const std::array<std::uint16_t, 128> Base64DecodeTable = MakeBase64DecodeTable();

bool IsUtf7Direct(unsigned char byte) { return kDirect[byte]; }

void Utf7Encoder::Begin() {
  m_bInRun = false;
  m_nBuffer = 0;
  m_nPending = 0;
  m_nChars = 0;
  m_bLastUnitZero = false;
}

void Utf7Encoder::AddUnit(std::uint32_t unit, std::string& out) {
  m_bLastUnitZero = (unit & 0xFFFF) == 0;
  m_nBuffer += (unit & 0xFFFF) << (16 - m_nPending);
  m_nPending += 16;
  while (m_nPending >= 6) {
    out += Base64Alphabet[m_nBuffer >> 26];
    m_nBuffer <<= 6;
    m_nPending -= 6;
    ++m_nChars;
  }
}

void Utf7Encoder::CloseRun(std::string& out) {
  if (m_nPending > 0) {
    // An all-zero last sextet is left out, as the decoder drops zero leftovers. Only when
    // the last unit is U+0000 is it written: the decoder would otherwise lose that unit.
    const std::uint32_t sextet = m_nBuffer >> 26;  // the bits below the pending ones are 0
    if (sextet != 0 || m_bLastUnitZero) {
      out += Base64Alphabet[sextet];
      ++m_nChars;
    }
  }
  if (m_nChars % 2 != 0) out += 'A';
  m_nBuffer = 0;
  m_nPending = 0;
  m_nChars = 0;
}

void Utf7Encoder::Put(std::uint32_t value, std::string& out) {
  const unsigned char byte = UnicodeToByte(value);
  const bool direct = kDirect[byte];
  if (m_bInRun) {
    if (!direct) {
      AddUnit(value, out);
      return;
    }
    CloseRun(out);
    out += '-';
    out += static_cast<char>(byte);
    m_bInRun = false;
    return;
  }
  if (direct) {
    out += static_cast<char>(byte);
  } else if (byte == '+') {
    out += "+-";
  } else {
    out += '+';
    m_nBuffer = 0;
    m_nPending = 0;
    m_nChars = 0;
    m_bInRun = true;
    AddUnit(value, out);
  }
}

void Utf7Encoder::End(std::string& out) {
  if (!m_bInRun) return;
  m_bInRun = false;
  CloseRun(out);
  out += '-';
}

void Utf7Decoder::Begin() {
  m_bInRun = false;
  m_nAccumulator = 0;
  m_nBits = 0;
}

void Utf7Decoder::Flush(std::uint16_t& unit, bool& delivered) {
  if (m_nBits > 0) {
    const std::uint32_t rest = (m_nAccumulator << (16 - m_nBits)) & 0xFFFF;
    if (rest != 0) {
      unit = static_cast<std::uint16_t>(rest);
      delivered = true;
    }
  }
  m_nAccumulator = 0;
  m_nBits = 0;
  m_bInRun = false;
}

int Utf7Decoder::Step(std::string_view text, std::size_t& pos, std::uint16_t& unit,
                      bool& delivered) {
  delivered = false;
  const auto c = static_cast<unsigned char>(text[pos++]);
  if (m_bInRun) {
    if (c == '-') {
      Flush(unit, delivered);
      return 0;
    }
    // Characters outside the alphabet are skipped and do not end the run.
    const std::uint16_t value = c < 0x80 ? (Base64DecodeTable[c] & 0xFF) : kNotBase64;
    if (value >= kNotBase64) return 0;
    m_nAccumulator = (m_nAccumulator << 6) + value;
    m_nBits += 6;
    if (m_nBits >= 16) {
      unit = static_cast<std::uint16_t>((m_nAccumulator >> (m_nBits - 16)) & 0xFFFF);
      delivered = true;
      m_nBits -= 16;
    }
    return 0;
  }
  if (c >= 0x80) return -1;
  if (c == '+') {
    if (pos < text.size() && text[pos] == '-') {
      ++pos;
      unit = '+';
      delivered = true;
    } else {
      m_bInRun = true;
      m_nAccumulator = 0;
      m_nBits = 0;
    }
    return 0;
  }
  unit = static_cast<std::uint16_t>(ByteToUnicode(c));
  delivered = true;
  return 0;
}

void Utf7Decoder::End(std::uint16_t& unit, bool& delivered) {
  delivered = false;
  if (m_bInRun) Flush(unit, delivered);
}

namespace {

// Whether each byte is written as itself; bytes whose value maps back to another byte
// (0x98) take that byte's class, as Put does.
constexpr std::array<bool, 256> MakeDirectByteTable() {
  std::array<bool, 256> table{};
  for (unsigned b = 0; b < 256; ++b) table[b] = kDirect[UnicodeToByte(ByteToUnicode(b))];
  return table;
}
constexpr std::array<bool, 256> kDirectByte = MakeDirectByteTable();

// ByteToUnicode of every byte.
constexpr std::array<std::uint16_t, 256> MakeUnitTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned b = 0; b < 256; ++b) table[b] = static_cast<std::uint16_t>(ByteToUnicode(b));
  return table;
}
constexpr std::array<std::uint16_t, 256> kUnitOf = MakeUnitTable();

}  // namespace

std::size_t Utf7StreamEncoder::Code(std::string_view text, bool last, std::string& out) {
  // The encoder of Utf7Encoder, a whole run at a time: every byte of a run is encoded, so
  // its units go out in groups of three (48 bits, 8 characters).
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  const std::size_t start = out.size();
  // At most 6 characters a byte (a lone digit: "+ADEA-"), and a run's closing.
  out.resize(start + 6 * n + 8);
  char* const begin = out.data() + start;
  char* o = begin;
  std::size_t i = 0;
  while (i < n || (last && m_bInRun)) {
    if (!m_bInRun) {
      // Direct bytes stand for themselves.
      const std::size_t direct_from = i;
      while (i < n && kDirectByte[in[i]]) ++i;
      std::memcpy(o, in + direct_from, i - direct_from);
      o += i - direct_from;
      if (i == n) break;
      if (in[i] == '+') {
        std::memcpy(o, "+-", 2);
        o += 2;
        ++i;
        continue;
      }
      *o++ = '+';
      m_bInRun = true;
    }
    // A run: every byte up to the next direct one, three at a time while they last.
    while (n - i >= 3 && !kDirectByte[in[i]] && !kDirectByte[in[i + 1]] &&
           !kDirectByte[in[i + 2]]) {
      const std::uint64_t bits = (std::uint64_t{kUnitOf[in[i]]} << 32) |
                                 (std::uint64_t{kUnitOf[in[i + 1]]} << 16) | kUnitOf[in[i + 2]];
      std::memcpy(o, detail::kBase64Pairs[(bits >> 36) & 0xFFF].data(), 2);
      std::memcpy(o + 2, detail::kBase64Pairs[(bits >> 24) & 0xFFF].data(), 2);
      std::memcpy(o + 4, detail::kBase64Pairs[(bits >> 12) & 0xFFF].data(), 2);
      std::memcpy(o + 6, detail::kBase64Pairs[bits & 0xFFF].data(), 2);
      o += 8;
      i += 3;
    }
    // Where the run ends is not known before the byte after it (or the end of the text).
    if (n - i < 3 && !last) break;
    // Then none, one or two units: 16 or 32 bits, two or five full sextets and 4 or 2
    // bits left over. The groups are of 8 characters, so the tail alone sets the parity.
    std::size_t left = 0;
    if (i < n && !kDirectByte[in[i]]) left = i + 1 < n && !kDirectByte[in[i + 1]] ? 2 : 1;
    std::size_t size = 0;
    if (left == 1) {
      const std::uint32_t unit = kUnitOf[in[i]];
      o[0] = Base64Alphabet[unit >> 10];
      o[1] = Base64Alphabet[(unit >> 4) & 0x3F];
      size = 2;
      // As CloseRun: a zero last sextet is left out unless the last unit is U+0000.
      if ((unit & 0x0F) != 0 || unit == 0) o[size++] = Base64Alphabet[(unit & 0x0F) << 2];
    } else if (left == 2) {
      const std::uint32_t first = kUnitOf[in[i]];
      const std::uint32_t unit = kUnitOf[in[i + 1]];
      const std::uint32_t bits = (first << 16) | unit;
      std::memcpy(o, detail::kBase64Pairs[bits >> 20].data(), 2);
      std::memcpy(o + 2, detail::kBase64Pairs[(bits >> 8) & 0xFFF].data(), 2);
      o[4] = Base64Alphabet[(bits >> 2) & 0x3F];
      size = 5;
      if ((unit & 0x03) != 0 || unit == 0) o[size++] = Base64Alphabet[(unit & 0x03) << 4];
    }
    i += left;
    if (size % 2 != 0) o[size++] = 'A';
    o[size++] = '-';
    o += size;
    m_bInRun = false;
  }
  out.resize(start + static_cast<std::size_t>(o - begin));
  return i;
}

void AppendUtf7(std::string_view bytes, std::string& out) {
  Utf7StreamEncoder encoder;
  encoder.PutAll(bytes, out);
}

std::string BytesToUtf7(std::string_view bytes) {
  std::string out;
  AppendUtf7(bytes, out);
  return out;
}

std::size_t Utf7StreamDecoder::Code(std::string_view text, bool last, std::string& out) {
  // Follows Utf7Decoder::Step and End, without the per-byte call.
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  const std::size_t start = out.size();
  out.resize(start + n + 1);  // a byte gives at most a byte; End at most one more
  char* const begin = out.data() + start;
  char* o = begin;
  std::size_t i = 0;
  std::uint32_t accumulator = m_nAccumulator;
  int bits = m_nBits;
  const auto flush = [&] {
    if (bits > 0) {
      const std::uint32_t rest = (accumulator << (16 - bits)) & 0xFFFF;
      if (rest != 0) *o++ = static_cast<char>(UnicodeToByte(rest));
    }
    accumulator = 0;
    bits = 0;
    m_bInRun = false;
  };
  while (i < n) {
    if (!m_bInRun) {
      const unsigned char c = in[i];
      if (c != '+') {
        if (c >= 0x80) {
          out.resize(start + static_cast<std::size_t>(o - begin));
          Fail(DecodeError::kUtf7ByteOutsideRun, i);
          return i;
        }
        *o++ = static_cast<char>(c);  // ASCII maps to itself
        ++i;
        continue;
      }
      if (i + 1 == n && !last) break;  // '+-' or a run: the next byte tells
      ++i;
      if (i < n && in[i] == '-') {
        *o++ = '+';
        ++i;
        continue;
      }
      m_bInRun = true;
      accumulator = 0;
      bits = 0;
    }
    // A run, up to '-' or the end of the text; other characters are skipped. Whole
    // groups of eight alphabet characters give three units.
    while (bits == 0 && n - i >= 8) {
      std::uint64_t group = 0;
      unsigned bad = 0;
      for (std::size_t k = 0; k < 8; ++k) {
        const unsigned char d = in[i + k];
        const unsigned value = d < 0x80 ? (Base64DecodeTable[d] & 0xFFU) : kNotBase64;
        bad |= value;
        group = (group << 6) | (value & 0x3F);
      }
      if (bad >= kNotBase64) break;
      o[0] = static_cast<char>(UnicodeToByte(static_cast<std::uint32_t>(group >> 32) & 0xFFFF));
      o[1] = static_cast<char>(UnicodeToByte(static_cast<std::uint32_t>(group >> 16) & 0xFFFF));
      o[2] = static_cast<char>(UnicodeToByte(static_cast<std::uint32_t>(group) & 0xFFFF));
      o += 3;
      i += 8;
    }
    for (; i < n && in[i] != '-'; ++i) {
      const unsigned char d = in[i];
      const unsigned value = d < 0x80 ? (Base64DecodeTable[d] & 0xFFU) : kNotBase64;
      if (value >= kNotBase64) continue;
      accumulator = (accumulator << 6) + value;
      bits += 6;
      if (bits >= 16) {
        *o++ = static_cast<char>(UnicodeToByte((accumulator >> (bits - 16)) & 0xFFFF));
        bits -= 16;
      }
    }
    if (i == n) break;  // the run goes on
    ++i;                // the '-'
    flush();
  }
  if (last && m_bInRun) flush();
  m_nAccumulator = accumulator;
  m_nBits = bits;
  out.resize(start + static_cast<std::size_t>(o - begin));
  return i;
}

DecodeResult Utf7ToBytes(std::string_view text) {
  Utf7StreamDecoder decoder;
  return StreamCoder::Whole(decoder, text);
}

}  // namespace cyrvert
