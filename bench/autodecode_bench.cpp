// Ctrl+Y on a 1 MiB document in the whole editor, offscreen: from the command to the result
// window at depth 5 with automatic sensitivity (progress window shown, events pumped at every
// node), and how long a Stop takes to end such a search.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <memory>
#include <string>

#include "app/cyrvert_app.h"
#include "docview/cyrvert_view.h"
#include "docview/document_prompts.h"
#include "engine/code_page.h"
#include "frame/command_ids.h"
#include "frame/main_frame.h"
#include "tests/fakes/fake_boxes.h"
#include "tests/fakes/fake_prompts.h"
#include "tests/fakes/memory_profile_store.h"

static void InitResources() { Q_INIT_RESOURCE(cyrvert); }

namespace {

using namespace cyrvert;

constexpr std::size_t kDocumentSize = 1u << 20;

using NoBoxes = test::FakeBoxes;
using NoPrompts = test::FakePrompts;
using test::MemoryProfileStore;

// Russian prose in cp-1251, repeated to 1 MiB and damaged by W2K.
std::string DamagedDocument() {
  const std::string line =
      "\xcc\xfb \xef\xee\xeb\xf3\xf7\xe8\xeb\xe8 \xe2\xe0\xf8\xe5 \xef\xe8\xf1\xfc\xec\xee "
      "\xe8 \xf1\xf0\xe0\xe7\xf3 \xee\xf2\xe2\xe5\xf2\xe8\xeb\xe8 \xed\xe0 \xe2\xf1\xe5 "
      "\xe2\xee\xef\xf0\xee\xf1\xfb, \xea\xee\xf2\xee\xf0\xfb\xe5 \xf2\xe0\xec "
      "\xe1\xfb\xeb\xe8.\r\n";
  std::string text;
  while (text.size() + line.size() <= kDocumentSize) text += line;
  text.resize(kDocumentSize, ' ');
  ConvertHighHalf(text.data(), text.size(), kW2K);
  return text;
}

// One editor, made once for the process.
struct Editor {
  Editor() {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    InitResources();
    application = std::make_unique<QApplication>(argc, argv.data());
    app = std::make_unique<CCyrvertApp>(store, boxes, prompts);
    if (!app->InitInstance({})) std::abort();
    frame = app->MainFrame();
    app->m_settings.Depth = 5;
    app->m_settings.Sense = 0;
    app->m_settings.ShowTranslateWay = 1;
    source = frame->ActiveView();
    source->PutViewText(DamagedDocument());
    QApplication::processEvents();
  }
  // Closes every window but the source.
  void CloseResults() {
    for (QMdiSubWindow* w : frame->MdiArea()->subWindowList()) {
      if (w != frame->MdiArea()->subWindowList().first()) w->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    frame->MdiArea()->setActiveSubWindow(frame->MdiArea()->subWindowList().first());
  }

  int argc = 1;
  std::array<char*, 2> argv{const_cast<char*>("autodecode_bench"), nullptr};
  MemoryProfileStore store;
  NoBoxes boxes;
  NoPrompts prompts;
  std::unique_ptr<QApplication> application;
  std::unique_ptr<CCyrvertApp> app;
  CMainFrame* frame = nullptr;
  CCyrvertView* source = nullptr;
};

Editor& TheEditor() {
  static Editor editor;
  return editor;
}

void BM_CtrlYDepth5OneMiB(benchmark::State& state) {
  Editor& e = TheEditor();
  for (auto _ : state) {
    e.frame->Action(CommandId::kCyrvert)->trigger();
    state.PauseTiming();
    if (e.frame->MdiArea()->subWindowList().size() != 2) state.SkipWithError("no result window");
    e.CloseResults();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_CtrlYDepth5OneMiB)->Unit(benchmark::kMillisecond)->Iterations(5);

// Time from the Stop command to the end of the run, Stop given `delay_ms` into the search
// (same settings as above, so the search is still running then).
void BM_StopLatency(benchmark::State& state) {
  Editor& e = TheEditor();
  for (auto _ : state) {
    QElapsedTimer since_stop;
    QTimer::singleShot(static_cast<int>(state.range(0)), e.frame, [&] {
      since_stop.start();
      e.frame->Action(CommandId::kStop)->trigger();
    });
    e.frame->Action(CommandId::kCyrvert)->trigger();
    const double seconds = static_cast<double>(since_stop.nsecsElapsed()) * 1e-9;
    const bool stopped_in_search =
        since_stop.isValid() && e.frame->MdiArea()->subWindowList().size() == 1;
    e.CloseResults();
    if (!stopped_in_search) {
      state.SkipWithError("the search ended before the Stop");
      break;
    }
    state.SetIterationTime(seconds);
  }
}
BENCHMARK(BM_StopLatency)
    ->Arg(20)
    ->Arg(60)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
