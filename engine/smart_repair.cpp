// Smart repair: candidate chains, their scores on a prefix, and the chosen chain applied to
// the whole text in one pass.
#include "engine/smart_repair.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "engine/code_page.h"
#include "engine/code_page_tables.h"
#include "engine/russian_model.h"
#include "engine/unicode_codec.h"
#include "engine/utf8_walk.h"

namespace cyrvert {
namespace {

using ByteTable = std::array<unsigned char, 256>;
using detail::kClassBlank;
using detail::kClassDigit;
using detail::kClassLatin;
using detail::kClassOther;
using detail::kClassPunct;
using detail::kClassYo;
using detail::kRussianBigramCost;

constexpr int kMaxSteps = 3;

// ---------------------------------------------------------------------------------------
// Characters as the model and the penalties see them.

enum CharFlag : std::uint16_t {
  kUpper = 1 << 0,
  kLower = 1 << 1,
  kRussian = 1 << 2,   // a Russian letter
  kLatin = 1 << 3,     // a Latin letter
  kForeign = 1 << 4,   // a Cyrillic letter Russian does not use
  kBad = 1 << 5,       // no Russian text holds it: controls, box drawing, U+FFFD
  kYeryE = 1 << 6,     // ы or э: Russian has them, its neighbours mostly do not
  kHardSign = 1 << 7,  // ъ: rare in Russian, common in Bulgarian
};

// Letter case as the case penalties see it.
enum CaseKind : std::uint8_t {
  kNoCase,
  kLowerOther,  // a lower-case letter of another alphabet
  kUpperOther,
  kLowerRussian,
  kUpperRussian,
};

struct CharInfo {
  std::uint8_t cls = kClassBlank;
  std::uint16_t flags = 0;
  std::uint8_t kind = kNoCase;
};

constexpr std::int64_t kCaseBreakCost = 600;  // a capital right after a small letter
constexpr std::int64_t kCapsRunCost = 100;    // a capital after a capital: Russian is mostly small

// The case cost of each pair of kinds, so that scoring a bigram takes no branches on case.
constexpr std::array<std::array<std::int64_t, 5>, 5> kCaseCost = [] {
  std::array<std::array<std::int64_t, 5>, 5> table{};
  for (int a = 0; a < 5; ++a) {
    for (int b = 0; b < 5; ++b) {
      const bool a_lower = a == kLowerOther || a == kLowerRussian;
      const bool b_upper = b == kUpperOther || b == kUpperRussian;
      const bool breaks = (a_lower && b == kUpperRussian) || (a == kLowerRussian && b_upper);
      const bool caps = (a == kUpperOther || a == kUpperRussian) && b_upper &&
                        (a == kUpperRussian || b == kUpperRussian);
      table[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] =
          (breaks ? kCaseBreakCost : 0) + (caps ? kCapsRunCost : 0);
    }
  }
  return table;
}();

CharInfo WithKind(CharInfo info) {
  const bool upper = (info.flags & kUpper) != 0;
  if (info.flags & kRussian) {
    info.kind = upper ? kUpperRussian : kLowerRussian;
  } else if (info.flags & (kUpper | kLower)) {
    info.kind = upper ? kUpperOther : kLowerOther;
  }
  return info;
}

bool IsTypographic(std::uint32_t cp) {
  return (cp >= 0x2010 && cp <= 0x2027) || cp == 0xAB || cp == 0xBB || cp == 0xB7 || cp == 0x2116;
}

CharInfo InfoOfChar(std::uint32_t cp);

CharInfo InfoOf(std::uint32_t cp) { return WithKind(InfoOfChar(cp)); }

CharInfo InfoOfChar(std::uint32_t cp) {
  CharInfo info;
  if (cp < 0x80) {
    if (cp == ' ' || cp == '\t' || cp == '\n' || cp == '\r' || cp == '\f' || cp == '\v') {
      info.cls = kClassBlank;
    } else if (cp >= 'a' && cp <= 'z') {
      info.cls = kClassLatin, info.flags = kLatin | kLower;
    } else if (cp >= 'A' && cp <= 'Z') {
      info.cls = kClassLatin, info.flags = kLatin | kUpper;
    } else if (cp >= '0' && cp <= '9') {
      info.cls = kClassDigit;
    } else if (cp >= 0x21 && cp <= 0x7E) {
      info.cls = kClassPunct;
    } else {
      info.cls = kClassOther, info.flags = kBad;
    }
    return info;
  }
  if (cp >= 0x410 && cp <= 0x44F) {
    const std::uint32_t folded = cp >= 0x430 ? cp - 0x430 : cp - 0x410;
    info.cls = static_cast<std::uint8_t>(1 + folded);
    info.flags = kRussian | (cp >= 0x430 ? kLower : kUpper);
    if (folded == 0x1B || folded == 0x1D) info.flags |= kYeryE;
    if (folded == 0x1A) info.flags |= kHardSign;
    return info;
  }
  if (cp == 0x401 || cp == 0x451) {
    info.cls = kClassYo;
    info.flags = static_cast<std::uint16_t>(kRussian | (cp == 0x451 ? kLower : kUpper));
    return info;
  }
  info.cls = kClassOther;
  if (cp >= 0x400 && cp <= 0x4FF) {
    const bool lower = (cp >= 0x450 && cp <= 0x45F) || (cp >= 0x460 && (cp & 1) != 0);
    info.flags = kForeign | (lower ? kLower : kUpper);
  } else if (cp == 0xA0) {
    info.cls = kClassBlank;
  } else if (cp <= 0x9F || cp == 0xFFFD || (cp >= 0x2500 && cp <= 0x25FF) || cp == 0x2320 ||
             cp == 0x2321) {
    info.flags = kBad;
  } else if (cp >= 0xC0 && cp <= 0x24F && cp != 0xD7 && cp != 0xF7) {
    info.cls = kClassLatin;
    info.flags =
        kLatin | ((cp >= 0xDF && cp <= 0xFF) || (cp > 0xFF && (cp & 1) != 0) ? kLower : kUpper);
  } else if (IsTypographic(cp)) {
    info.cls = kClassPunct;
  }
  return info;
}

// Each byte of cp-1251 as the scorer sees it.
const std::array<CharInfo, 256>& WindowsInfo() {
  static const std::array<CharInfo, 256> table = [] {
    std::array<CharInfo, 256> t{};
    for (int b = 0; b < 256; ++b) {
      t[static_cast<std::size_t>(b)] =
          InfoOf(PageCodec(kWindows)->ToUnicode(static_cast<unsigned char>(b)));
    }
    return t;
  }();
  return table;
}

// ---------------------------------------------------------------------------------------
// Unicode -> page bytes: the engine's one codec, with a byte that has no character (cp-1251
// 0x98) coming back from the C1 control of its value, as a byte-preserving reading gives it.

constexpr int kUnmappable = -1;

const ByteCodec& RepairCodec(int page) { return *PageCodec(page, UnassignedByte::kSameValue); }

// The byte a UTF-8 step writes for `cp` into `page`. U+FFFD, what many decoders make of
// cp-1251's 0x98 (its one byte without a character), goes back to that byte, so that text
// encoded to UTF-8 twice by such a decoder still comes back whole.
int EncodeForStep(int page, std::uint32_t cp) {
  if (cp == 0xFFFD && page == kWindows) return 0x98;
  return cp > 0xFFFF ? kUnmappable : RepairCodec(page).FromUnicode(cp);
}

// ---------------------------------------------------------------------------------------
// UTF-8.

// Writes `cp` as UTF-8 at `at`; returns the end of what it wrote.
char* PutUtf8(char* at, std::uint32_t cp) {
  const auto c = [](std::uint32_t byte) { return static_cast<char>(byte); };
  if (cp < 0x80) {
    *at++ = c(cp);
  } else if (cp < 0x800) {
    *at++ = c(0xC0 | (cp >> 6));
    *at++ = c(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *at++ = c(0xE0 | (cp >> 12));
    *at++ = c(0x80 | ((cp >> 6) & 0x3F));
    *at++ = c(0x80 | (cp & 0x3F));
  } else {
    *at++ = c(0xF0 | (cp >> 18));
    *at++ = c(0x80 | ((cp >> 12) & 0x3F));
    *at++ = c(0x80 | ((cp >> 6) & 0x3F));
    *at++ = c(0x80 | (cp & 0x3F));
  }
  return at;
}

// ---------------------------------------------------------------------------------------
// The 8-bit chains: every chain of up to three conversions, one per distinct byte table,
// shortest first.

struct ByteChain {
  ByteTable table{};
  std::vector<int> conversions;
};

ByteTable Identity() {
  ByteTable t{};
  for (std::size_t b = 0; b < t.size(); ++b) t[b] = static_cast<unsigned char>(b);
  return t;
}

ByteTable Then(const ByteTable& first, int conversion) {
  const auto& next = detail::FullConversionTable(conversion);
  ByteTable t{};
  for (std::size_t b = 0; b < t.size(); ++b) t[b] = next[first[b]];
  return t;
}

const std::vector<ByteChain>& ByteChains() {
  static const std::vector<ByteChain> chains = [] {
    const auto key = [](const ByteTable& t) {
      return std::string(reinterpret_cast<const char*>(t.data()), t.size());
    };
    std::vector<ByteChain> all{{Identity(), {}}};
    std::unordered_set<std::string> seen{key(all[0].table)};
    std::size_t level_begin = 0;
    for (int depth = 1; depth <= kMaxSteps; ++depth) {
      const std::size_t level_end = all.size();
      for (std::size_t i = level_begin; i < level_end; ++i) {
        for (int k = 0; k < kConversionCount; ++k) {
          ByteChain next{Then(all[i].table, k), all[i].conversions};
          next.conversions.push_back(k);
          if (seen.insert(key(next.table)).second) all.push_back(std::move(next));
        }
      }
      level_begin = level_end;
    }
    return all;
  }();
  return chains;
}

// ---------------------------------------------------------------------------------------
// Scoring.

struct Tally {
  std::int64_t cost = 0;  // centibits over the bigrams that touch a non-ASCII character
  std::int64_t letter_cost = 0;
  std::int64_t letter_bigrams = 0;  // bigrams that touch a Russian letter
  std::int64_t relevant = 0;        // characters from upper-half bytes
  std::int64_t bad = 0;
  std::int64_t foreign = 0;
  std::int64_t lost = 0;       // characters turned into "?" or another ASCII stand-in
  std::int64_t case_cost = 0;  // capitals where Russian has none
  std::int64_t russian = 0;
  std::int64_t latin = 0;
  std::int64_t yery_e = 0;
  std::int64_t hard_sign = 0;

  void AddChar(const CharInfo& c, std::int64_t n) {
    if (c.flags & kBad) bad += n;
    if (c.flags & kForeign) foreign += n;
    if (c.flags & kRussian) russian += n;
    if (c.flags & kLatin) latin += n;
    if (c.flags & kYeryE) yery_e += n;
    if (c.flags & kHardSign) hard_sign += n;
  }

  void AddBigram(const CharInfo& a, const CharInfo& b, std::int64_t n) {
    const std::int64_t c = kRussianBigramCost[a.cls][b.cls];
    cost += c * n;
    if (a.kind >= kLowerRussian || b.kind >= kLowerRussian) {
      letter_cost += c * n;
      letter_bigrams += n;
    }
    case_cost += kCaseCost[a.kind][b.kind] * n;
  }

  void Add(const Tally& o) {
    cost += o.cost, letter_cost += o.letter_cost, letter_bigrams += o.letter_bigrams;
    relevant += o.relevant, bad += o.bad, foreign += o.foreign, lost += o.lost;
    case_cost += o.case_cost, russian += o.russian, latin += o.latin;
    yery_e += o.yery_e, hard_sign += o.hard_sign;
  }
};

constexpr std::int64_t kBadCost = 1000;
constexpr std::int64_t kForeignCost = 400;
constexpr std::int64_t kLostCost = 800;
constexpr double kStepCost = 30.0;  // centibits per character, per step

double CostPerChar(const Tally& t) {
  const std::int64_t total =
      t.cost + kBadCost * t.bad + kForeignCost * t.foreign + kLostCost * t.lost + t.case_cost;
  return static_cast<double>(total) / static_cast<double>(std::max<std::int64_t>(1, t.relevant));
}

double LetterCost(const Tally& t) {
  if (t.letter_bigrams == 0) return 1e9;
  return static_cast<double>(t.letter_cost) / static_cast<double>(t.letter_bigrams);
}

// Whether the letters that tell Russian from Bulgarian and Ukrainian make Russian the likelier:
// ы and э (2.2% of Russian letters, next to none in the others), ъ (0.04% in Russian, 2.6% in
// Bulgarian) and і, ї, є, ґ and the like (none in Russian, 6% in Ukrainian), as the log odds
// of their counts.
bool MoreRussianThanNeighbour(const Tally& t) {
  const auto n = static_cast<double>(t.russian + t.foreign);
  const auto y = static_cast<double>(t.yery_e);
  const auto h = static_cast<double>(t.hard_sign);
  const auto f = static_cast<double>(t.foreign);
  const auto odds = [&](double y_rest, double h_rest, double f_rest) {
    constexpr double kY = 0.022, kH = 0.0004, kF = 0.0002;  // rates in Russian
    return y * std::log(kY / y_rest) + h * std::log(kH / h_rest) + f * std::log(kF / f_rest) -
           n * ((kY - y_rest) + (kH - h_rest) + (kF - f_rest));
  };
  // A long text with next to no ы or э is a neighbour's (a list of words, say), ъ or not.
  if (t.russian >= 250 && t.yery_e * 250 < t.russian) return false;
  return odds(0.0005, 0.026, 0.002) > 0 && odds(0.0005, 0.0004, 0.06) > 0;
}

// Enough Cyrillic, in Russian's letter pattern, without Ukrainian or Bulgarian signs.
bool ReadsAsRussian(const Tally& t) {
  if (t.russian < 20) return false;
  if (t.russian * 10 < t.russian + t.latin) return false;
  if (LetterCost(t) > detail::kRussianLetterBigramCost + 150) return false;
  if (!MoreRussianThanNeighbour(t)) return false;
  return t.bad * 50 <= t.relevant && t.lost * 20 <= t.relevant;
}

bool LooksCyrillic(const Tally& t) {
  const std::int64_t cyr = t.russian + t.foreign;
  return cyr >= 20 && cyr * 4 >= cyr + t.latin;
}

bool Clean(const Tally& t) {
  return t.bad * 50 <= t.relevant && t.lost * 50 <= t.relevant &&
         (LooksCyrillic(t) ? LetterCost(t) <= detail::kRussianLetterBigramCost + 250 : true);
}

struct Candidate {
  RepairSteps steps;
  Tally tally;
  double cost = 0;
};

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

// The tally of `stats`' text mapped by `table` and read as cp-1251.
Tally TallyMapped(const ByteStats& stats, const ByteTable& table) {
  const auto& win = WindowsInfo();
  // Below 0x80 no chain changes a byte, and the pairs hold only bytes of `stats.high` above
  // it: refreshing those entries is enough.
  thread_local std::array<CharInfo, 256> info = WindowsInfo();
  for (const std::uint16_t b : stats.high) info[b] = win[table[b]];
  Tally t;
  t.latin = stats.ascii_letters;
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
      ++t.latin;
    }
    if (relevant || prev_relevant) t.AddBigram(prev, info, 1);
    prev = info;
    prev_relevant = relevant;
  }
  return t;
}

constexpr std::size_t kChainsKept = 16;
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
    std::unordered_set<std::uint64_t> seen;
    for (const ByteChain& chain : ByteChains()) {
      const int length = static_cast<int>(chain.conversions.size());
      if (length > budget) break;
      // Chains that agree on every byte present read this text alike: score one.
      if (!seen.insert(HashOfPresent(stats, chain.table)).second) continue;
      ranked.push_back({CostPerChar(TallyMapped(sample_stats, chain.table)) +
                            kStepCost * static_cast<double>(length),
                        ranked.size(), &chain});
      if (length + 1 > budget || !LooksUtf8(sample_stats, chain.table)) continue;
      RepairSteps chain_steps = StepsOf(steps, chain);
      std::vector<std::uint32_t> cps;
      cps.reserve(s.size());
      std::string mapped(s);
      for (char& c : mapped) c = static_cast<char>(chain.table[static_cast<unsigned char>(c)]);
      const auto* m = reinterpret_cast<const unsigned char*>(mapped.data());
      WalkUtf8(m, m + mapped.size(), m_whole, [&](std::uint32_t cp) { cps.push_back(cp); });
      RepairSteps read = chain_steps;
      read.push_back({RepairStep::Kind::kReadUtf8, 0});
      Tally u = TallyCodePoints(cps);
      u.Add(base);
      Add(read, u);
      for (int page = 0; page < kCodePageCount; ++page) {
        std::string next;
        next.reserve(cps.size());
        Tally lost = base;
        for (const std::uint32_t cp : cps) {
          const int b = EncodeForStep(page, cp);
          // A malformed sequence costs what it costs anywhere, whatever byte stands for it.
          if (b == kUnmappable || cp == 0xFFFD) {
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
    const std::size_t keep = std::min(ranked.size(), kChainsKept);
    std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(keep),
                      ranked.end(), [](const Ranked& a, const Ranked& b) {
                        return a.cost < b.cost || (a.cost == b.cost && a.order < b.order);
                      });
    // The text as it stands (the first chain) is always among them: it is what a repair must beat.
    const auto identity =
        std::find_if(ranked.begin(), ranked.end(), [](const Ranked& r) { return r.order == 0; });
    if (identity != ranked.end() &&
        identity - ranked.begin() >= static_cast<std::ptrdiff_t>(keep)) {
      std::iter_swap(ranked.begin() + static_cast<std::ptrdiff_t>(keep) - 1, identity);
    }
    for (std::size_t i = 0; i < keep; ++i) {
      Tally t = TallyMapped(stats, ranked[i].chain->table);
      t.Add(base);
      Add(StepsOf(steps, *ranked[i].chain), t);
    }
  }

 private:
  void Add(const RepairSteps& steps, const Tally& t) {
    Candidate c{steps, t, CostPerChar(t) + kStepCost * static_cast<double>(steps.size())};
    candidates.push_back(std::move(c));
  }

  bool m_whole;
};

// The start of the window that analysis scores: enough upper-half bytes to judge, cut
// where no UTF-8 sequence is split.
std::string_view ScoredPrefix(std::string_view text) {
  constexpr std::int64_t kEnoughHighBytes = 4096;
  std::string_view window = text.substr(0, kSmartRepairWindow);
  std::int64_t high = 0;
  std::size_t end = 0;
  while (end < window.size() && high < kEnoughHighBytes) {
    if (static_cast<unsigned char>(window[end]) >= 0x80) ++high;
    ++end;
  }
  if (end < text.size()) {
    std::size_t cut = end;
    while (cut > 0 && end - cut < 8 && static_cast<unsigned char>(window[cut - 1]) >= 0x80) --cut;
    if (cut > 0 && end - cut < 8) end = cut;
  }
  return window.substr(0, end);
}

double Clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }

// How far the reading is from typical Russian, 1 at typical, 0 well off it.
double Quality(const Tally& t) {
  return Clamp01(1.0 - (LetterCost(t) - detail::kRussianLetterBigramCost) / 200.0);
}

}  // namespace

