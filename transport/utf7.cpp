#include "transport/utf7.h"

#include <utility>

#include "transport/output_sink.h"
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

template <class Sink>
void Utf7Encoder::AddUnit(std::uint32_t unit, Sink& sink) {
  m_bLastUnitZero = (unit & 0xFFFF) == 0;
  m_nBuffer += (unit & 0xFFFF) << (16 - m_nPending);
  m_nPending += 16;
  while (m_nPending >= 6) {
    sink.Add(Base64Alphabet[m_nBuffer >> 26]);
    m_nBuffer <<= 6;
    m_nPending -= 6;
    ++m_nChars;
  }
}

template <class Sink>
void Utf7Encoder::CloseRun(Sink& sink) {
  if (m_nPending > 0) {
    // An all-zero last sextet is left out, as the decoder drops zero leftovers. Only when
    // the last unit is U+0000 is it written: the decoder would otherwise lose that unit.
    const std::uint32_t sextet = m_nBuffer >> 26;  // the bits below the pending ones are 0
    if (sextet != 0 || m_bLastUnitZero) {
      sink.Add(Base64Alphabet[sextet]);
      ++m_nChars;
    }
  }
  if (m_nChars % 2 != 0) sink.Add('A');
  m_nBuffer = 0;
  m_nPending = 0;
  m_nChars = 0;
}

template <class Sink>
void Utf7Encoder::PutTo(std::uint32_t value, Sink& sink) {
  const unsigned char byte = UnicodeToByte(value);
  const bool direct = kDirect[byte];
  if (m_bInRun) {
    if (!direct) {
      AddUnit(value, sink);
      return;
    }
    CloseRun(sink);
    sink.Add('-');
    sink.Add(static_cast<char>(byte));
    m_bInRun = false;
    return;
  }
  if (direct) {
    sink.Add(static_cast<char>(byte));
  } else if (byte == '+') {
    sink.Add("+-");
  } else {
    sink.Add('+');
    m_nBuffer = 0;
    m_nPending = 0;
    m_nChars = 0;
    m_bInRun = true;
    AddUnit(value, sink);
  }
}

template <class Sink>
void Utf7Encoder::EndTo(Sink& sink) {
  if (!m_bInRun) return;
  m_bInRun = false;
  CloseRun(sink);
  sink.Add('-');
}

void Utf7Encoder::Put(std::uint32_t value, std::string& out) {
  detail::StringSink sink{out};
  PutTo(value, sink);
}

void Utf7Encoder::End(std::string& out) {
  detail::StringSink sink{out};
  EndTo(sink);
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

void AppendUtf7(std::string_view bytes, std::string& out) {
  detail::AppendMeasured(out, [bytes](auto& sink) {
    Utf7Encoder encoder;
    encoder.Begin();
    for (const char c : bytes) encoder.PutTo(ByteToUnicode(static_cast<unsigned char>(c)), sink);
    encoder.EndTo(sink);
  });
}

std::string BytesToUtf7(std::string_view bytes) {
  std::string out;
  AppendUtf7(bytes, out);
  return out;
}

namespace {

// Writes the decoded bytes of `text` to `sink`; returns the offset of a byte of 0x80 or
// more outside a run, or npos.
template <class Sink>
std::size_t DecodeAll(std::string_view text, Sink& sink) {
  Utf7Decoder decoder;
  decoder.Begin();
  std::uint16_t unit = 0;
  bool delivered = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t at = pos;
    if (decoder.Step(text, pos, unit, delivered) != 0) return at;
    if (delivered) sink.Add(static_cast<char>(UnicodeToByte(unit)));
  }
  decoder.End(unit, delivered);
  if (delivered) sink.Add(static_cast<char>(UnicodeToByte(unit)));
  return std::string_view::npos;
}

}  // namespace

DecodeResult Utf7ToBytes(std::string_view text) {
  detail::CountSink count;
  const std::size_t bad = DecodeAll(text, count);
  if (bad != std::string_view::npos) return detail::Failure(DecodeError::kUtf7ByteOutsideRun, bad);
  std::string out(count.size, '\0');
  detail::PointerSink sink{out.data()};
  DecodeAll(text, sink);
  return DecodeResult{DecodeError::kNone, 0, std::move(out)};
}

}  // namespace cyrvert
