// Line ends between the editor (CR LF) and Unix (LF).
#pragma once

#include <string>
#include <string_view>

#include "engine/stream_coder.h"

namespace cyrvert {

// CrLfToLf, a slice at a time.
class CrLfToLfStream final : public StreamCoder {
 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;
};

// LfToCrLf, a slice at a time.
class LfToCrLfStream final : public StreamCoder {
 protected:
  std::size_t Code(std::string_view text, bool last, std::string& out) override;

 private:
  bool m_bAfterCr = false;  // the byte before the slice is CR
};

// Turns every CR LF pair into LF, in place; lone CRs and LFs stay.
void ConvertCrLfToLf(std::string& text);

// Turns every LF not preceded by CR into CR LF, in place; CR LF pairs and lone CRs stay.
void ConvertLfToCrLf(std::string& text);

// A copy of `text` converted as by ConvertCrLfToLf.
std::string CrLfToLf(std::string_view text);

// A copy of `text` converted as by ConvertLfToCrLf.
std::string LfToCrLf(std::string_view text);

}  // namespace cyrvert
