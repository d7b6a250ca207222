// Speed of smart repair: analysis and repair of a 20 KB text of each kind, and a 100 MiB
// text through the chains that touch every byte.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "engine/smart_repair.h"

namespace cyrvert {
namespace {

// A sample of tests/data/smart repeated to `size` bytes (cut at a line end).
std::string Repeated(const char* name, std::size_t size) {
  std::ifstream in(std::string(CYRVERT_TEST_DATA_DIR) + "/smart/" + name, std::ios::binary);
  const std::string sample((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string text;
  while (text.size() + sample.size() <= size) text += sample;
  text += sample.substr(0, sample.rfind('\n', size - text.size()) + 1);
  return text;
}

constexpr const char* kKinds[] = {"win-none.txt",
                                  "utf8-U8.txt",
                                  "utf8-twice-U2W_U8.txt",
                                  "w2k-w2k-w2i-I2W_K2W_K2W.txt",
                                  "english-utf8-none.txt",
                                  "ukrainian-cp1251-none.txt",
                                  "web-cp1252-U2C_U8.txt",
                                  "mail-half-partly.txt",
                                  "capitals-none.txt",
                                  "capitals-i2w-W2I.txt",
                                  "glued-alternating-partly.txt"};

// Analysis plus repair of the whole text, as `cyrvert-cli repair` does, on `size` bytes.
void RepairOfSize(benchmark::State& state, std::size_t size) {
  const std::string text = Repeated(kKinds[state.range(0)], size);
  state.SetLabel(kKinds[state.range(0)]);
  for (auto _ : state) {
    const RepairAnalysis analysis = AnalyzeForRepair(text);
    std::string out = ApplyPlan(text, analysis.plan, RepairOutput::kWindows);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_Repair20K(benchmark::State& state) { RepairOfSize(state, 20 * 1024); }
BENCHMARK(BM_Repair20K)->DenseRange(0, 10)->Unit(benchmark::kMillisecond);

// Text from the clipboard: 20 KB of Unicode text, repaired as characters.
void BM_RepairUnicode20K(benchmark::State& state) {
  const std::string text = Repeated(kKinds[state.range(0)], 20 * 1024);
  state.SetLabel(kKinds[state.range(0)]);
  for (auto _ : state) {
    UnicodeRepair repair = RepairUnicodeText(text);
    benchmark::DoNotOptimize(repair);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_RepairUnicode20K)->Arg(1)->Arg(2)->Arg(6)->Unit(benchmark::kMillisecond);

void BM_Repair100M(benchmark::State& state) { RepairOfSize(state, std::size_t{100} << 20); }
BENCHMARK(BM_Repair100M)->DenseRange(1, 3)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cyrvert
