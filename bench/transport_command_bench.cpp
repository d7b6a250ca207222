// The import and export commands as the editor runs them: 64 MiB of text in a view, the
// conversion on a worker thread under the wait window, the result in a new window.
// Reports the time to the filled window, the longest pause of the user-interface thread and
// of the wait window's clip during each run, and (first, before anything else raises the
// peak) the peak memory of a 64 MiB base64 import beyond the open documents.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "bench/bench_support.h"
#include "commands/transport_command.h"
#include "docview/child_frame.h"
#include "docview/cyrvert_view.h"
#include "frame/engine_commands.h"
#include "frame/main_frame.h"
#include "frame/transport_ui.h"
#include "tests/fakes/test_app.h"
#include "transport/base64.h"

namespace {

using cyrvert::ExportTo;
using cyrvert::ImportFrom;
using cyrvert::TransportCommandId;
using cyrvert::TransportFormat;

constexpr std::size_t kSize = std::size_t{64} << 20;

// 64 MiB of base64 text: random bytes in 76-character CR LF lines.
std::string MakeBase64Text() {
  std::mt19937 random(64);
  std::string bytes(kSize / 4 * 3, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  std::string text = cyrvert::EncodeBase64(bytes);
  text.resize(kSize);
  // End on a whole line: cut back to the last CR LF at a four-character group.
  while (!text.empty() && text.back() != '\n') text.pop_back();
  return text;
}

// 64 MiB of Russian-looking cp-1251 text in CR LF lines.
std::string MakeRussianText() { return cyrvert::bench::MakeRussianText(kSize, 1251); }
using cyrvert::bench::CurrentRssKiB;

// Peak resident memory since the last ResetPeakRss(), in KiB.
long PeakRssKiB() {
  long peak = 0;
  if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, f) != nullptr) {
      if (std::sscanf(line, "VmHWM: %ld", &peak) == 1) break;
    }
    std::fclose(f);
  }
  return peak;
}

