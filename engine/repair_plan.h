// A repair plan: the steps that undo the damage of a text, as a value. The same value is
// replayed on any text (ApplyPlan, RepairStream) and explained in words (DescribePlan).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cyrvert {

// One step of a repair, in the order the repair applies it to the bytes.
struct RepairStep {
  enum class Kind : unsigned char {
    kConvert,   // one of the twelve byte conversions (`arg` is its index)
    kFromUtf8,  // the bytes are UTF-8: decode them into page `arg` (a RepairPage; "?" where it
                // has no character)
    kReadUtf8,  // last step only: the bytes are UTF-8 of the result
    kKeep,      // only step: the bytes are written as they are, whatever the output
  };
  Kind kind = Kind::kConvert;
  int arg = 0;
  friend bool operator==(const RepairStep&, const RepairStep&) = default;
};
using RepairSteps = std::vector<RepairStep>;

// Pages a UTF-8 step decodes into: the four Cyrillic pages (numbered as CodePage), then the
// two Western pages web mojibake goes through.
inline constexpr int kRepairPageCp1252 = 4;  // cp-1252, its five unused bytes as C1 controls
inline constexpr int kRepairPageLatin1 = 5;  // ISO-8859-1
inline constexpr int kRepairPageCount = 6;

// How the repaired text is written: as bytes of one of the four code pages (numbered as
// CodePage; characters the page lacks become "?"), or as UTF-8.
enum class RepairOutput { kWindows = 0, kDos = 1, kKoi8r = 2, kIso = 3, kUtf8 = 4 };

// A stretch of a text (byte offsets [begin, end)) repaired by its own steps.
struct RepairStretch {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t first_line = 0;  // the lines it spans, from 1, for messages
  std::size_t last_line = 0;
  bool damaged = false;  // false: the steps only write a right stretch in the output's form
  RepairSteps steps;
  friend bool operator==(const RepairStretch&, const RepairStretch&) = default;
};

// The repair of a text: one chain for all of it, or, when parts of it were damaged
// differently, a chain per stretch.
struct RepairPlan {
  RepairSteps steps;                     // the whole text's chain (bytes past the stretches)
  std::vector<RepairStretch> stretches;  // in order, not overlapping; empty: one chain
  friend bool operator==(const RepairPlan&, const RepairPlan&) = default;
};

// `text` repaired by `plan`, written as `output`.
std::string ApplyPlan(std::string_view text, const RepairPlan& plan, RepairOutput output);

// The plan in words: the damage its chain undoes, or one line per stretch
// ("lines 3-9: KOI8-R read as cp-1251 (K2W)"; "lines 1-2: not damaged").
std::string DescribePlan(const RepairPlan& plan);
// The plan's codes: RepairCodes of its chain, or "lines 3-9 K2W; lines 10-12 U8" per stretch.
std::string PlanCodes(const RepairPlan& plan);

// Applies `steps` to a text given in slices, carrying UTF-8 sequences across slice ends.
class RepairStream {
 public:
  RepairStream(const RepairSteps& steps, RepairOutput output);
  ~RepairStream();
  RepairStream(const RepairStream&) = delete;
  RepairStream& operator=(const RepairStream&) = delete;

  // Appends the repaired form of the next slice to `out`.
  void Feed(std::string_view slice, std::string& out);
  // Appends what the last slice left incomplete (a cut UTF-8 sequence) to `out`.
  void Finish(std::string& out);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

// The whole text through `steps`; with no steps, the text as it is (or as UTF-8).
std::string ApplyRepair(std::string_view text, const RepairSteps& steps, RepairOutput output);

// The damage the steps undo, in the order it happened: "UTF-8 read as cp-1251, then KOI8-R
// read as cp-1251". Empty for no steps.
std::string DescribeRepair(const RepairSteps& steps);

// Short codes in repair order, as in "K2W,U8": conversion codes, "U2W" (UTF-8 decoded into
// cp-1251; "U2D", "U2K", "U2I" alike, "U2C" into cp-1252, "U2L" into latin-1), "U8" (read as
// UTF-8).
std::string RepairCodes(const RepairSteps& steps);

}  // namespace cyrvert