std::string_view RepairVerdictName(RepairVerdict verdict) {
  switch (verdict) {
    case RepairVerdict::kRepaired:
      return "repaired";
    case RepairVerdict::kNotDamaged:
      return "not damaged";
    case RepairVerdict::kCannotRepair:
      return "cannot repair";
    case RepairVerdict::kEmpty:
      return "empty";
  }
  return {};
}

RepairAnalysis AnalyzeForRepair(std::string_view text) {
  RepairAnalysis result;
  if (text.empty()) return result;
  const std::string_view prefix = ScoredPrefix(text);
  const bool any_high = std::any_of(prefix.begin(), prefix.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  bool valid = true;
  const auto* p = reinterpret_cast<const unsigned char*>(prefix.data());
  WalkUtf8(p, p + prefix.size(), prefix.size() == text.size(),
           [&](std::uint32_t cp) { valid = valid && cp != 0xFFFD; });
  result.utf8_text = valid;
  if (!any_high) {
    result.verdict = RepairVerdict::kNotDamaged;
    result.confidence = 1.0;
    return result;
  }
  Search search(prefix.size() == text.size());
  search.Run(prefix, {}, kMaxSteps, Tally{});
  const std::vector<Candidate>& all = search.candidates;
  // The cheapest; on a tie, the fewest steps, then the first found.
  const Candidate* best = &all.front();
  for (const Candidate& c : all) {
    if (c.cost < best->cost || (c.cost == best->cost && c.steps.size() < best->steps.size())) {
      best = &c;
    }
  }
  const Candidate& identity =
      *std::find_if(all.begin(), all.end(), [](const Candidate& c) { return c.steps.empty(); });
  if (ReadsAsRussian(best->tally)) {
    if (best->steps.empty()) {
      result.verdict = RepairVerdict::kNotDamaged;
      double runner = 1e18;
      for (const Candidate& c : all) {
        if (!c.steps.empty()) runner = std::min(runner, c.cost);
      }
      result.confidence = Quality(best->tally) * Clamp01((runner - best->cost) / 100.0);
    } else {
      result.verdict = RepairVerdict::kRepaired;
      result.steps = best->steps;
      result.confidence = Quality(best->tally) * Clamp01((identity.cost - best->cost) / 150.0);
    }
    return result;
  }
  // The best reading is not Russian: leave the text alone, saying whether it seems to be
  // some other clean text or damage this cannot undo.
  const Tally& b = best->tally;
  if (!best->steps.empty() && b.russian >= 5 && b.russian < 20 &&
      b.russian * 2 >= b.russian + b.latin) {
    // A few Russian words come out of a repair: too little text to be sure of it.
    result.verdict = RepairVerdict::kCannotRepair;
  } else if (!LooksCyrillic(b) && !LooksCyrillic(identity.tally)) {
    result.verdict = RepairVerdict::kNotDamaged;
    result.confidence = 0.5;
  } else if (Clean(best->tally) && LooksCyrillic(best->tally) && best->tally.russian >= 20) {
    result.verdict = RepairVerdict::kNotDamaged;
    result.confidence = 0.5;
  } else {
    result.verdict = RepairVerdict::kCannotRepair;
  }
  return result;
}

// ---------------------------------------------------------------------------------------
// Applying a chain.

namespace {

// One pass of a repair over a slice: in -> out.
class Stage {
 public:
  virtual ~Stage() = default;
  virtual void Run(std::string_view in, std::string& out) = 0;
  virtual void Finish(std::string& out) { (void)out; }
};

class TableStage final : public Stage {
 public:
  explicit TableStage(const ByteTable& table) : m_table(table) {}
  void Run(std::string_view in, std::string& out) override {
    const std::size_t start = out.size();
    out.append(in);
    detail::ApplyByteTable(reinterpret_cast<unsigned char*>(out.data() + start), in.size(),
                           m_table);
  }

 private:
  ByteTable m_table;
};

// UTF-8 in, decoded and written by `Decode` (into a page, or back to UTF-8).
class Utf8Stage : public Stage {
 public:
  void Run(std::string_view in, std::string& out) override {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    if (!m_pending.empty()) {
      // Complete the sequence the last slice cut, with up to 4 bytes of this one.
      std::array<unsigned char, 8> joint{};
      const std::size_t held = m_pending.size();
      const std::size_t take = std::min<std::size_t>(4, in.size());
      std::copy(m_pending.begin(), m_pending.end(), joint.begin());
      std::copy(p, p + take, joint.begin() + static_cast<std::ptrdiff_t>(held));
      const std::size_t used = Decode(joint.data(), joint.data() + held + take, false, out);
      if (used < held) {
        m_pending.assign(joint.begin(), joint.begin() + static_cast<std::ptrdiff_t>(held + take));
        return;
      }
      p += used - held;
      m_pending.clear();
    }
    const std::size_t used = Decode(p, end, false, out);
    m_pending.assign(p + used, end);
  }
  void Finish(std::string& out) override {
    Decode(m_pending.data(), m_pending.data() + m_pending.size(), true, out);
    m_pending.clear();
  }

 protected:
  virtual std::size_t Decode(const unsigned char* p, const unsigned char* end, bool final,
                             std::string& out) = 0;

 private:
  std::vector<unsigned char> m_pending;
};

class Utf8ToPageStage final : public Utf8Stage {
 public:
  // `step`: a step inside a chain (see EncodeForStep) rather than the writing of the result.
  Utf8ToPageStage(int page, bool step) : m_codec(RepairCodec(page)), m_page(page), m_step(step) {}

 protected:
  std::size_t Decode(const unsigned char* p, const unsigned char* end, bool final,
                     std::string& out) override {
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(end - p));
    char* at = out.data() + start;
    const std::size_t used = WalkUtf8(p, end, final, [&](std::uint32_t cp) {
      const int b = m_step ? EncodeForStep(m_page, cp)
                           : (cp > 0xFFFF ? kUnmappable : m_codec.FromUnicode(cp));
      *at++ = b == kUnmappable ? kUnmappableByte : static_cast<char>(b);
    });
    out.resize(static_cast<std::size_t>(at - out.data()));
    return used;
  }

 private:
  const ByteCodec& m_codec;
  int m_page;
  bool m_step;
};

class Utf8CleanStage final : public Utf8Stage {
 protected:
  std::size_t Decode(const unsigned char* p, const unsigned char* end, bool final,
                     std::string& out) override {
    // At most three output bytes per input byte: U+FFFD for a lone byte.
    const std::size_t start = out.size();
    out.resize(start + 3 * static_cast<std::size_t>(end - p));
    char* at = out.data() + start;
    const std::size_t used =
        WalkUtf8(p, end, final, [&](std::uint32_t cp) { at = PutUtf8(at, cp); });
    out.resize(static_cast<std::size_t>(at - out.data()));
    return used;
  }
};

class WindowsToUtf8Stage final : public Stage {
 public:
  void Run(std::string_view in, std::string& out) override { kViewCodec.AppendUtf8(in, out); }
};

}  // namespace

