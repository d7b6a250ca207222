// The clipboard monitor, the clipboard decode command and the tray on the real frame, with
// the offscreen platform's clipboard (which has no notification area).
#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QMdiArea>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/cyrvert_app.h"
#include "docview/child_frame.h"
#include "docview/cyrvert_doc.h"
#include "docview/cyrvert_view.h"
#include "docview/doc_template.h"
#include "docview/document_prompts.h"
#include "engine/unicode_codec.h"
#include "frame/main_frame.h"
#include "tests/fakes/fake_boxes.h"
#include "tests/fakes/fake_prompts.h"
#include "tests/fakes/test_app.h"
#include "tests/fakes/when_modal.h"

using namespace cyrvert;

namespace {

// An application over an in-memory store, started with `auto_clip`; with `real_dialogs` the
// documents ask their questions in the real file dialogs and message boxes.
struct Harness {
  explicit Harness(int auto_clip, bool real_dialogs = false) : real(real_dialogs) {
    store.WriteProfileInt("General", "AutoClip", auto_clip);
    started = app.InitInstance({});
  }
  CMainFrame& Frame() { return *app.MainFrame(); }
  // The open documents' titles, oldest first.
  QStringList Titles() {
    QStringList titles;
    for (CCyrvertDoc* doc : Frame().DocTemplate().Documents()) titles << doc->GetTitle();
    return titles;
  }
  // The first view of the document titled `title`, or null.
  CCyrvertView* View(const QString& title) {
    for (CCyrvertDoc* doc : Frame().DocTemplate().Documents()) {
      if (doc->GetTitle() == title) return doc->GetFirstView();
    }
    return nullptr;
  }

