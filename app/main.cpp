// The editor program: the application object on a QApplication, then the event loop.
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QIcon>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <new>

#include "app/cyrvert_app.h"
#include "dialogs/qt_message_boxes.h"
#include "docview/document_prompts.h"
#include "frame/main_frame.h"
#include "profile/qt_profile_store.h"
#include "resources/strings.h"

namespace {

// Start-up timing for the benchmark script: with CYRVERT_STARTUP_PROBE set, the program prints
// the time from main() to the first paint of the exposed main window, then quits.
class StartupProbe : public QObject {
 public:
  StartupProbe(const QElapsedTimer& clock, cyrvert::CCyrvertApp& app)
      : m_clock(clock), m_app(app) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!m_done && event->type() == QEvent::Paint) {
      cyrvert::CMainFrame* frame = m_app.MainFrame();
      auto* widget = qobject_cast<QWidget*>(watched);
      if (frame && widget && widget->window() == frame && frame->windowHandle() &&
          frame->windowHandle()->isExposed()) {
        m_done = true;
        std::printf("first-paint-ms %lld epoch-ms %lld\n",
                    static_cast<long long>(m_clock.elapsed()),
                    static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
        std::fflush(stdout);
        QTimer::singleShot(0, frame, &QWidget::close);
      }
    }
    return false;
  }

 private:
  const QElapsedTimer& m_clock;
  cyrvert::CCyrvertApp& m_app;
  bool m_done = false;
};

// The last line of defence when memory runs out in a command that does not handle it: the
// event is dropped with the program's message instead of ending the program and every
// unsaved document with it.
class CyrvertApplication : public QApplication {
 public:
  using QApplication::QApplication;
  // Set once the message boxes exist.
  void SetBoxes(cyrvert::MessageBoxes* boxes) { m_pBoxes = boxes; }

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
      if (m_pBoxes != nullptr) {
        m_pBoxes->ShowMessage(cyrvert::strings::kNotEnoughMemory, cyrvert::strings::kAppTitle,
                              cyrvert::MessageIcon::kStop);
      }
      return false;
    }
  }

 private:
  cyrvert::MessageBoxes* m_pBoxes = nullptr;
};

}  // namespace

int main(int argc, char* argv[]) {
  QElapsedTimer clock;
  clock.start();
  Q_INIT_RESOURCE(cyrvert);
  CyrvertApplication application(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Severion"));
  QCoreApplication::setApplicationName(QStringLiteral("cyrvert"));
  QGuiApplication::setDesktopFileName(QStringLiteral("cyrvert"));
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128}) {
    icon.addFile(QStringLiteral(":/icons/cyrvert_%1.png").arg(size));
  }
  QApplication::setWindowIcon(icon);

  cyrvert::QtProfileStore store(QStringLiteral("Severion"), QStringLiteral("cyrvert"));
  cyrvert::QtMessageBoxes boxes;
  application.SetBoxes(&boxes);
  cyrvert::QtDocumentPrompts prompts;
  cyrvert::CCyrvertApp app(store, boxes, prompts);
  boxes.SetOwnerSource([&app]() -> QWidget* {
    cyrvert::CMainFrame* frame = app.MainFrame();
    return frame != nullptr ? frame->MessageOwner() : nullptr;
  });

  std::unique_ptr<StartupProbe> probe;
  if (qEnvironmentVariableIsSet("CYRVERT_STARTUP_PROBE")) {
    probe = std::make_unique<StartupProbe>(clock, app);
    application.installEventFilter(probe.get());
  }

  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  if (!app.InitInstance(arguments)) {
    application.SetBoxes(nullptr);
    return 1;
  }
  const int code = QApplication::exec();
  store.Sync();
  application.SetBoxes(nullptr);  // the boxes go before the application
  return code;
}
