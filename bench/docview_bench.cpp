// Opening a 50 MiB single-byte text in a view, taking it out again, replacing a common word
// everywhere and undoing that, and typing into a text that is one very long line.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise; prints the peak
// memory of the first open relative to the file size before the timings.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <string>

#include "bench/bench_support.h"
#include "docview/child_frame.h"
#include "docview/cyrvert_doc.h"
#include "docview/cyrvert_view.h"
#include "docview/doc_template.h"
#include "docview/document_prompts.h"
#include "docview/file_bytes.h"

namespace {

constexpr std::size_t kFileSize = 50u << 20;

std::string MakeText() { return cyrvert::bench::MakeRussianText(kFileSize, 866); }
using cyrvert::bench::CurrentRssKiB;

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

// CPU time of the whole process so far, in milliseconds.
double ProcessCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Word planted for Replace All, and how many times.
constexpr std::string_view kWord = "\xF1\xEB\xEE\xE2\xEE";  // "слово"
constexpr std::size_t kWordCount = 6000;

// The benchmark text with kWord written over it kWordCount times, evenly spread.
std::string TextWithWords() {
  std::string text = MakeText();
  const std::size_t step = text.size() / kWordCount;
  for (std::size_t i = 0; i < kWordCount; ++i) {
    std::size_t at = i * step;
    text[at] = ' ';
    text.replace(at + 1, kWord.size(), kWord);
    text[at + 1 + kWord.size()] = ' ';
  }
  return text;
}

// Replace All of kWordCount words in 50 MiB, then Undo; both timed.
void BM_ReplaceAll50MiB(benchmark::State& state) {
  cyrvert::CChildFrame* frame = g_fixture->doc_template.OpenNewDocument();
  cyrvert::CCyrvertView* view = frame->GetActiveView();
  const std::string text = TextWithWords();
  view->PutViewText(text);
  const QString what = QString::fromUtf8("\xD1\x81\xD0\xBB\xD0\xBE\xD0\xB2\xD0\xBE");
  for (auto _ : state) {
    const int replaced = view->ReplaceAll(what, QStringLiteral("word"), true, true);
    QCoreApplication::processEvents();
    state.PauseTiming();
    if (replaced != static_cast<int>(kWordCount)) state.SkipWithError("wrong count");
    QElapsedTimer undo;
    undo.start();
    const double undo_cpu = ProcessCpuMs();
    view->OnEditUndo();
    QCoreApplication::processEvents();
    state.counters["undo_ms"] = static_cast<double>(undo.elapsed());
    state.counters["undo_cpu_ms"] = ProcessCpuMs() - undo_cpu;
    if (view->GetViewText() != text) state.SkipWithError("undo did not restore the text");
    state.ResumeTiming();
  }
  Fixture::Close(frame);
}
BENCHMARK(BM_ReplaceAll50MiB)->Unit(benchmark::kMillisecond)->Iterations(1);

// Runs the event loop for `ms` milliseconds.
void Idle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// A 50 MiB text with no line end (every CR LF turned into 8D 8A): a key typed in the middle
// Types one "x" per iteration into `view` and waits until it is painted.
void TypeKeys(benchmark::State& state, cyrvert::CCyrvertView* view) {
  for (auto _ : state) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QCoreApplication::sendEvent(view, &press);
    view->viewport()->repaint();
    QCoreApplication::processEvents();
  }
}

// of the line until it is painted, and the CPU the idle window takes over two seconds.
void BM_KeystrokeInLongLine(benchmark::State& state) {
  std::string text = MakeText();
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = static_cast<char>(static_cast<unsigned char>(c) | 0x80);
  }
  cyrvert::CChildFrame* frame = g_fixture->doc_template.OpenNewDocument();
  cyrvert::CCyrvertView* view = frame->GetActiveView();
  view->PutViewText(text);
  view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 25ul << 20);
  view->viewport()->repaint();
  Idle(500);  // whatever the first showing left to do
  const double idle_start = ProcessCpuMs();
  Idle(2000);
  state.counters["idle_cpu_ms_per_s"] = (ProcessCpuMs() - idle_start) / 2.0;
  TypeKeys(state, view);
  Fixture::Close(frame);
}
BENCHMARK(BM_KeystrokeInLongLine)->Unit(benchmark::kMillisecond)->Iterations(2);

// A key typed at the end of the 50 MiB text of ordinary lines, until it is painted: no work
// that grows with the text.
void BM_KeystrokeAtTheEnd(benchmark::State& state) {
  cyrvert::CChildFrame* frame = g_fixture->Open();
  cyrvert::CCyrvertView* view = frame->GetActiveView();
  view->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
  view->viewport()->repaint();
  Idle(200);
  TypeKeys(state, view);
  Fixture::Close(frame);
}
BENCHMARK(BM_KeystrokeAtTheEnd)->Unit(benchmark::kMillisecond)->Iterations(20);

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