struct RepairStream::Impl {
  std::vector<std::unique_ptr<Stage>> stages;
  std::string buffers[2];

  void Pass(std::string_view in, std::string& out, bool finish) {
    std::string_view current = in;
    for (std::size_t i = 0; i < stages.size(); ++i) {
      const bool last = i + 1 == stages.size();
      std::string& target = last ? out : buffers[i % 2];
      if (!last) target.clear();
      stages[i]->Run(current, target);
      if (finish) stages[i]->Finish(target);
      current = target;
    }
    if (stages.empty()) out.append(in);
  }
};

RepairStream::RepairStream(const RepairSteps& steps, RepairOutput output)
    : m_impl(std::make_unique<Impl>()) {
  auto& stages = m_impl->stages;
  ByteTable table = Identity();
  bool table_open = false;
  bool read_utf8 = false;
  const auto flush = [&] {
    if (table_open) stages.push_back(std::make_unique<TableStage>(table));
    table = Identity();
    table_open = false;
  };
  for (const RepairStep& step : steps) {
    switch (step.kind) {
      case RepairStep::Kind::kConvert:
        if (step.arg >= 0 && step.arg < kConversionCount) {
          table = Then(table, step.arg);
          table_open = true;
        }
        break;
      case RepairStep::Kind::kFromUtf8:
        flush();
        if (step.arg >= 0 && step.arg < kCodePageCount) {
          stages.push_back(std::make_unique<Utf8ToPageStage>(step.arg, true));
        }
        break;
      case RepairStep::Kind::kReadUtf8:
        flush();
        read_utf8 = true;
        break;
    }
    if (read_utf8) break;
  }
  const int page = output == RepairOutput::kUtf8 ? -1 : static_cast<int>(output);
  if (read_utf8) {
    flush();
    if (page < 0) {
      stages.push_back(std::make_unique<Utf8CleanStage>());
    } else {
      stages.push_back(std::make_unique<Utf8ToPageStage>(page, false));
    }
    return;
  }
  // The result reads as cp-1251; another page is one more conversion, into the same table.
  static constexpr std::array<int, kCodePageCount> kFromWindows = {-1, kW2D, kW2K, kW2I};
  if (page > 0 && page < kCodePageCount) {
    table = Then(table, kFromWindows[static_cast<std::size_t>(page)]);
    table_open = true;
  }
  flush();
  if (page < 0) stages.push_back(std::make_unique<WindowsToUtf8Stage>());
}

