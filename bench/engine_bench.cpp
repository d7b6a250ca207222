// Speed of the recoding engine: the depth-5 search, ConvertHighHalf against glibc iconv,
// and the histogram on short and long texts.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <random>
#include <string>

#include "engine/code_page.h"
#include "engine/scoring.h"
#include "engine/variant_search.h"

namespace cyrvert {
namespace {

// Russian-looking cp-1251 text: letters drawn by their frequency in Russian, words of
// 2..9 letters, spaces, a line end every ~70 bytes.
std::string MakeText(std::size_t size) {
  // а б в г д е ж з и й к л м н о п р с т у ф х ц ч ш щ ъ ы ь э ю я, per mille.
  constexpr int kWeights[32] = {80, 16, 45, 17, 30, 85, 9, 16, 74, 12, 35, 44, 32, 67, 110, 28,
                                47, 55, 63, 26, 3,  10, 5, 14, 7,  4,  1,  19, 17, 3,  6,   20};
  std::discrete_distribution<int> letter(std::begin(kWeights), std::end(kWeights));
  std::uniform_int_distribution<int> word(2, 9);
  std::mt19937 random(1251);
  std::string text;
  text.reserve(size);
  std::size_t line = 0;
  while (text.size() < size) {
    for (int i = word(random); i > 0; --i) text.push_back(static_cast<char>(0xE0 + letter(random)));
    if (text.size() - line > 70) {
      text += "\r\n";
      line = text.size();
    } else {
      text.push_back(' ');
    }
  }
  text.resize(size);
  return text;
}

const std::string& Text64MiB() {
  static const std::string text = MakeText(64u << 20);
  return text;
}

void BM_SearchDepth5(benchmark::State& state) {
  std::string text = MakeText(100 << 10);
  ConvertHighHalf(text.data(), text.size(), kW2K);
  HighByteHistogram histogram;
  BuildHighByteHistogram(histogram, text);
  SearchParams params;
  params.depth = 5;
  params.sense = static_cast<int>(state.range(0));
  params.target = [] { return kWindows; };
  NoOpSearchHooks hooks;
  std::size_t found = 0;
  for (auto _ : state) {
    const FindResult result = FindVariants(histogram, params, hooks);
    found = result.variants.size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["variants"] = static_cast<double>(found);
  state.counters["chains/s"] =
      benchmark::Counter(271452.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SearchDepth5)->Arg(0)->Arg(5)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_ConvertHighHalf(benchmark::State& state) {
  std::string buffer = Text64MiB();
  for (auto _ : state) {
    ConvertHighHalf(buffer.data(), buffer.size(), kW2K);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(buffer.size()));
}
BENCHMARK(BM_ConvertHighHalf)->Unit(benchmark::kMillisecond);

void BM_IconvCp1251ToKoi8r(benchmark::State& state) {
  const std::string& input = Text64MiB();
  std::string output(input.size(), '\0');
  iconv_t cd = iconv_open("KOI8-R", "CP1251");
  for (auto _ : state) {
    char* in = const_cast<char*>(input.data());
    char* out = output.data();
    std::size_t in_left = input.size();
    std::size_t out_left = output.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &in_left, &out, &out_left) == static_cast<std::size_t>(-1)) {
      state.SkipWithError("iconv failed");
      break;
    }
    benchmark::ClobberMemory();
  }
  iconv_close(cd);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(input.size()));
}
BENCHMARK(BM_IconvCp1251ToKoi8r)->Unit(benchmark::kMillisecond);

void BM_BuildHighByteHistogram(benchmark::State& state) {
  const std::string text = MakeText(static_cast<std::size_t>(state.range(0)));
  HighByteHistogram histogram;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuildHighByteHistogram(histogram, text));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BuildHighByteHistogram)->Arg(100 << 10)->Arg(100 << 20)->Unit(benchmark::kMicrosecond);

void BM_DecodeByVariant(benchmark::State& state) {
  std::string buffer = Text64MiB();
  const Variant variant{{kW2K, kD2W, kK2I}, 6};
  for (auto _ : state) {
    DecodeByVariant(buffer.data(), buffer.size(), variant);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(buffer.size()));
}
BENCHMARK(BM_DecodeByVariant)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cyrvert
