// The search over conversion chains and what is done with the Variants it finds.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/code_page.h"
#include "engine/engine_status.h"
#include "engine/scoring.h"

namespace cyrvert {

// One candidate decoding: a chain of conversions, the most recently added first.
struct Variant {
  std::vector<int> chain;
  int score = 0;
  bool operator==(const Variant&) const = default;
};

using VariantList = std::vector<Variant>;

// The order in which conversions are tried at every node.
inline constexpr std::array<int, 12> kSearchOrder = {0, 1, 2, 3, 4, 5, 6, 7, 11, 10, 9, 8};

// Deepest search run, the deepest the options offer; a deeper stored depth is cut to it, so
// no setting makes a run that would not end in reasonable time.
inline constexpr int kMaxSearchDepth = 5;
// Most Variants a run is asked to keep (the N best option, decode --best).
inline constexpr int kMaxBest = 500;
// The last depth automatic depth tries.
inline constexpr int kAutoDepthLast = 4;

// Status of one top-level search.
enum SearchResult : int { kSearchDone = 0, kSearchStopped = 2, kSearchQuitting = -1 };

// What a running search needs of the program: stop, pump, minimised state and progress.
class SearchHooks {
 public:
  virtual ~SearchHooks() = default;
  // True once the user has asked to stop.
  virtual bool StopRequested() = 0;
  // Dispatches waiting events; false when the program is quitting.
  virtual bool Pump() = 0;
  // Whether the main window is minimised (no progress is shown then).
  virtual bool Minimised() = 0;
  // Opens the progress bar with a range and a position.
  virtual void OpenProgress(int lower, int upper, int position) = 0;
  // Moves the open progress bar.
  virtual void SetProgress(int position) = 0;
  // Closes the progress bar.
  virtual void CloseProgress() = 0;
};

// Hooks that never stop, never quit and show nothing.
class NoOpSearchHooks : public SearchHooks {
 public:
  bool StopRequested() override { return false; }
  bool Pump() override { return true; }
  bool Minimised() override { return false; }
  void OpenProgress(int, int, int) override {}
  void SetProgress(int) override {}
  void CloseProgress() override {}
};

// One top-level search to `depth` from `letters`; appends accepted Variants to `found`
// (in automatic sensitivity, a new best score drops what this search appended before).
// A depth below 1 searches nothing. Returns a SearchResult.
int SearchVariants(const HighByteHistogram& histogram, int depth, const LetterSet& letters,
                   VariantList& found, int sense, SearchHooks& hooks);

// Settings that steer one run of FindVariants.
struct SearchParams {
  int depth = 0;    // 0 automatic (1..4), otherwise fixed (at most kMaxSearchDepth); negative
                    // searches nothing
  int sense = 0;    // 0 automatic, otherwise the score threshold
  int n_limit = 0;  // 0 no limit
  bool big_letters = false;     // 16 letters instead of 8
  std::function<int()> target;  // read before each search depth; empty: WINDOWS
};

struct FindResult {
  EngineStatus status = EngineStatus::kNothingFound;  // done, quitting, nothing found or stopped
  std::vector<Variant> variants;                      // sorted best first (stable), cut to n_limit
  int depth = 0;                                      // depth of the last search run
};

// The driver of one run: picks the depth, searches, sorts and limits.
FindResult FindVariants(const HighByteHistogram& histogram, const SearchParams& params,
                        SearchHooks& hooks);

// Decodes `bytes` in place by the inverse conversions of the chain, first element first;
// indices outside 0..11 are skipped.
void DecodeByVariant(char* bytes, std::size_t length, const Variant& variant);

// "(K2W,W2D)": the inverse codes in the order DecodeByVariant applies them.
std::string VariantHistory(const Variant& variant);

// For each of the first `count` Variants (at most all of them), the `window` bytes of `text` from
// `sample_start` (fewer at the end of the text), decoded by that Variant.
std::vector<std::string> MakeVariantPreviews(std::string_view text,
                                             const std::vector<Variant>& variants,
                                             std::size_t count, std::size_t sample_start,
                                             std::size_t window = kPreviewWindow);

}  // namespace cyrvert
