// Smart repair on any bytes: analysis answers for every output, a repair with the plan it
// found never grows the text more than UTF-8 can, UTF-8 output is well formed, slicing the
// input (at a point taken from the data) changes nothing; and the same bytes as Unicode text
// come back well formed, unchanged unless repaired.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/repair_writing.h"
#include "engine/smart_repair.h"

namespace {

bool WellFormedUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace cyrvert;
  if (size == 0) return 0;
  const std::size_t cut = data[0] % 16 + 1;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const RepairAnalysis analysis = AnalyzeForRepair(input);
  if (analysis.confidence < 0 || analysis.confidence > 1) std::abort();
  const bool repaired = analysis.verdict == RepairVerdict::kRepaired;
  if (repaired == (analysis.steps.empty() && analysis.plan.stretches.empty())) std::abort();
  if (input.empty() != (analysis.verdict == RepairVerdict::kEmpty)) std::abort();
  for (const RepairOutput output : {RepairOutput::kDos, RepairOutput::kUtf8}) {
    const RepairAnalysis other = AnalyzeForRepair(input, {.output = output});
    const std::string written = ApplyPlan(input, WritingPlan(other, output), output);
    if (output == RepairOutput::kUtf8 && !WellFormedUtf8(written)) std::abort();
  }
  const UnicodeRepair unicode = RepairUnicodeText(input);
  if (WellFormedUtf8(input) && !WellFormedUtf8(unicode.text)) std::abort();
  if (unicode.analysis.verdict != RepairVerdict::kRepaired && unicode.text != input) std::abort();
  if (!analysis.plan.stretches.empty()) return 0;  // streamed only as one chain
  for (const RepairOutput output : {RepairOutput::kWindows, RepairOutput::kUtf8}) {
    const std::string whole = ApplyRepair(input, analysis.steps, output);
    if (output == RepairOutput::kWindows && whole.size() > input.size()) std::abort();
    if (output == RepairOutput::kUtf8 && !WellFormedUtf8(whole)) std::abort();
    RepairStream stream(analysis.steps, output);
    std::string sliced;
    for (std::size_t at = 0; at < input.size(); at += cut)
      stream.Feed(input.substr(at, cut), sliced);
    stream.Finish(sliced);
    if (sliced != whole) std::abort();
  }
  return 0;
}
