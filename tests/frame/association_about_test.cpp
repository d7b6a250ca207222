// The Edit menu's ".txt association" against a temporary mimeapps.list, and the About command
// in the menu and on the toolbar.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "app/cyrvert_app.h"
#include "dialogs/about_dlg.h"
#include "frame/main_frame.h"
#include "tests/fakes/fake_boxes.h"
#include "tests/fakes/fake_prompts.h"
#include "tests/fakes/test_app.h"

using namespace cyrvert;

namespace {

// Points the XDG folders at `config` and folders beside it, where "kate.desktop" stands for
// another program that is installed, and names no desktop.
struct XdgFolders {
  explicit XdgFolders(const QString& config) {
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    qputenv("XDG_CONFIG_DIRS", (config + "-etc").toUtf8());
    qputenv("XDG_DATA_HOME", (config + "-data").toUtf8());
    qputenv("XDG_DATA_DIRS", (config + "-share").toUtf8());
    qunsetenv("XDG_CURRENT_DESKTOP");
    QDir().mkpath(config + "-data/applications");
    QFile entry(config + "-data/applications/kate.desktop");
    if (entry.open(QIODevice::WriteOnly)) {
      entry.write("[Desktop Entry]\nType=Application\nName=Kate\nExec=true %f\n");
    }
  }
};

// An application whose config folder is `config`; built after the XDG folders point there.
struct Harness : XdgFolders, test::TestApp {
  explicit Harness(const QString& config) : XdgFolders(config) {}
  ~Harness() { CloseMainFrame(); }
  QAction* Toggle() { return Frame().Action(CommandId::kTxtAssociation); }
};

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString& path, const QByteArray& text) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(text);
}

// The menu-bar menu `title`'s actions.
QList<QAction*> MenuActions(CMainFrame& frame, const QString& title) {
  for (QAction* top : frame.menuBar()->actions()) {
    if (top->text() == title && top->menu()) return top->menu()->actions();
  }
  return {};
}

}  // namespace

class AssociationAboutTest : public QObject {
  Q_OBJECT

 private slots:
  void CheckMarkFollowsTheFileAtStart_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("checked");
    QTest::newRow("ours") << QByteArray("[Default Applications]\ntext/plain=cyrvert.desktop;\n")
                          << true;
    QTest::newRow("another program's")
        << QByteArray("[Default Applications]\ntext/plain=kate.desktop;cyrvert.desktop\n") << false;
    QTest::newRow("none") << QByteArray() << false;
    QTest::newRow("unparsable") << QByteArray("text/plain=cyrvert.desktop\n") << false;
  }

  void CheckMarkFollowsTheFileAtStart() {
    QFETCH(QByteArray, text);
    QFETCH(bool, checked);
    QTemporaryDir dir;
    WriteFile(dir.filePath("mimeapps.list"), text);
    Harness h(dir.path());
    QVERIFY(h.Start());
    QAction* toggle = h.Toggle();
    QVERIFY(toggle->isEnabled());
    QVERIFY(toggle->isCheckable());
    QCOMPARE(toggle->isChecked(), checked);
    QVERIFY(MenuActions(*h.app.MainFrame(), "&Edit").contains(toggle));
  }

  void ToggleTakesAndGivesBack() {
    QTemporaryDir dir;
    const QString list = dir.filePath("mimeapps.list");
    const QByteArray before = "# mine\n[Default Applications]\ntext/plain=kate.desktop\n";
    WriteFile(list, before);
    {
      Harness h(dir.path());
      QVERIFY(h.Start());
      QVERIFY(!h.Toggle()->isChecked());
      h.Toggle()->trigger();
      QVERIFY(h.Toggle()->isChecked());
      QCOMPARE(ReadFile(list),
               "# mine\n[Default Applications]\ntext/plain=cyrvert.desktop;\n\n"
               "[X-Cyrvert Previous Defaults]\ntext/plain=kate.desktop\n");
    }
    // The next start reads the association from the file.
    Harness h(dir.path());
    QVERIFY(h.Start());
    QVERIFY(h.Toggle()->isChecked());
    h.Toggle()->trigger();
    QVERIFY(!h.Toggle()->isChecked());
    QCOMPARE(ReadFile(list), before + "\n[X-Cyrvert Previous Defaults]\ntext/plain=kate.desktop\n");
  }

  void UnwritableConfigFlipsOnlyTheCheckMark() {
    QTemporaryDir dir;
    // A regular file where the config folder should be: nothing can be written below it.
    WriteFile(dir.filePath("config"), "not a folder");
    const QString config = dir.filePath("config/deeper");
    {
      Harness h(config);
      QVERIFY(h.Start());
      h.Toggle()->trigger();
      QVERIFY(h.Toggle()->isChecked());
      QVERIFY(h.boxes.texts.empty());
    }
    QCOMPARE(ReadFile(dir.filePath("config")), "not a folder");
    Harness h(config);
    QVERIFY(h.Start());
    QVERIFY(!h.Toggle()->isChecked());
  }

  void AboutOpensTheAboutBoxFromMenuAndToolbar() {
    QTemporaryDir dir;
    Harness h(dir.path());
    QVERIFY(h.Start());
    CMainFrame& frame = *h.app.MainFrame();
    QAction* about = frame.Action(CommandId::kAppAbout);
    QVERIFY(about->isEnabled());
    QVERIFY(MenuActions(frame, "&Help").contains(about));
    QToolBar* toolBar = frame.findChild<QToolBar*>();
    QVERIFY(toolBar && toolBar->actions().contains(about));

    bool shown = false;
    QTimer::singleShot(0, &frame, [&] {
      auto* dialog = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
      shown = dialog != nullptr && dialog->parentWidget() == &frame;
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    about->trigger();
    QVERIFY(shown);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
  }
};

QTEST_MAIN(AssociationAboutTest)
#include "association_about_test.moc"
