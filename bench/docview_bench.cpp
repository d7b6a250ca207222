// Opening a 50 MiB single-byte text in a view, and taking it out again.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise; prints the peak
// memory of the first open relative to the file size before the timings.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QMdiArea>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "docview/child_frame.h"
#include "docview/cyrvert_doc.h"
#include "docview/cyrvert_view.h"
#include "docview/doc_template.h"
#include "docview/document_prompts.h"
#include "docview/file_bytes.h"

namespace {

constexpr std::size_t kFileSize = 50u << 20;

// Russian-looking cp-1251 text: letters, spaces and punctuation in CR LF lines of ~70 bytes.
std::string MakeText() {
  std::string text(kFileSize, ' ');
  QRandomGenerator generator(866);
  std::size_t column = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto r = generator.bounded(100u);
    if (column > 60 && r < 10 && i + 1 < text.size()) {
      text[i] = '\r';
      text[++i] = '\n';
      column = 0;
      continue;
    }
    text[i] = r < 15 ? ' ' : r < 17 ? ',' : static_cast<char>(0xC0 + generator.bounded(64u));
    ++column;
  }
  return text;
}

// Resident memory now, in KiB.
long CurrentRssKiB() {
  long pages = 0;
  long resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Peak resident memory so far, in KiB.
long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct Fixture {
  QTemporaryDir dir;
  QString path;
  QMdiArea area;
  cyrvert::QtDocumentPrompts prompts;
  cyrvert::CDocTemplate doc_template{area, prompts};

  Fixture() {
    path = dir.filePath(QStringLiteral("big.txt"));
    cyrvert::WriteFileBytes(path, MakeText());
    area.resize(800, 600);
    area.show();
  }

  cyrvert::CChildFrame* Open() { return doc_template.OpenDocumentFile(path); }

  static void Close(cyrvert::CChildFrame* frame) {
    frame->CloseWithoutAsking();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
};

Fixture* g_fixture = nullptr;

void BM_Open50MiB(benchmark::State& state) {
  for (auto _ : state) {
    cyrvert::CChildFrame* frame = g_fixture->Open();
    state.PauseTiming();
    Fixture::Close(frame);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_Open50MiB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GetViewText50MiB(benchmark::State& state) {
  cyrvert::CChildFrame* frame = g_fixture->Open();
  for (auto _ : state) {
    benchmark::DoNotOptimize(frame->GetActiveView()->GetViewText());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
  Fixture::Close(frame);
}
BENCHMARK(BM_GetViewText50MiB)->Unit(benchmark::kMillisecond)->Iterations(5);

// The floor under GetViewText: a fresh 50 MiB result buffer, allocated and touched.
void BM_Allocate50MiB(benchmark::State& state) {
  for (auto _ : state) {
    std::string buffer(kFileSize, '\0');
    benchmark::DoNotOptimize(buffer.data());
  }
}
BENCHMARK(BM_Allocate50MiB)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  Fixture fixture;
  g_fixture = &fixture;
  const long before = CurrentRssKiB();
  Fixture::Close(fixture.Open());
  const long after = PeakRssKiB();
  std::printf("first open: resident %ld MiB before, peak %ld MiB during; growth %.2f x file size\n",
              before / 1024, after / 1024,
              static_cast<double>(after - before) * 1024.0 / static_cast<double>(kFileSize));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