  bool real;
  test::MemoryProfileStore store;
  test::FakeBoxes boxes;
  test::FakePrompts prompts;
  QtDocumentPrompts real_prompts;
  CCyrvertApp app{store, boxes, real ? static_cast<DocumentPrompts&>(real_prompts) : prompts};
  bool started = false;
};

std::string ReadData(const char* name) {
  QFile file(QStringLiteral(CYRVERT_TEST_DATA_DIR "/") + QString::fromLatin1(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll().toStdString();
}

// Puts `bytes` on the clipboard as another program would: as text, untagged.
void CopyElsewhere(const std::string& bytes) {
  const std::string utf8 = kViewCodec.ToUtf8(bytes);
  QGuiApplication::clipboard()->setText(
      QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

// Lets queued clipboard notices and the runs they start finish.
void Settle() { QTest::qWait(30); }

}  // namespace

class ClipboardTrayTest : public QObject {
  Q_OBJECT

  // Minimises `frame` behind the tray icon, as if the desktop had a notification area.
  static void HideBehindTheIcon(CMainFrame& frame) {
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    frame.m_bTrayIconShown = true;
    frame.showMinimized();
    QTRY_VERIFY(!frame.isVisible());
  }

 private slots:
  void MonitorRepairsNewTextIntoOneCyrClipWindow() {
    const std::string damaged = ReadData("sample-w2k.txt");
    const std::string original = ReadData("win-original.txt");
    Harness h(1);
    QVERIFY(h.started);
    // Before the event loop runs, start-up is not over: the change is not decoded.
    CopyElsewhere(damaged);
    Settle();
    QCOMPARE(h.Titles(), QStringList{"Cyrvert1"});

    CopyElsewhere(damaged);
    QTRY_COMPARE(h.Titles(), (QStringList{"Cyrvert1", "CyrClip"}));
    QPointer<CCyrvertView> clip = h.View("CyrClip");
    QCOMPARE(clip->GetViewText(), original);
    QVERIFY(!clip->GetDocument()->IsModified());

    // Copying out of CyrClip does not start again.
    clip->OnEditSelectAll();
    clip->copy();
    Settle();
    QCOMPARE(h.Titles(), (QStringList{"Cyrvert1", "CyrClip"}));
    QCOMPARE(h.View("CyrClip"), clip.data());

    // Copying from an ordinary window does, and the edited old CyrClip goes without asking.
    clip->PutViewText("edited");
    CCyrvertView* first = h.View("Cyrvert1");
    first->PutViewText(damaged);
    first->OnEditSelectAll();
    first->copy();
    QTRY_VERIFY(clip.isNull());
    QCOMPARE(h.Titles(), (QStringList{"Cyrvert1", "CyrClip"}));
    QCOMPARE(h.View("CyrClip")->GetViewText(), original);
  }

  void CloseAllDuringTheRunKeepsThePastedText() {
    const std::string damaged = ReadData("sample-w2k.txt");
    Harness h(1);
    QVERIFY(h.started);
    Settle();
    // Close All as soon as the result window opens: it runs while the run pumps events,
    // and closes the result but not the window being searched.
    int opened = 0;
    connect(&h.Frame().DocTemplate(), &CDocTemplate::DocumentWindowCreated, &h.Frame(), [&] {
      if (++opened == 2) QTimer::singleShot(0, &h.Frame(), &CMainFrame::OnCloseAll);
    });
    CopyElsewhere(damaged);
    QTRY_COMPARE(h.Titles(), QStringList{"CyrClip"});
    Settle();
    QCOMPARE(h.Titles(), QStringList{"CyrClip"});
    QCOMPARE(h.View("CyrClip")->GetViewText(), damaged);
  }

  // Text copied elsewhere while a dialog of the "CyrClip" window is up: the window stays until
  // the dialog has returned, then the latest text replaces it.
  void CopyDuringADialogOfCyrClipWaitsForTheDialog() {
    struct Case {
      const char* name;
      std::function<void(CCyrvertView&)> open_dialog;  // returns once the dialog is done
    };
    const Case cases[] = {
        {"Save As",
         [](CCyrvertView& view) {
           view.GetParentFrame()->mdiArea()->setActiveSubWindow(view.GetParentFrame());
           qobject_cast<CMainFrame*>(view.window())->Action(CommandId::kFileSaveAs)->trigger();
         }},
        {"save changes? on close",
         [](CCyrvertView& view) {
           view.PutViewText("edited");
           view.GetParentFrame()->close();
         }},
    };
    const std::string first = ReadData("win-w2k-K2W.txt");
    const std::string latest = ReadData("sample-w2k.txt");
    for (const Case& c : cases) {
      Harness h(1, true);
      QVERIFY(h.started);
      Settle();
      CopyElsewhere(first);
      QTRY_VERIFY(h.View("CyrClip") != nullptr);
      QPointer<CCyrvertView> clip = h.View("CyrClip");
      bool open_under_dialog = false;
      test::WhenModal<QDialog>(&h.Frame(), [&](QDialog*) {
        CopyElsewhere("one copy");
        QTest::qWait(50);
        CopyElsewhere(latest);
        QTest::qWait(50);
        open_under_dialog = !clip.isNull() && h.View("CyrClip") == clip.data();
      });
      c.open_dialog(*clip);
      QVERIFY2(open_under_dialog, c.name);
      // The latest text only, once the dialog is gone; the old window closes without asking.
      QTRY_VERIFY2(clip.isNull(), c.name);
      QTRY_COMPARE(h.Titles().count(QStringLiteral("CyrClip")), 1);
      QCOMPARE(h.View("CyrClip")->GetViewText(), ReadData("win-original.txt"));
    }
  }

  void MonitorIgnoresPicturesAndBusyEngine() {
    Harness h(1);
    QVERIFY(h.started);
    Settle();
    auto* picture = new QMimeData;
    picture->setData(QStringLiteral("image/png"), QByteArray("\x89PNG", 4));
    QGuiApplication::clipboard()->setMimeData(picture);
    Settle();
    h.Frame().m_bEngineBusy = true;
    CopyElsewhere(ReadData("sample-w2k.txt"));
    Settle();
    h.Frame().m_bEngineBusy = false;
    QCOMPARE(h.Titles(), QStringList{"Cyrvert1"});
  }

  void ClipboardCommandDecodesLikeAnyDocument() {
    Harness h(0);
    QVERIFY(h.started);
    QAction* command = h.Frame().Action(CommandId::kCyrvertClipboard);
    QGuiApplication::clipboard()->clear();
    QTRY_VERIFY(!command->isEnabled());
    CopyElsewhere(ReadData("sample-w2k.txt"));
    QTRY_VERIFY(command->isEnabled());
    h.Frame().m_bEngineBusy = true;
    h.Frame().UpdateActions();
    QVERIFY(!command->isEnabled());
    h.Frame().m_bEngineBusy = false;
    h.Frame().UpdateActions();

    command->trigger();
    // The pasted text and its repair in ordinary windows; nothing is named CyrClip.
    QCOMPARE(h.Titles(), (QStringList{"Cyrvert1", "Cyrvert2", "Cyrvert3"}));
    QCOMPARE(h.View("Cyrvert2")->GetViewText(), ReadData("sample-w2k.txt"));
    QCOMPARE(h.View("Cyrvert3")->GetViewText(), ReadData("win-original.txt"));
  }

  void WithoutANotificationAreaTheWindowNeverHides() {
    Harness h(0);
    QVERIFY(h.started);
    CMainFrame& frame = h.Frame();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(h.app.m_settings.Tray, 1);
    frame.ShowTrayIcon();
    QVERIFY(!frame.m_bTrayIconShown);
    frame.showMinimized();
    QTest::qWait(20);
    QVERIFY(frame.isVisible());
  }

  // Exit from the tray menu while the window hides behind the icon ends the program, after
  // "save changes?" and with a dialog up too.
  void TrayExitEndsTheProgram() {
    struct Case {
      const char* name;
      bool edited;        // a document asks "save changes?" (answered No)
      bool options_open;  // Exit is chosen while the Options dialog is up
    };
    const Case cases[] = {
        {"hidden", false, false},
        {"hidden, edited document", true, false},
        {"hidden, Options dialog up", false, true},
    };
    for (const Case& c : cases) {
      Harness h(0);
      QVERIFY(h.started);
      CMainFrame& frame = h.Frame();
      HideBehindTheIcon(frame);
      if (QTest::currentTestFailed()) return;
      if (c.edited) h.View("Cyrvert1")->PutViewText("edited");
      QAction* exit = frame.Action(CommandId::kAppExit);
      // The tray menu's items reach the frame through the event loop, also under a dialog.
      QTimer under_dialog;
      under_dialog.setInterval(5);
      connect(&under_dialog, &QTimer::timeout, exit, [&under_dialog, exit] {
        if (qobject_cast<QDialog*>(QApplication::activeModalWidget()) == nullptr) return;
        under_dialog.stop();
        QMetaObject::invokeMethod(exit, &QAction::trigger, Qt::QueuedConnection);
      });
      if (c.options_open) {
        under_dialog.start();
        QTimer::singleShot(0, frame.Action(CommandId::kOptions), &QAction::trigger);
      } else {
        QTimer::singleShot(0, exit, &QAction::trigger);
      }
      // The program must end by itself; a stuck one is ended here, and fails.
      QTimer stuck;
      stuck.setSingleShot(true);
      connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
      stuck.start(20000);
      QCOMPARE(QCoreApplication::exec(), 0);
      QVERIFY2(h.app.MainFrame() == nullptr, c.name);
      QCOMPARE(h.prompts.asked_to_save, c.edited ? 1 : 0);
    }
  }

  void TurningTheIconOffBringsAHiddenWindowBack() {
    Harness h(0);
    QVERIFY(h.started);
    CMainFrame& frame = h.Frame();
    HideBehindTheIcon(frame);
    if (QTest::currentTestFailed()) return;
    h.app.m_settings.Tray = 0;
    frame.HideTrayIcon();  // what Options does with Tray off
    QVERIFY(!frame.m_bTrayIconShown);
    QVERIFY(frame.isVisible());
    QVERIFY(!frame.isMinimized());
  }

  // A panel that starts after the editor gets the icon without a visit to Options; a panel
  // that quits gives a hidden window back.
  void TheIconFollowsANotificationAreaThatComesAndGoes() {
    Harness h(0);
    QVERIFY(h.started);
    CMainFrame& frame = h.Frame();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    bool panel = false;
    frame.SetTrayProbe([&panel] { return panel; }, std::chrono::milliseconds(5));
    QTest::qWait(30);
    QVERIFY(!frame.m_bTrayIconShown);
    panel = true;
    QTRY_VERIFY(frame.m_bTrayIconShown);

    frame.showMinimized();
    QTRY_VERIFY(!frame.isVisible());
    panel = false;
    QTRY_VERIFY(!frame.m_bTrayIconShown);
    QVERIFY(frame.isVisible());
    QVERIFY(!frame.isMinimized());

    // Tray off: a panel that comes back shows nothing.
    h.app.m_settings.Tray = 0;
    panel = true;
    QTest::qWait(30);
    QVERIFY(!frame.m_bTrayIconShown);
  }
};

QTEST_MAIN(ClipboardTrayTest)
#include "clipboard_tray_test.moc"