RepairStream::~RepairStream() = default;

void RepairStream::Feed(std::string_view slice, std::string& out) {
  m_impl->Pass(slice, out, false);
}

void RepairStream::Finish(std::string& out) { m_impl->Pass({}, out, true); }

std::string ApplyRepair(std::string_view text, const RepairSteps& steps, RepairOutput output) {
  RepairStream stream(steps, output);
  std::string out;
  out.reserve(text.size());
  stream.Feed(text, out);
  stream.Finish(out);
  return out;
}

std::string DescribeRepair(const RepairSteps& steps) {
  // The page the bytes are in after each step; the first reading was as cp-1251.
  std::vector<std::string> parts;
  int page = kWindows;
  for (const RepairStep& step : steps) {
    switch (step.kind) {
      case RepairStep::Kind::kConvert: {
        const int from = ConversionSource(step.arg);
        if (from < 0) break;
        page = ConversionTarget(step.arg);
        parts.push_back(std::string(CodePageName(from)) + " read as " +
                        std::string(CodePageName(page)));
        break;
      }
      case RepairStep::Kind::kFromUtf8:
        page = step.arg;
        parts.push_back(std::string(CodePageName(step.arg)) + " encoded to UTF-8");
        break;
      case RepairStep::Kind::kReadUtf8:
        parts.push_back("UTF-8 read as " + std::string(CodePageName(page)));
        break;
    }
  }
  std::string text;
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
    if (!text.empty()) text += ", then ";
    text += *it;
  }
  return text;
}

