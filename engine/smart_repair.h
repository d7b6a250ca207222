// Smart repair: finds whether a text is damaged Russian and, if so, the chain of wrong
// readings (8-bit conversions and UTF-8 mix-ups) that explains it, by how Russian each
// candidate reading looks to a letter-bigram model.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cyrvert {

enum class RepairVerdict {
  kRepaired,      // a chain of steps restores Russian text
  kNotDamaged,    // the text reads as it should (or is no Russian text at all)
  kCannotRepair,  // looks damaged, but no chain gives Russian text (or too short to tell)
  kEmpty,         // no text
};

// "repaired", "not damaged", "cannot repair", "empty".
std::string_view RepairVerdictName(RepairVerdict verdict);

// One step of a repair, in the order the repair applies it to the bytes.
struct RepairStep {
  enum class Kind : unsigned char {
    kConvert,   // one of the twelve byte conversions (`arg` is its index)
    kFromUtf8,  // the bytes are UTF-8: decode them into page `arg` ("?" where it has no character)
    kReadUtf8,  // last step only: the bytes are UTF-8 of the result
  };
  Kind kind = Kind::kConvert;
  int arg = 0;
  friend bool operator==(const RepairStep&, const RepairStep&) = default;
};
using RepairSteps = std::vector<RepairStep>;

// What analysis concluded.
struct RepairAnalysis {
  RepairVerdict verdict = RepairVerdict::kEmpty;
  RepairSteps steps;        // empty unless repaired
  double confidence = 0.0;  // 0..1
  bool utf8_text = false;   // the start of the text is valid UTF-8 as it stands
};

// How the repaired text is written: as bytes of one of the four code pages (numbered as
// CodePage; characters the page lacks become "?"), or as UTF-8.
enum class RepairOutput { kWindows = 0, kDos = 1, kKoi8r = 2, kIso = 3, kUtf8 = 4 };

// Bytes from the start of a text that analysis looks at; a caller that streams reads this
// much (or the whole input, if shorter) before analysing.
inline constexpr std::size_t kSmartRepairWindow = 64 * 1024;

// Decides the verdict and steps from the start of `text` (at most kSmartRepairWindow bytes
// are read). Linear in that window; allocates little.
RepairAnalysis AnalyzeForRepair(std::string_view text);

// The repair of a text that arrived as characters rather than bytes (the clipboard, a
// browser's text box, a str in Python), given and returned as UTF-8.
struct UnicodeRepair {
  RepairAnalysis analysis;  // verdict, steps and confidence
  std::string text;         // the repaired text as UTF-8; the input itself unless repaired
};

// Repairs Unicode text: mojibake such as "РџСЂРёРІРµС‚" or "Ð¿Ñ€Ð¸Ð²ÐµÑ‚" comes back as
// Russian; clean text, and text that is no Russian, comes back unchanged.
UnicodeRepair RepairUnicodeText(std::string_view utf8);

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
// cp-1251; "U2D", "U2K", "U2I" alike), "U8" (read as UTF-8).
std::string RepairCodes(const RepairSteps& steps);

}  // namespace cyrvert
