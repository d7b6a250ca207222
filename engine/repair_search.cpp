#include "engine/repair_search.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "engine/code_page.h"
#include "engine/repair_steps.h"
#include "engine/utf8_walk.h"

namespace cyrvert::detail {
namespace {

// Counts of the bytes and byte pairs of one text, pairs only where a byte is >= 0x80.
struct ByteStats {
  std::array<std::int64_t, 256> count{};
  std::vector<std::uint16_t> high;  // byte values >= 0x80 that occur
  struct Pair {
    unsigned char a, b;
    std::int64_t n;
  };
  std::vector<Pair> pairs;
  std::int64_t high_total = 0;
  std::int64_t ascii_letters = 0;
  std::int64_t ascii_upper = 0;

  // Drops all but the `n` commonest pairs.
  void KeepCommonestPairs(std::size_t n) {
    if (pairs.size() <= n) return;
    std::nth_element(pairs.begin(), pairs.begin() + static_cast<std::ptrdiff_t>(n), pairs.end(),
                     [](const Pair& x, const Pair& y) { return x.n > y.n; });
    pairs.resize(n);
  }

  explicit ByteStats(std::string_view s) {
    // Counts of every pair, kept zero between uses so that no text pays for clearing them.
    thread_local std::vector<std::uint32_t> pair_count(1 << 16, 0);
    std::vector<std::uint16_t> touched;
    unsigned prev = ' ';
    for (const char ch : s) {
      const auto b = static_cast<unsigned char>(ch);
      ++count[b];
      if (b >= 0x80 || prev >= 0x80) {
        const std::size_t k = (prev << 8) | b;
        if (pair_count[k]++ == 0) touched.push_back(static_cast<std::uint16_t>(k));
      }
      prev = b;
    }
    for (const std::uint16_t k : touched) {
      pairs.push_back({static_cast<unsigned char>(k >> 8), static_cast<unsigned char>(k & 0xFF),
                       pair_count[k]});
      pair_count[k] = 0;
    }
    for (unsigned b = 0; b < 256; ++b) {
      if (count[b] == 0) continue;
      if (b >= 0x80) {
        high.push_back(static_cast<std::uint16_t>(b));
        high_total += count[b];
      } else if ((b | 0x20) >= 'a' && (b | 0x20) <= 'z') {
        ascii_letters += count[b];
        if (b <= 'Z') ascii_upper += count[b];
      }
    }
  }
};

// A 64-bit hash of what `table` makes of the upper-half bytes `stats`' text holds.
std::uint64_t HashOfPresent(const ByteStats& stats, const ByteTable& table) {
  std::uint64_t h = 0xcbf29ce484222325u;
  for (const std::uint16_t b : stats.high) h = (h ^ table[b]) * 0x100000001b3u;
  return h ^ (h >> 29);
}

// A 64-bit hash of the classes of what `table` makes of the upper-half bytes present (letters
// case folded): chains alike in it differ in the case of letters, and perhaps in a sign.
std::uint64_t FoldedHashOfPresent(const ByteStats& stats, const ByteTable& table) {
  const auto& win = WindowsInfo();
  std::uint64_t h = 0xcbf29ce484222325u;
  for (const std::uint16_t b : stats.high) {
    const CharInfo& c = win[table[b]];
    const std::uint64_t key = c.cls;
    h = (h ^ key) * 0x100000001b3u;
  }
  return h ^ (h >> 29);
}

// The tally of `stats`' text mapped by `table` and read as cp-1251.
Tally TallyMapped(const ByteStats& stats, const ByteTable& table) {
  const auto& win = WindowsInfo();
  // Below 0x80 no chain changes a byte, and the pairs hold only bytes of `stats.high` above
  // it: refreshing those entries is enough.
  thread_local std::array<CharInfo, 256> info = WindowsInfo();
  for (const std::uint16_t b : stats.high) info[b] = win[table[b]];
  Tally t;
  t.ascii_latin = stats.ascii_letters;
  t.ascii_upper = stats.ascii_upper;
  for (const std::uint16_t b : stats.high) {
    const unsigned char m = table[b];
    const std::int64_t n = stats.count[b];
    t.relevant += n;
    if (m < 0x80) t.lost += n;
    t.AddChar(win[m], n);
  }
  for (const ByteStats::Pair& p : stats.pairs) {
    t.AddBigram(info[p.a], info[p.b], p.n);
  }
  return t;
}

// CostPerChar of TallyMapped(stats, table), from tables of what each byte pair and byte
// read as cp-1251 cost: ranking thousands of chains needs no more.
double CostPerCharMapped(const ByteStats& stats, const ByteTable& table) {
  static const std::vector<std::int32_t> pair_cost = [] {
    const auto& win = WindowsInfo();
    std::vector<std::int32_t> t(256 * 256);
    for (std::size_t a = 0; a < 256; ++a) {
      for (std::size_t b = 0; b < 256; ++b) {
        t[a * 256 + b] = static_cast<std::int32_t>(BigramCost(win[a], win[b]));
      }
    }
    return t;
  }();
  static const std::array<std::int32_t, 256> char_cost = [] {
    const auto& win = WindowsInfo();
    std::array<std::int32_t, 256> t{};
    for (std::size_t m = 0; m < 256; ++m) {
      t[m] = static_cast<std::int32_t>(CharCost(win[m]) + (m < 0x80 ? kRepairLimits.lost_char : 0));
    }
    return t;
  }();
  std::int64_t total = 0;
  for (const std::uint16_t b : stats.high) total += char_cost[table[b]] * stats.count[b];
  for (const ByteStats::Pair& p : stats.pairs) {
    total += pair_cost[std::size_t{table[p.a]} * 256 + table[p.b]] * p.n;
  }
  return static_cast<double>(total) /
         static_cast<double>(std::max<std::int64_t>(1, stats.high_total));
}

// Whether `stats`' text mapped by `table` is likely UTF-8 with some multi-byte characters.
bool LooksUtf8(const ByteStats& stats, const ByteTable& table) {
  std::int64_t leads = 0;
  std::int64_t errors = 0;
  std::int64_t high = 0;
  for (const std::uint16_t b : stats.high) {
    const unsigned char m = table[b];
    if (m < 0x80) continue;
    high += stats.count[b];
    if (m >= 0xC2 && m <= 0xF4) leads += stats.count[b];
    if (m == 0xC0 || m == 0xC1 || m > 0xF4) errors += stats.count[b];
  }
  if (leads == 0) return false;
  for (const ByteStats::Pair& p : stats.pairs) {
    const unsigned char x = table[p.a];
    const unsigned char y = table[p.b];
    const bool lead = x >= 0xC2 && x <= 0xF4;
    const bool cont = y >= 0x80 && y <= 0xBF;
    if ((lead && !cont) || (cont && x < 0x80)) errors += p.n;
  }
  return errors * 20 <= high;
}

// The tally of a sequence of code points (the text after a UTF-8 step).
Tally TallyCodePoints(const std::vector<std::uint32_t>& cps) {
  Tally t;
  CharInfo prev;
  bool prev_relevant = false;
  for (const std::uint32_t cp : cps) {
    const CharInfo info = InfoOf(cp);
    const bool relevant = cp >= 0x80;
    if (relevant) {
      ++t.relevant;
      t.AddChar(info, 1);
    } else if (info.flags & kLatin) {
      ++t.ascii_latin;
      if (info.flags & kUpper) ++t.ascii_upper;
    }
    if (relevant || prev_relevant) t.AddBigram(prev, info, 1);
    prev = info;
    prev_relevant = relevant;
  }
  return t;
}

constexpr std::size_t kChainsKept = 16;
constexpr std::size_t kFarTwins = 2;
constexpr std::int64_t kSampleHighBytes = 512;
constexpr std::size_t kSamplePairs = 128;

// The start of `s` holding kSampleHighBytes upper-half bytes (or all of it).
std::string_view Sample(std::string_view s) {
  std::int64_t high = 0;
  std::size_t end = 0;
  while (end < s.size() && high < kSampleHighBytes) {
    if (static_cast<unsigned char>(s[end]) >= 0x80) ++high;
    ++end;
  }
  return s.substr(0, end);
}

RepairSteps StepsOf(const RepairSteps& before, const ByteChain& chain) {
  RepairSteps steps = before;
  for (const int k : chain.conversions) steps.push_back({RepairStep::Kind::kConvert, k});
  return steps;
}

class Search {
 public:
  // `whole`: the scored bytes are the whole text, so a cut UTF-8 sequence at their end is
  // damage rather than the edge of the prefix.
  explicit Search(bool whole) : m_whole(whole) {}

