// Every import and export on 64 MiB, beside coreutils base64 and iconv on the same data.
// The external tools run as processes on temporary files (output to /dev/null), so their
// figures include start-up and reading the file; ours work in memory. All times are wall
// clock; throughput is counted on the input.
//
// Freed memory is kept in the process (glibc mallopt), so each run reuses pages instead of
// paying the first touch of fresh ones, which costs more than the conversions themselves on
// some virtual machines. Set CYRVERT_BENCH_FRESH_MEMORY=1 to measure with fresh memory.
// Run with --benchmark_repetitions=N to get the "min" row, the least disturbed run.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/unicode_codec.h"
#include "transport/base64.h"
#include "transport/line_ends.h"
#include "transport/mime.h"
#include "transport/quoted_printable.h"
#include "transport/transport_commands.h"
#include "transport/utf7.h"
#include "transport/utf8.h"
#include "transport/uucode.h"

namespace {

const bool kKeepFreedMemory = [] {
  if (std::getenv("CYRVERT_BENCH_FRESH_MEMORY") != nullptr) return false;
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  return true;
}();

constexpr std::size_t kSize = std::size_t{64} << 20;

// Russian-looking cp-1251 text: words of Cyrillic letters, some Latin, digits and
// punctuation, lines of about 70 characters ending in CR LF. No 0x98, which iconv rejects.
std::string MakeText(std::size_t size) {
  std::mt19937 rng(1251);
  std::string text;
  text.reserve(size + 100);
  std::size_t column = 0;
  while (text.size() < size) {
    const auto kind = static_cast<unsigned>(rng() % 20);
    const std::size_t length = 2 + rng() % 8;
    for (std::size_t i = 0; i < length; ++i) {
      if (kind < 16) {
        text += static_cast<char>(0xC0 + rng() % 64);  // А..я
      } else if (kind < 18) {
        text += static_cast<char>('a' + rng() % 26);
      } else {
        text += static_cast<char>('0' + rng() % 10);
      }
    }
    const auto gap = static_cast<unsigned>(rng() % 16);
    text += gap == 0 ? ", " : gap == 1 ? ". " : gap == 2 ? " \xAB" : gap == 3 ? "\xBB " : " ";
    column += length + 2;
    if (column > 70) {
      text += "\r\n";
      column = 0;
    }
  }
  text.resize(size);
  return text;
}

// Encodes prefixes of the text until the encoded form is about 64 MiB.
template <class Encode>
std::string EncodedOfSize(const std::string& text, Encode encode) {
  const std::string sample = encode(std::string_view(text).substr(0, 1 << 20));
  const double ratio = static_cast<double>(sample.size()) / (1 << 20);
  const auto take = static_cast<std::size_t>(static_cast<double>(kSize) / ratio);
  return encode(std::string_view(text).substr(0, take < text.size() ? take : text.size()));
}

struct Data {
  std::string text = MakeText(kSize);
  std::string utf7 = EncodedOfSize(text, cyrvert::BytesToUtf7);
  std::string utf8 =
      EncodedOfSize(text, [](std::string_view t) { return cyrvert::kTransportCodec.ToUtf8(t); });
  std::string qp = EncodedOfSize(text, cyrvert::EncodeQuotedPrintable);
  std::string base64 = EncodedOfSize(text, cyrvert::EncodeBase64);
  std::string uu = EncodedOfSize(
      text, [](std::string_view t) { return cyrvert::EncodeUu(t, "Cyrvert1", 0644); });
  std::string unix_text = [this] {
    std::string t = text;
    cyrvert::ConvertCrLfToLf(t);
    return t;
  }();
};

const Data& GetData() {
  static const Data data;
  return data;
}

// Temporary files for the external tools, removed at exit.
struct TempFiles {
  std::string text = Write("text", GetData().text);
  std::string utf8 = Write("utf8", GetData().utf8);
  std::string base64_lf;  // coreutils' own LF form of the same bytes, for base64 -d

  TempFiles() {
    base64_lf = Path("b64");
    Run("base64 -w 76 '" + text + "' > '" + base64_lf + "'");
  }
  ~TempFiles() {
    for (const std::string& path : {text, utf8, base64_lf}) std::remove(path.c_str());
  }
  static std::string Path(const std::string& name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/cyrvert_bench_" + name;
  }
  static std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = Path(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
      std::abort();
    }
    std::fclose(file);
    return path;
  }
  static void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::abort();
  }
};

const TempFiles& GetFiles() {
  static const TempFiles files;
  return files;
}

template <class Convert>
void RunConversion(benchmark::State& state, const std::string& input, Convert convert) {
  state.counters["kept_memory"] = kKeepFreedMemory ? 1 : 0;
  for (auto _ : state) {
    auto result = convert(input);
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(input.size()));
}

// CPU time of finished child processes so far, in milliseconds.
double ChildCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const auto ms = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
  };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The tool's own CPU time goes to the counter child_cpu_ms (per run), as the CPU column