std::string RepairCodes(const RepairSteps& steps) {
  std::string codes;
  for (const RepairStep& step : steps) {
    if (!codes.empty()) codes += ',';
    switch (step.kind) {
      case RepairStep::Kind::kConvert:
        codes += ConversionCode(step.arg);
        break;
      case RepairStep::Kind::kFromUtf8:
        codes += "U2";
        if (const CodePageNames* names = PageNames(step.arg)) codes += names->letter;
        break;
      case RepairStep::Kind::kReadUtf8:
        codes += "U8";
        break;
    }
  }
  return codes;
}

UnicodeRepair RepairUnicodeText(std::string_view utf8) {
  // The characters' UTF-8 form is what the byte analysis sees of a text stored as UTF-8.
  UnicodeRepair result{AnalyzeForRepair(utf8), {}};
  RepairAnalysis& analysis = result.analysis;
  // Decoding the bytes as UTF-8, and nothing more, is what taking them as characters did.
  if (analysis.verdict == RepairVerdict::kRepaired && analysis.steps.size() == 1 &&
      analysis.steps.front().kind != RepairStep::Kind::kConvert) {
    analysis.verdict = RepairVerdict::kNotDamaged;
    analysis.steps.clear();
  }
  if (analysis.verdict == RepairVerdict::kRepaired) {
    result.text = ApplyRepair(utf8, result.analysis.steps, RepairOutput::kUtf8);
  } else {
    result.text = std::string(utf8);
  }
  return result;
}

}  // namespace cyrvert