  std::vector<Candidate> candidates;

  // Every candidate that starts with `steps` and reads the bytes `s` in at most `budget`
  // more steps; `base` holds what earlier steps already lost.
  void Run(std::string_view s, const RepairSteps& steps, int budget, const Tally& base) {
    const ByteStats stats(s);
    // A first look at a sample ranks the 8-bit chains; only the best few are scored on all
    // of the prefix.
    ByteStats sample_stats(Sample(s));
    sample_stats.KeepCommonestPairs(kSamplePairs);
    struct Ranked {
      double cost;
      std::size_t order;
      const ByteChain* chain;
    };
    std::vector<Ranked> ranked;
    ranked.reserve(ByteChains().size());
    std::unordered_set<std::uint64_t> seen_utf8;
    // Folded readings of the chains short enough for a chain two steps longer to repeat them
    // in another case, with the shortest chain giving each.
    std::unordered_map<std::uint64_t, int> short_folded;
    for (const ByteChain& chain : ByteChains()) {
      const int length = static_cast<int>(chain.conversions.size());
      if (length > budget) break;
      ranked.push_back({CostPerCharMapped(sample_stats, chain.table) +
                            kRepairLimits.step * static_cast<double>(length),
                        ranked.size(), &chain});
      if (length + 2 <= budget) {
        short_folded.try_emplace(FoldedHashOfPresent(stats, chain.table), length);
      }
      if (length + 1 > budget || !LooksUtf8(sample_stats, chain.table)) continue;
      // Chains that agree on every byte present read this text alike: follow one.
      if (!seen_utf8.insert(HashOfPresent(stats, chain.table)).second) continue;
      RepairSteps chain_steps = StepsOf(steps, chain);
      std::vector<std::uint32_t> cps;
      cps.reserve(s.size());
      std::string mapped(s);
      for (char& c : mapped) c = static_cast<char>(chain.table[static_cast<unsigned char>(c)]);
      WalkUtf8(mapped, m_whole, [&](std::uint32_t cp) { cps.push_back(cp); });
      RepairSteps read = chain_steps;
      read.push_back({RepairStep::Kind::kReadUtf8, 0});
      Tally u = TallyCodePoints(cps);
      u.Add(base);
      Add(read, u);
      for (int page = 0; page < kRepairPageCount; ++page) {
        std::string next;
        next.reserve(cps.size());
        Tally lost = base;
        for (const std::uint32_t cp : cps) {
          const int b = EncodeForStep(page, cp);
          // A character the page lacks is lost here. U+FFFD written as cp-1251's 0x98 is not:
          // the byte carries it on, to join a UTF-8 sequence it was cut from or to cost as an
          // unknown byte in the next reading.
          if (b == kUnmappable) {
            ++lost.lost, ++lost.relevant;
            if (cp == 0xFFFD) ++lost.bad;
          }
          next.push_back(b == kUnmappable ? kUnmappableByte : static_cast<char>(b));
        }
        RepairSteps from = chain_steps;
        from.push_back({RepairStep::Kind::kFromUtf8, page});
        Run(next, from, budget - length - 1, lost);
      }
    }
    // Sorted as far as the choice below is likely to look; the rest only if it looks further.
    const auto cheaper = [](const Ranked& x, const Ranked& y) {
      return x.cost < y.cost || (x.cost == y.cost && x.order < y.order);
    };
    const std::size_t head = std::min(ranked.size(), 4 * kChainsKept);
    std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(head),
                      ranked.end(), cheaper);
    bool sorted_all = head == ranked.size();
    // The best few distinct readings, and the text as it stands (the first chain) always: it
    // is what a repair must beat.
    std::unordered_set<std::uint64_t> seen;
    std::vector<const ByteChain*> kept;
    std::vector<const ByteChain*> far_twins;
    bool identity_kept = false;
    for (std::size_t i = 0; i < ranked.size(); ++i) {
      if (i == head && !sorted_all) {
        std::sort(ranked.begin() + static_cast<std::ptrdiff_t>(head), ranked.end(), cheaper);
        sorted_all = true;
      }
      const Ranked& r = ranked[i];
      const bool identity = r.order == 0;
      if (kept.size() + (identity_kept ? 0 : 1) >= kChainsKept && !identity) continue;
      // Chains that agree on every byte present read this text alike: score one.
      if (!seen.insert(HashOfPresent(stats, r.chain->table)).second) continue;
      // A chain that only changes the case of the letters a chain two steps shorter gives is
      // no repair: the text keeps its case unless a chain explains it. Twins in case one step
      // apart are both scored, for the verdict to choose the case the text was written in; so
      // are the first few two steps apart, beside the kept ones, where the shorter chain is a
      // repair: the verdict takes them only for capitals the text asks for.
      const int length = static_cast<int>(r.chain->conversions.size());
      if (length >= 2) {
        const auto shorter = short_folded.find(FoldedHashOfPresent(stats, r.chain->table));
        if (shorter != short_folded.end() && shorter->second + 2 <= length) {
          if (shorter->second != 0 && shorter->second + 2 == length &&
              far_twins.size() < kFarTwins) {
            far_twins.push_back(r.chain);
          }
          continue;
        }
      }
      kept.push_back(r.chain);
      identity_kept = identity_kept || identity;
      if (identity_kept && kept.size() >= kChainsKept) break;
    }
    kept.insert(kept.end(), far_twins.begin(), far_twins.end());
    for (const ByteChain* chain : kept) {
      Tally t = TallyMapped(stats, chain->table);
      t.Add(base);
      Add(StepsOf(steps, *chain), t);
    }
  }

 private:
  void Add(const RepairSteps& steps, const Tally& t) {
    Candidate c{steps, t, CostPerChar(t) + kRepairLimits.step * static_cast<double>(steps.size())};
    candidates.push_back(std::move(c));
  }

  bool m_whole;
};

}  // namespace

Tally TallyOfUtf8(std::string_view utf8) {
  std::vector<std::uint32_t> cps;
  cps.reserve(utf8.size());
  WalkUtf8(utf8, true, [&](std::uint32_t cp) { cps.push_back(cp); });
  return TallyCodePoints(cps);
}

double TotalCost(const Tally& t) {
  return CostPerChar(t) * static_cast<double>(std::max<std::int64_t>(1, t.relevant));
}

std::vector<Candidate> SearchReadings(std::string_view text, bool whole) {
  Search search(whole);
  search.Run(text, {}, kMaxRepairSteps, Tally{});
  return std::move(search.candidates);
}

}  // namespace cyrvert::detail
