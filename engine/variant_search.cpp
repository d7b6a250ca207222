// The search over conversion chains, its driver, and decoding by a Variant.
#include "engine/variant_search.h"

#include <algorithm>

#include "engine/code_page_tables.h"

namespace cyrvert {
namespace detail {
namespace {

// What one top-level search shares across its nodes.
struct SearchState {
  const HighByteHistogram& histogram;
  VariantList& found;
  std::size_t found_start;  // entries of `found` that predate this search
  int sense;
  int best_score;
  SearchHooks& hooks;
  // The conversions from the top level down to the current node; a Variant is built
  // from it only when a chain is accepted.
  std::array<int, kMaxSearchDepth> path;
};

void Accept(SearchState& state, std::size_t length, int score) {
  if (state.sense == 0) {
    // A new best score: whatever this search accepted before is discarded.
    state.found.erase(state.found.begin() + static_cast<std::ptrdiff_t>(state.found_start),
                      state.found.end());
    state.best_score = score;
  }
  Variant variant;
  variant.chain.assign(
      state.path.rbegin() + static_cast<std::ptrdiff_t>(state.path.size() - length),
      state.path.rend());
  variant.score = score;
  state.found.push_back(std::move(variant));
}

// One node: scores its twelve children, then descends into each in turn.
int SearchNode(SearchState& state, int depth, std::size_t level, const LetterSet& letters,
               bool top_level) {
  if (state.hooks.StopRequested()) return kSearchStopped;
  if (!state.hooks.Pump()) return kSearchQuitting;

  std::array<LetterSet, kConversionCount> children;
  for (std::size_t i = 0; i < children.size(); ++i) {
    children[i] = letters;
    ConvertHighHalf(children[i].bytes.data(), children[i].size, kSearchOrder[i]);
  }
  if (top_level && state.sense == 0) state.best_score = kAutoSenseStart;
  for (std::size_t i = 0; i < children.size(); ++i) {
    const int score = CountTopMatches(state.histogram, children[i]);
    if (IsAccepted(score, state.sense, state.best_score)) {
      state.path[level] = kSearchOrder[i];
      Accept(state, level + 1, score);
    }
  }

  const bool progress = top_level && !state.hooks.Minimised();
  if (progress) state.hooks.OpenProgress(1, 13, 1);
  int result = kSearchDone;
  if (depth > 1) {
    for (std::size_t i = 0; i < children.size() && result == kSearchDone; ++i) {
      state.path[level] = kSearchOrder[i];
      result = SearchNode(state, depth - 1, level + 1, children[i], false);
      if (progress && result != kSearchQuitting) {
        state.hooks.SetProgress(static_cast<int>(i) + 2);
      }
    }
  }
  if (progress) state.hooks.CloseProgress();
  return result;
}

}  // namespace
}  // namespace detail

int SearchVariants(const HighByteHistogram& histogram, int depth, const LetterSet& letters,
                   VariantList& found, int sense, SearchHooks& hooks) {
  if (depth < 1) return kSearchDone;
  LetterSet start = letters;
  start.size = std::min(start.size, start.bytes.size());
  detail::SearchState state{histogram, found, found.size(), sense, kAutoSenseStart, hooks, {}};
  return detail::SearchNode(state, std::min(depth, kMaxSearchDepth), 0, start, true);
}

FindResult FindVariants(const HighByteHistogram& histogram, const SearchParams& params,
                        SearchHooks& hooks) {
  FindResult outcome;
  if (params.depth < 0) return outcome;
  const int first = params.depth == 0 ? 1 : params.depth;
  const int last = params.depth == 0 ? kAutoDepthLast : params.depth;
  VariantList found;
  int result = kSearchDone;
  for (int depth = first; depth <= last; ++depth) {
    const int target = params.target ? params.target() : kWindows;
    if (target < 0 || target >= kCodePageCount) continue;
    outcome.depth = depth;
    result = SearchVariants(histogram, depth, MakeLetterSet(target, params.big_letters), found,
                            params.sense, hooks);
    if (result != kSearchDone || !found.empty()) break;
  }
  if (result == kSearchQuitting) {
    outcome.status = EngineStatus::kQuitting;
    return outcome;
  }
  if (result == kSearchStopped) {
    outcome.status = EngineStatus::kStopped;
    return outcome;
  }
  if (found.empty()) {
    outcome.status = EngineStatus::kNothingFound;
    return outcome;
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const Variant& a, const Variant& b) { return a.score > b.score; });
  if (params.n_limit > 0 && found.size() >= static_cast<std::size_t>(params.n_limit)) {
    found.resize(static_cast<std::size_t>(params.n_limit));
  }
  outcome.status = EngineStatus::kDone;
  outcome.variants = std::move(found);
  return outcome;
}

void DecodeByVariant(char* bytes, std::size_t length, const Variant& variant) {
  // The inverse conversions composed into one table, so the text is passed over once.
  std::array<unsigned char, 256> table{};
  for (std::size_t b = 0; b < table.size(); ++b) table[b] = static_cast<unsigned char>(b);
  bool any = false;
  for (const int conversion : variant.chain) {
    if (conversion < 0 || conversion >= kConversionCount) continue;
    const auto& step = detail::FullConversionTable(InverseConversion(conversion));
    for (auto& entry : table) entry = step[entry];
    any = true;
  }
  if (any) detail::ApplyByteTable(reinterpret_cast<unsigned char*>(bytes), length, table);
}

std::string VariantHistory(const Variant& variant) {
  std::string history = "(";
  bool first = true;
  for (const int conversion : variant.chain) {
    if (conversion < 0 || conversion >= kConversionCount) continue;
    if (!first) history += ',';
    history += ConversionCode(InverseConversion(conversion));
    first = false;
  }
  history += ')';
  return history;
}

std::vector<std::string> MakeVariantPreviews(std::string_view text,
                                             const std::vector<Variant>& variants,
                                             std::size_t count, std::size_t sample_start,
                                             std::size_t window) {
  const std::string_view sample = text.substr(std::min(sample_start, text.size()), window);
  std::vector<std::string> previews;
  previews.reserve(std::min(count, variants.size()));
  for (std::size_t i = 0; i < count && i < variants.size(); ++i) {
    std::string preview(sample);
    DecodeByVariant(preview.data(), preview.size(), variants[i]);
    previews.push_back(std::move(preview));
  }
  return previews;
}

}  // namespace cyrvert
