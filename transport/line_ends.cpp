#include "transport/line_ends.h"

#include <cstring>

namespace cyrvert {
namespace {

// Position of the next `c` in `text` at or after `from`, or text.size().
std::size_t Next(std::string_view text, std::size_t from, char c) {
  const void* hit = std::memchr(text.data() + from, c, text.size() - from);
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
}

// Copies `text` to `out` (sized for the result) with CR LF pairs as LF.
void CopyCrLfToLf(std::string_view text, char* out) {
  std::size_t start = 0;
  for (std::size_t cr = Next(text, 0, '\r'); cr < text.size(); cr = Next(text, cr + 1, '\r')) {
    if (cr + 1 < text.size() && text[cr + 1] == '\n') {
      std::memmove(out, text.data() + start, cr - start);  // may overlap when in place
      out += cr - start;
      start = cr + 1;  // the LF starts the next piece
    }
  }
  std::memmove(out, text.data() + start, text.size() - start);
}

std::size_t CountCrLf(std::string_view text) {
  std::size_t pairs = 0;
  for (std::size_t cr = Next(text, 0, '\r'); cr < text.size(); cr = Next(text, cr + 1, '\r')) {
    if (cr + 1 < text.size() && text[cr + 1] == '\n') ++pairs;
  }
  return pairs;
}

// LFs not preceded by CR; `after_cr` says whether the byte before `text` is CR.
std::size_t CountBareLf(std::string_view text, bool after_cr = false) {
  std::size_t bare = 0;
  for (std::size_t lf = Next(text, 0, '\n'); lf < text.size(); lf = Next(text, lf + 1, '\n')) {
    if (lf == 0 ? !after_cr : text[lf - 1] != '\r') ++bare;
  }
  return bare;
}

// Copies `text` to `out` (sized for the result) with each bare LF as CR LF.
void CopyLfToCrLf(std::string_view text, char* out, bool after_cr = false) {
  std::size_t start = 0;
  for (std::size_t lf = Next(text, 0, '\n'); lf < text.size(); lf = Next(text, lf + 1, '\n')) {
    if (lf == 0 ? !after_cr : text[lf - 1] != '\r') {
      std::memcpy(out, text.data() + start, lf - start);
      out += lf - start;
      *out++ = '\r';
      start = lf;  // the LF starts the next piece
    }
  }
  std::memcpy(out, text.data() + start, text.size() - start);
}

}  // namespace

void ConvertCrLfToLf(std::string& text) {
  const std::size_t pairs = CountCrLf(text);
  if (pairs == 0) return;
  // The output never overtakes the input, so the text is compacted in place.
  CopyCrLfToLf(text, text.data());
  text.resize(text.size() - pairs);
}

void ConvertLfToCrLf(std::string& text) {
  if (CountBareLf(text) == 0) return;
  text = LfToCrLf(text);
}

std::size_t CrLfToLfStream::Code(std::string_view text, bool last, std::string& out) {
  // A CR at the end may start a pair with the next slice.
  if (!last && !text.empty() && text.back() == '\r') text.remove_suffix(1);
  const std::size_t start = out.size();
  out.resize(start + text.size() - CountCrLf(text));
  CopyCrLfToLf(text, out.data() + start);
  return text.size();
}

std::size_t LfToCrLfStream::Code(std::string_view text, bool, std::string& out) {
  if (text.empty()) return 0;
  const std::size_t start = out.size();
  out.resize(start + text.size() + CountBareLf(text, m_bAfterCr));
  CopyLfToCrLf(text, out.data() + start, m_bAfterCr);
  m_bAfterCr = text.back() == '\r';
  return text.size();
}

std::string CrLfToLf(std::string_view text) {
  std::string out(text.size() - CountCrLf(text), '\0');
  CopyCrLfToLf(text, out.data());
  return out;
}

std::string LfToCrLf(std::string_view text) {
  std::string out(text.size() + CountBareLf(text), '\0');
  CopyLfToCrLf(text, out.data());
  return out;
}

}  // namespace cyrvert
