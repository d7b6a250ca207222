// The editor's application over fakes, for the widget tests: an in-memory profile, message
// boxes and document prompts that record instead of asking. The application deletes its main
// window when it goes.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QStringList>

#include "app/cyrvert_app.h"
#include "frame/main_frame.h"
#include "tests/fakes/fake_boxes.h"
#include "tests/fakes/fake_prompts.h"
#include "tests/fakes/memory_profile_store.h"

namespace cyrvert::test {

struct TestApp {
  // Starts like the program with `arguments`: the main window and its first document.
  bool Start(const QStringList& arguments = {}) { return app.InitInstance(arguments); }
  // The main window; only after a successful Start.
  CMainFrame& Frame() { return *app.MainFrame(); }
  // Closes the main window as the user would, and lets it be deleted.
  void CloseMainFrame() {
    if (QPointer<CMainFrame> frame = app.MainFrame()) {
      frame->close();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
  }

  MemoryProfileStore store;
  FakeBoxes boxes;
  FakePrompts prompts;
  CCyrvertApp app{store, boxes, prompts};
};

}  // namespace cyrvert::test
