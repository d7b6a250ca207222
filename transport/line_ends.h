// Line ends between the editor (CR LF) and Unix (LF).
#pragma once

#include <string>

namespace cyrvert {

// Turns every CR LF pair into LF, in place; lone CRs and LFs stay.
void ConvertCrLfToLf(std::string& text);

// Turns every LF not preceded by CR into CR LF, in place; CR LF pairs and lone CRs stay.
void ConvertLfToCrLf(std::string& text);

}  // namespace cyrvert