// Starts a new peak from the memory resident now.
void ResetPeakRss() {
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

// The longest pauses of the user-interface thread (a 5 ms probe timer) and of the wait
// window's clip while a command runs.
class PauseProbe {
 public:
  explicit PauseProbe(cyrvert::CTransportUi& ui) : m_ui(ui) {
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
  }
  void Start() {
    m_clock.start();
    m_last_tick = 0;
    m_last_frame = -1;
    m_frames = -1;
    m_stall = 0;
    m_frame_gap = 0;
    m_timer.start();
  }
  // Ends a run: the clip's last frame counts until now, when its window is gone.
  void Stop() {
    m_timer.stop();
    if (m_last_frame >= 0)
      m_frame_gap = std::max(m_frame_gap, m_clock.nsecsElapsed() - m_last_frame);
  }
  double LongestStallMs() const { return static_cast<double>(m_stall) / 1e6; }
  double LongestFrameGapMs() const { return static_cast<double>(m_frame_gap) / 1e6; }

 private:
  void Tick() {
    const qint64 now = m_clock.nsecsElapsed();
    m_stall = std::max(m_stall, now - m_last_tick);
    m_last_tick = now;
    const cyrvert::CWaitDlg* wait = m_ui.WaitWindow();
    if (wait == nullptr) return;
    // The first sight of the window counts as its first frame.
    const int frames = wait->Animation()->FramesShown();
    if (frames != m_frames) {
      if (m_last_frame >= 0) m_frame_gap = std::max(m_frame_gap, now - m_last_frame);
      m_frames = frames;
      m_last_frame = now;
    }
  }

  cyrvert::CTransportUi& m_ui;
  QTimer m_timer;
  QElapsedTimer m_clock;
  qint64 m_last_tick = 0;
  qint64 m_last_frame = -1;
  int m_frames = -1;
  qint64 m_stall = 0;
  qint64 m_frame_gap = 0;
};

// The editor over fakes (no profile on disk, messages recorded), Import = 1, with the two
// source documents open.
struct Fixture {
  cyrvert::test::TestApp test;
  cyrvert::CMainFrame* frame = nullptr;
  cyrvert::CChildFrame* base64 = nullptr;
  cyrvert::CChildFrame* russian = nullptr;

  Fixture() {
    test.app.m_settings.Import = 1;
    if (!test.Start()) std::abort();
    frame = &test.Frame();
    frame->resize(800, 600);
    frame->show();
    base64 = OpenWith(MakeBase64Text());
    russian = OpenWith(MakeRussianText());
  }

  // A new document window holding `text`.
  cyrvert::CChildFrame* OpenWith(const std::string& text) {
    cyrvert::CEngineCommandHost host(test.app, *frame);
    cyrvert::DocumentHost* view = host.OpenNewDocumentWindow();
    if (view == nullptr || !view->PutViewText(text)) std::abort();
    return qobject_cast<cyrvert::CChildFrame*>(frame->MdiArea()->activeSubWindow());
  }

  // Runs `id` on `source`'s view; returns the seconds to the filled window and closes it.
  double RunOnce(cyrvert::CChildFrame* source, TransportCommandId id, PauseProbe* probe,
                 cyrvert::CEngineCommandHost& host, cyrvert::CTransportUi& ui, bool close = true) {
    frame->MdiArea()->setActiveSubWindow(source);
    if (probe != nullptr) probe->Start();
    QElapsedTimer clock;
    clock.start();
    const auto status = cyrvert::TransportCommand(id, *source->GetActiveView(), host, ui);
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    if (probe != nullptr) probe->Stop();
    if (status != cyrvert::EngineStatus::kDone) {
      std::fprintf(stderr, "command failed: %s\n",
                   std::string(cyrvert::EngineStatusName(status)).c_str());
    }
    if (close) CloseActiveResult(source);
    return seconds;
  }

  void CloseActiveResult(cyrvert::CChildFrame* source) {
    auto* active = qobject_cast<cyrvert::CChildFrame*>(frame->MdiArea()->activeSubWindow());
    if (active != nullptr && active != source) active->CloseWithoutAsking();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
};

Fixture* g_fixture = nullptr;

void RunCommand(benchmark::State& state, TransportCommandId id, bool base64_source) {
  cyrvert::CChildFrame* source = base64_source ? g_fixture->base64 : g_fixture->russian;
  cyrvert::CEngineCommandHost host(g_fixture->test.app, *g_fixture->frame, source->GetActiveView());
  cyrvert::CTransportUi ui(host, *source->GetActiveView());
  PauseProbe probe(ui);
  double stall = 0;
  double gap = 0;
  for (auto _ : state) {
    const double seconds = g_fixture->RunOnce(source, id, &probe, host, ui);
    state.SetIterationTime(seconds);
    stall = std::max(stall, probe.LongestStallMs());
    gap = std::max(gap, probe.LongestFrameGapMs());
  }
  state.counters["ui_stall_ms"] = stall;
  state.counters["clip_gap_ms"] = gap;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}

void BM_ImportBase64ToWindow(benchmark::State& state) {
  RunCommand(state, ImportFrom(TransportFormat::kBase64), true);
}
BENCHMARK(BM_ImportBase64ToWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_ExportBase64ToWindow(benchmark::State& state) {
  RunCommand(state, ExportTo(TransportFormat::kBase64), false);
}
BENCHMARK(BM_ExportBase64ToWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

void BM_ExportUtf7ToWindow(benchmark::State& state) {
  RunCommand(state, ExportTo(TransportFormat::kUtf7), false);
}
BENCHMARK(BM_ExportUtf7ToWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  Fixture fixture;
  g_fixture = &fixture;
  {
    // Peak of the first import, beyond the documents open before and after it.
    cyrvert::CEngineCommandHost host(fixture.test.app, *fixture.frame,
                                     fixture.base64->GetActiveView());
    cyrvert::CTransportUi ui(host, *fixture.base64->GetActiveView());
    QCoreApplication::processEvents();
    const long before = CurrentRssKiB();
    ResetPeakRss();
    const long peak_before = PeakRssKiB();
    const double seconds = fixture.RunOnce(fixture.base64, ImportFrom(TransportFormat::kBase64),
                                           nullptr, host, ui, false);
    const long after = CurrentRssKiB();
    const long peak = PeakRssKiB();
    std::printf(
        "first base64 import of 64 MiB: %.3f s; resident %ld MiB before, %ld MiB after "
        "(with the new window); peak %ld MiB (%ld MiB before the run)\n"
        "peak beyond the open documents: %.2f x the text\n",
        seconds, before / 1024, after / 1024, peak / 1024, peak_before / 1024,
        static_cast<double>(peak - std::max(after, before)) * 1024.0 / static_cast<double>(kSize));
    fixture.CloseActiveResult(fixture.base64);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