// shows only this process; on a busy machine CPU times compare better than wall times.
void RunTool(benchmark::State& state, const std::string& command, std::size_t input_size) {
  const double before = ChildCpuMs();
  for (auto _ : state) TempFiles::Run(command);
  state.counters["child_cpu_ms"] =
      benchmark::Counter(ChildCpuMs() - before, benchmark::Counter::kAvgIterations);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(input_size));
}

// The export of `format` over the sample text (uuencode under the name "Cyrvert1").
void RunExport(benchmark::State& state, cyrvert::TransportFormat format) {
  RunConversion(state, GetData().text, [format](std::string_view t) {
    return cyrvert::ExportText(format, t, "Cyrvert1");
  });
}

// The editor's import of `input` as `format`.
void RunImport(benchmark::State& state, const std::string& input, cyrvert::TransportFormat format) {
  RunConversion(state, input,
                [format](std::string_view t) { return cyrvert::ImportText(format, t); });
}

void ExportBase64(benchmark::State& s) { RunExport(s, cyrvert::TransportFormat::kBase64); }
void CoreutilsBase64(benchmark::State& s) {
  RunTool(s, "base64 -w 76 '" + GetFiles().text + "' > /dev/null", GetData().text.size());
}
void ImportBase64(benchmark::State& s) {
  RunImport(s, GetData().base64, cyrvert::TransportFormat::kBase64);
}
void CoreutilsBase64Decode(benchmark::State& s) {
  RunTool(s, "base64 -d '" + GetFiles().base64_lf + "' > /dev/null", GetData().base64.size());
}
void ExportUtf8(benchmark::State& s) { RunExport(s, cyrvert::TransportFormat::kUtf8); }
void IconvCp1251ToUtf8(benchmark::State& s) {
  RunTool(s, "iconv -f CP1251 -t UTF-8 '" + GetFiles().text + "' > /dev/null",
          GetData().text.size());
}
void ImportUtf8(benchmark::State& s) {
  RunImport(s, GetData().utf8, cyrvert::TransportFormat::kUtf8);
}
void IconvUtf8ToCp1251(benchmark::State& s) {
  RunTool(s, "iconv -f UTF-8 -t CP1251 '" + GetFiles().utf8 + "' > /dev/null",
          GetData().utf8.size());
}
void ExportUtf7(benchmark::State& s) { RunExport(s, cyrvert::TransportFormat::kUtf7); }
void ImportUtf7(benchmark::State& s) {
  RunImport(s, GetData().utf7, cyrvert::TransportFormat::kUtf7);
}
void ExportQuotedPrintable(benchmark::State& s) {
  RunExport(s, cyrvert::TransportFormat::kQuotedPrintable);
}
void ImportQuotedPrintable(benchmark::State& s) {
  RunImport(s, GetData().qp, cyrvert::TransportFormat::kQuotedPrintable);
}
void ExportUu(benchmark::State& s) { RunExport(s, cyrvert::TransportFormat::kUu); }
void ImportUu(benchmark::State& s) { RunImport(s, GetData().uu, cyrvert::TransportFormat::kUu); }
void ExportUnix(benchmark::State& s) { RunExport(s, cyrvert::TransportFormat::kUnix); }
void ImportUnix(benchmark::State& s) {
  RunImport(s, GetData().unix_text, cyrvert::TransportFormat::kUnix);
}

double Min(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

}  // namespace

// Every benchmark here: milliseconds of wall time, with the minimum over repetitions.
#define CYRVERT_TRANSPORT_BENCHMARK(name) \
  BENCHMARK(name)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", Min)

CYRVERT_TRANSPORT_BENCHMARK(ExportBase64);
CYRVERT_TRANSPORT_BENCHMARK(CoreutilsBase64);
CYRVERT_TRANSPORT_BENCHMARK(ImportBase64);
CYRVERT_TRANSPORT_BENCHMARK(CoreutilsBase64Decode);
CYRVERT_TRANSPORT_BENCHMARK(ExportUtf8);
CYRVERT_TRANSPORT_BENCHMARK(IconvCp1251ToUtf8);
CYRVERT_TRANSPORT_BENCHMARK(ImportUtf8);
CYRVERT_TRANSPORT_BENCHMARK(IconvUtf8ToCp1251);
CYRVERT_TRANSPORT_BENCHMARK(ExportUtf7);
CYRVERT_TRANSPORT_BENCHMARK(ImportUtf7);
CYRVERT_TRANSPORT_BENCHMARK(ExportQuotedPrintable);
CYRVERT_TRANSPORT_BENCHMARK(ImportQuotedPrintable);
CYRVERT_TRANSPORT_BENCHMARK(ExportUu);
CYRVERT_TRANSPORT_BENCHMARK(ImportUu);
CYRVERT_TRANSPORT_BENCHMARK(ExportUnix);
CYRVERT_TRANSPORT_BENCHMARK(ImportUnix);
