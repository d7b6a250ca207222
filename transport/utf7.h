// The program's UTF-7 coder. Digits, CR and TAB are encoded; a run is always closed with
// '-'; an all-zero last sextet is left out (unless the run ends with U+0000, which the
// decoder would otherwise drop) and the run padded to an even length; the decoder ends a
// run only at '-' or at the end of the text. Encoder and decoder work as a pair.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/decode_result.h"
#include "engine/stream_coder.h"
#include "transport/base64.h"

namespace cyrvert {

// 6-bit value of each ASCII code, 0x40 outside the alphabet.
extern const std::array<std::uint16_t, 128> Base64DecodeTable;

// True for the bytes written as themselves: letters, ' ( ) , - . / : ? space and LF.
bool IsUtf7Direct(unsigned char byte);

// Encodes Unicode units one at a time.
class Utf7Encoder {
 public:
  // Starts outside a run.
  void Begin();
  // Appends the form of `value` (only its low 16 bits go into a run).
  void Put(std::uint32_t value, std::string& out);
  // Closes an open run.
  void End(std::string& out);

 private:
  // Adds one 16-bit unit to the run and writes the complete sextets.
  void AddUnit(std::uint32_t unit, std::string& out);
  // Writes the leftover bits and the even-length padding, and resets the run.
  void CloseRun(std::string& out);

  bool m_bInRun = false;
  std::uint32_t m_nBuffer = 0;   // pending bits, left-aligned at bit 31
  int m_nPending = 0;            // 0, 2 or 4 between units
  int m_nChars = 0;              // base64 characters written in this run
  bool m_bLastUnitZero = false;  // the last unit was U+0000: its zero sextet must be written
};

// Decodes UTF-7 text a byte (or two) at a time.
class Utf7Decoder {
 public:
  // Starts outside a run.
  void Begin();
  // Reads from `pos` (pos < text.size()) and moves it on. Returns 0, or -1 for a byte of
  // 0x80 or more outside a run. `delivered` says whether `unit` holds a decoded unit.
  int Step(std::string_view text, std::size_t& pos, std::uint16_t& unit, bool& delivered);
  // Delivers a unit left in an open run at the end of the text.
  void End(std::uint16_t& unit, bool& delivered);

 private:
  // Ends the run, delivering its non-zero leftover bits left-aligned.
  void Flush(std::uint16_t& unit, bool& delivered);

  bool m_bInRun = false;
  std::uint32_t m_nAccumulator = 0;  // sextets shifted in from the right
  int m_nBits = 0;                   // bits not yet delivered, 0..15 between steps
};

// BytesToUtf7, a slice at a time.
class Utf7StreamEncoder final : public StreamCoder {
 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;

 private:
  bool m_bInRun = false;  // a run is open and its bytes so far are written in whole groups
};

// Utf7ToBytes, a slice at a time.
class Utf7StreamDecoder final : public StreamCoder {
 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;

 private:
  bool m_bInRun = false;
  std::uint32_t m_nAccumulator = 0;
  int m_nBits = 0;
};

// cp-1251 bytes to the UTF-7 form above: what Begin, Put of each byte's value and End
// give, computed a run at a time.
std::string BytesToUtf7(std::string_view bytes);
// The same, appended to `out`.
void AppendUtf7(std::string_view bytes, std::string& out);

// UTF-7 text to cp-1251 bytes; units without a byte become '?'. What Begin, Step to the
// end and End give, computed a run at a time.
DecodeResult Utf7ToBytes(std::string_view text);

}  // namespace cyrvert
