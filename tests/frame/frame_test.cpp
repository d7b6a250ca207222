// The application object and the main frame: start-up, what is kept at exit, the window
// commands and their enable states, and a close that waits for a long command.
#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/cyrvert_app.h"
#include "dialogs/options_dlg.h"
#include "dialogs/qt_message_boxes.h"
#include "docview/child_frame.h"
#include "docview/cyrvert_doc.h"
#include "docview/cyrvert_view.h"
#include "docview/doc_template.h"
#include "docview/document_prompts.h"
#include "frame/frame_persistence.h"
#include "frame/main_frame.h"
#include "profile/qt_profile_store.h"
#include "profile/settings_io.h"
#include "resources/strings.h"
#include "tests/fakes/fake_boxes.h"
#include "tests/fakes/fake_prompts.h"
#include "tests/fakes/test_app.h"
#include "tests/fakes/when_modal.h"

using namespace cyrvert;

namespace {

using test::FakeBoxes;
using test::FakePrompts;

// An application over an in-memory store.
struct Harness : test::TestApp {
  QList<QMdiSubWindow*> Windows() { return Frame().MdiArea()->subWindowList(); }
  // Closes the main window and checks it is gone.
  void Exit() {
    QPointer<CMainFrame> frame = app.MainFrame();
    CloseMainFrame();
    QVERIFY(frame.isNull());
  }
};

QString SamplePath() { return QStringLiteral(CYRVERT_TEST_DATA_DIR "/sample-w2k.txt"); }

// The action of the menu bar's menu `title` whose text is `text`.
QAction* MenuAction(CMainFrame& frame, const QString& title, const QString& text) {
  for (QAction* top : frame.menuBar()->actions()) {
    if (top->text() != title || !top->menu()) continue;
    for (QAction* action : top->menu()->actions()) {
      if (action->text() == text) return action;
    }
  }
  return nullptr;
}

}  // namespace

Q_DECLARE_METATYPE(cyrvert::NormalRect)
Q_DECLARE_METATYPE(cyrvert::LogFont)

class FrameTest : public QObject {
  Q_OBJECT

 private slots:
  void FirstStartWritesDefaultsOnExit() {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    {
      QtProfileStore store("Severion", "cyrvert");
      FakeBoxes boxes;
      FakePrompts prompts;
      CCyrvertApp app(store, boxes, prompts);
      QVERIFY(app.InitInstance({}));
      CMainFrame& frame = *app.MainFrame();
      QCOMPARE(frame.MdiArea()->subWindowList().size(), 1);
      QCOMPARE(frame.ActiveChild()->GetActiveDocument()->GetTitle(), QString("Cyrvert1"));
      QVERIFY(frame.ActiveChild()->isMaximized());
      QTRY_COMPARE(frame.windowTitle(), QString("cyrvert - [Cyrvert1]"));
      QVERIFY(MenuAction(frame, "&Window", "C&lose All\tCtrl+L"));
      frame.close();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      QVERIFY(!app.MainFrame());
    }
    QtProfileStore store("Severion", "cyrvert");
    const Settings defaults;
    for (const SettingsField& field : kSettingsFields) {
      QCOMPARE(store.GetProfileInt("General", field.name, -99), defaults.*field.member);
    }
    for (const char* edge : {"NORM_L", "NORM_T", "NORM_R", "NORM_B"}) {
      QVERIFY(store.GetProfileInt("MainWindow", edge, -99999) != -99999);
    }
    QVERIFY(store.GetProfileInt("FONT", "Height", 0) != 0);
  }

  void StartWithAFileOpensOnlyThatFile() {
    Harness h;
    QVERIFY(h.app.InitInstance({SamplePath()}));
    QCOMPARE(h.Windows().size(), 1);
    CChildFrame* child = h.Frame().ActiveChild();
    QVERIFY(child->isMaximized());
    QCOMPARE(QFileInfo(child->GetActiveDocument()->GetPathName()), QFileInfo(SamplePath()));
    QFile file(SamplePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(child->GetActiveView()->GetViewText(), file.readAll().toStdString());
    QCOMPARE(h.app.RecentFiles().Files().value(0), QFileInfo(SamplePath()).absoluteFilePath());
  }

  void StartWithSeveralFilesOpensEach() {
    QTemporaryDir dir;
    const QString second = dir.filePath(QStringLiteral("second.txt"));
    QVERIFY(QFile::copy(SamplePath(), second));
    Harness h;
    QVERIFY(h.app.InitInstance({SamplePath(), QStringLiteral("/nonexistent/none.txt"), second}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QStringList opened;
    for (CCyrvertDoc* doc : h.Frame().DocTemplate().Documents()) opened << doc->GetPathName();
    QCOMPARE(opened, (QStringList{QFileInfo(SamplePath()).absoluteFilePath(),
                                  QFileInfo(second).absoluteFilePath()}));
    QCOMPARE(h.prompts.errors.size(), 1);  // the missing one is reported, the others open
  }

  void TitleNamesOnlyTheActiveDocumentAsItIsShown() {
    Harness h;
    QVERIFY(h.app.InitInstance({}));
    CMainFrame& frame = h.Frame();
    QTRY_COMPARE(frame.windowTitle(), QString("cyrvert - [Cyrvert1]"));
    // Results open maximised one after another: the title never names two documents.
    QStringList seen;
    connect(&frame, &QWidget::windowTitleChanged, [&](const QString& t) { seen << t; });
    for (int i = 0; i < 3; ++i) frame.DocTemplate().OpenNewDocument();
    QTRY_COMPARE(frame.windowTitle(), QString("cyrvert - [Cyrvert4]"));
    QCoreApplication::processEvents();
    for (const QString& title : seen)
      QVERIFY2(title.count(QLatin1Char('[')) <= 1, qPrintable(title));
    frame.ActiveChild()->showNormal();
    QTRY_COMPARE(frame.windowTitle(), QString("cyrvert - Cyrvert4"));
    // While a file that cannot be opened is reported, no empty name stands in the title.
    QString during;
    h.prompts.on_error = [&] { during = frame.windowTitle(); };
    frame.DocTemplate().OpenDocumentFile(QStringLiteral("/nonexistent/none.txt"));
    QVERIFY2(!during.contains(QStringLiteral("[]")) && !during.endsWith(QStringLiteral(" - ")),
             qPrintable(during));
  }

  void WindowMenuListsNineAndMoreWindows() {
    Harness h;
    QVERIFY(h.app.InitInstance({}));
    CMainFrame& frame = h.Frame();
    for (int i = 0; i < 11; ++i) frame.DocTemplate().OpenNewDocument();  // 12 windows
    QMenu* window_menu = nullptr;
    for (QAction* top : frame.menuBar()->actions()) {
      if (top->text() == QStringLiteral("&Window")) window_menu = top->menu();
    }
    QVERIFY(window_menu != nullptr);
    emit window_menu->aboutToShow();
    int listed = 0;
    QAction* more = nullptr;
    for (QAction* action : window_menu->actions()) {
      if (action->text().size() > 1 && action->text()[1].isDigit()) ++listed;
      if (action->text() == QStringLiteral("&More Windows...")) more = action;
    }
    QCOMPARE(listed, 9);
    QVERIFY(more != nullptr);
    QStringList offered;
    frame.SetWindowPicker([&](QWidget*, const QStringList& titles, int) {
      offered = titles;
      return std::optional<int>(10);
    });
    more->trigger();
    QCOMPARE(offered.size(), 12);
    QCOMPARE(frame.ActiveChild()->GetActiveDocument()->GetTitle(), offered[10]);
  }

  void HelpSaysWhyNothingOpens() {
    Harness h;
    QVERIFY(h.app.InitInstance({}));
    h.Frame().SetUrlOpener([](const QUrl&) { return false; });
    h.Frame().Action(CommandId::kHelp)->trigger();
    QCOMPARE(h.boxes.texts.size(), std::size_t{1});
    QCOMPARE(h.boxes.icons.front(), MessageIcon::kExclamation);
  }

  void StartWithAMissingFileFails() {
    Harness h;
    QVERIFY(!h.app.InitInstance({QStringLiteral("/nonexistent/none.txt")}));
    QCOMPARE(h.prompts.errors.size(), 1);
  }

  void BadStoredValuesStillStart() {
    Harness h;
    const std::pair<const char*, int> general[] = {
        {"Target", 7}, {"Import", 9}, {"Depth", -1}, {"N_best", 100000}, {"AutoClip", 7}};
    for (const auto& [name, value] : general) h.store.WriteProfileInt("General", name, value);
    SaveNormalRect(h.store, {-30000, -30000, -29000, -29500});
    h.store.WriteProfileInt("FONT", "Height", -13);
    h.store.WriteProfileString("FONT", "FaceName", "");
    QVERIFY(h.app.InitInstance({}));
    QCOMPARE(h.app.m_settings.Target, 7);
    QCOMPARE(h.app.m_settings.Import, 9);
    QCOMPARE(h.app.m_settings.Depth, -1);
    QCOMPARE(h.app.m_settings.N_best, 100000);
    QCOMPARE(h.app.m_settings.AutoClip, 7);  // held at 0 only while the frame comes up
    QCOMPARE(h.Frame().geometry().topLeft(), QPoint(-30000, -30000));
    QCOMPARE(h.Frame().m_viewLogFont.Height, -13);
    h.Exit();
    QCOMPARE(h.store.GetProfileInt("General", "AutoClip", 0), 1);
    QCOMPARE(h.store.GetProfileInt("General", "Target", 0), 7);
  }

  void PlacementRoundTrip_data() {
    QTest::addColumn<NormalRect>("stored");
    QTest::addColumn<bool>("maximise");
    QTest::newRow("normal") << NormalRect{100, 80, 700, 500} << false;
    QTest::newRow("off every screen") << NormalRect{-5000, -4000, -4200, -3400} << false;
    QTest::newRow("maximised at exit") << NormalRect{120, 90, 620, 490} << true;
  }
  void PlacementRoundTrip() {
    QFETCH(NormalRect, stored);
    QFETCH(bool, maximise);
    Harness h;
    SaveNormalRect(h.store, stored);
    QVERIFY(h.app.InitInstance({}));
    QCOMPARE(NormalRectFromQRect(h.Frame().geometry()), stored);
    if (maximise) {
      h.Frame().showMaximized();
      QTRY_VERIFY(h.Frame().isMaximized());
    }
    h.Exit();
    QCOMPARE(LoadNormalRect(h.store, {}), stored);
  }

  void FontRoundTrip_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("face");
    QTest::addColumn<int>("wantHeight");
    QTest::addColumn<QString>("wantFace");
    const QString longFace = QString("DejaVu Sans Mono").leftJustified(40, 'x');
    QTest::newRow("negative height") << -15 << "DejaVu Sans Mono" << -15 << "DejaVu Sans Mono";
    QTest::newRow("long face name") << -14 << longFace << -14 << longFace.left(31);
    QTest::newRow("height 0 ignores the section") << 0 << "DejaVu Serif" << 0 << QString();
  }
  void FontRoundTrip() {
    QFETCH(int, height);
    QFETCH(QString, face);
    QFETCH(int, wantHeight);
    QFETCH(QString, wantFace);
    Harness h;
    h.store.WriteProfileInt("FONT", "Height", height);
    h.store.WriteProfileInt("FONT", "Weight", 700);
    h.store.WriteProfileInt("FONT", "CharSet", 204);
    h.store.WriteProfileInt("FONT", "Underline", 1);
    h.store.WriteProfileString("FONT", "FaceName", face);
    QVERIFY(h.app.InitInstance({}));
    const LogFont loaded = h.Frame().m_viewLogFont;
    if (wantHeight == 0) {
      QCOMPARE(loaded, SystemLogFont());
    } else {
      QCOMPARE(loaded.Height, wantHeight);
      QCOMPARE(QString::fromStdString(loaded.FaceName), wantFace);
      QCOMPARE(loaded.Weight, 700);
      QCOMPARE(int(loaded.CharSet), 204);
      // The new document's view shows the frame's font.
      QCOMPARE(h.Frame().ActiveView()->CurrentLogFont(), loaded);
    }
    h.Exit();
    QCOMPARE(LoadLogFont(h.store, LogFont{}), loaded);
  }

  void SetFontReachesFirstViewOfEveryDocumentAndNewOnes() {
    Harness h;
    QVERIFY(h.app.InitInstance({}));
    CMainFrame& frame = h.Frame();
    frame.DocTemplate().OpenNewDocument();
    h.store.WriteProfileInt("FONT", "Underline", 0);
    QFont chosen(QStringLiteral("DejaVu Sans"));
    chosen.setPixelSize(21);
    chosen.setUnderline(true);  // the dialog's effects are applied
    chosen.setStrikeOut(true);
    frame.SetFontChooser([&](QWidget*, const QFont&) { return std::optional<QFont>(chosen); });
    frame.Action(CommandId::kSetFont)->trigger();
    QCOMPARE(frame.m_viewLogFont.Height, -21);
    QCOMPARE(int(frame.m_viewLogFont.Underline), 1);
    QVERIFY(frame.m_viewLogFont.StrikeOut);
    for (CCyrvertDoc* doc : frame.DocTemplate().Documents()) {
      QCOMPARE(doc->GetFirstView()->CurrentLogFont(), frame.m_viewLogFont);
    }
    CChildFrame* added = frame.DocTemplate().OpenNewDocument();
    QCOMPARE(added->GetActiveView()->CurrentLogFont(), frame.m_viewLogFont);

    frame.SetFontChooser([](QWidget*, const QFont&) { return std::optional<QFont>(); });
    const LogFont before = frame.m_viewLogFont;
    frame.Action(CommandId::kSetFont)->trigger();
    QCOMPARE(frame.m_viewLogFont, before);
  }

  void CloseNonIconisedThroughTheMenu() {
    Harness h;
    QVERIFY(h.app.InitInstance({}));
    CMainFrame& frame = h.Frame();
    frame.DocTemplate().OpenNewDocument();
    CChildFrame* third = frame.DocTemplate().OpenNewDocument();
    QPointer<QMdiSubWindow> middle = h.Windows().at(1);
    // As the user does it: the active (maximised) window is minimised.
    frame.MdiArea()->setActiveSubWindow(middle);
    middle->setWindowState(Qt::WindowMinimized);
    frame.MdiArea()->setActiveSubWindow(third);
    QVERIFY(middle->isMinimized());
    QAction* item = MenuAction(frame, "&Window", "Close non &iconised\tCtrl+I");
    QVERIFY(item);
    QVERIFY(item->isEnabled());
    item->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(h.Windows().size(), 1);
    QCOMPARE(h.Windows().at(0), middle.data());
    // Only minimised windows left: nothing more closes.
    item->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(h.Windows().size(), 1);
  }

  void AcceleratorsReachTheFrameFromTheView() {
    Harness h;
    QVERIFY(h.app.InitInstance({}));
    CMainFrame& frame = h.Frame();
    frame.DocTemplate().OpenNewDocument();
    frame.show();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    CCyrvertView* view = frame.ActiveView();
    view->setFocus();
    // F6 and Shift+F6: the next and the previous document window.
    CChildFrame* second = frame.ActiveChild();
    QTest::keyClick(view, Qt::Key_F6);
    QVERIFY(frame.ActiveChild() != second);
    QTest::keyClick(frame.ActiveView(), Qt::Key_F6, Qt::ShiftModifier);
    QCOMPARE(frame.ActiveChild(), second);
    QTest::keyClick(view, Qt::Key_L, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(h.Windows().isEmpty());
    QTRY_VERIFY(!MenuAction(frame, "&Window", "C&lose All\tCtrl+L"));  // no-document menu
  }

  void CloseGreyedWhileClosingIsNotAllowed() {
    Harness h;
    QVERIFY(h.app.InitInstance({}));
    CMainFrame& frame = h.Frame();
    CChildFrame* child = frame.ActiveChild();
    QAction* close = frame.Action(CommandId::kFileClose);
    QVERIFY(close->isEnabled());
    child->SetCloseAllowed(false);
    QTRY_VERIFY(!close->isEnabled());
    close->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(h.Windows().size(), 1);
    child->SetCloseAllowed(true);
    QTRY_VERIFY(close->isEnabled());
  }

  void PasteFollowsTheClipboard() {
    Harness h;
    QVERIFY(h.app.InitInstance({}));
    QAction* paste = h.Frame().Action(CommandId::kEditPaste);
    QGuiApplication::clipboard()->clear();
    QTRY_VERIFY(!paste->isEnabled());
    QGuiApplication::clipboard()->setText(QStringLiteral("текст"));
    QTRY_VERIFY(paste->isEnabled());
    h.Frame().ActiveView()->SetReadOnly(true);
    h.Frame().UpdateActions();
    QVERIFY(!paste->isEnabled());
  }

  void StopFollowsTheBusyFlag() {
    Harness h;
    QVERIFY(h.app.InitInstance({}));
    CMainFrame& frame = h.Frame();
    QAction* stop = frame.Action(CommandId::kStop);
    QVERIFY(!stop->isEnabled());
    frame.m_bEngineBusy = true;
    frame.UpdateActions();
    QVERIFY(stop->isEnabled());
    QVERIFY(!frame.Action(CommandId::kCyrvertClipboard)->isEnabled());
    // Esc in the document window stops a run.
    frame.show();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    frame.ActiveView()->setFocus();
    QTest::keyClick(frame.ActiveView(), Qt::Key_Escape);
    QVERIFY(frame.m_bStopRequested);
    frame.m_bStopRequested = false;
    stop->trigger();
    QVERIFY(frame.m_bStopRequested);
    // The engine commands stay greyed while busy.
    QVERIFY(!frame.Action(CommandId::kCyrvert)->isEnabled());
    frame.m_bEngineBusy = false;
    frame.UpdateActions();
    QVERIFY(frame.Action(CommandId::kCyrvert)->isEnabled());
    QVERIFY(!stop->isEnabled());
  }

  // The editor control gives up its Ctrl letters but the editing ones: none of its own line
  // commands (duplicate, case changes) can change the text behind the frame's back.
  void EditorGivesUpItsCtrlLetters_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Ctrl+D") << int(Qt::Key_D) << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+U") << int(Qt::Key_U) << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+Shift+U") << int(Qt::Key_U) << int(Qt::ControlModifier | Qt::ShiftModifier);
  }

  void EditorGivesUpItsCtrlLetters() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    Harness h;
    QVERIFY(h.app.InitInstance({}));
    CMainFrame& frame = h.Frame();
    frame.show();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    CCyrvertView* view = frame.ActiveView();
    view->PutViewText("one\r\ntwo");
    view->setFocus();
    QTest::keyClick(view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(view->GetViewText(), std::string("one\r\ntwo"));
  }

  void MinimisingWithTheTrayIconHides_data() {
    QTest::addColumn<bool>("trayIcon");
    QTest::newRow("no tray icon") << false;
    QTest::newRow("tray icon shown") << true;
  }
  void MinimisingWithTheTrayIconHides() {
    QFETCH(bool, trayIcon);
    Harness h;
    QVERIFY(h.app.InitInstance({}));
    CMainFrame& frame = h.Frame();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    frame.m_bTrayIconShown = trayIcon;
    frame.showMinimized();
    QTRY_VERIFY(frame.isMinimized() || !frame.isVisible());
    QTest::qWait(20);
    QCOMPARE(frame.isVisible(), !trayIcon);
    frame.RestoreFromTray();
    QVERIFY(frame.isVisible());
  }

  void CloseDuringALongCommandWaitsForIt() {
    Harness h;
    QVERIFY(h.app.InitInstance({}));
    QPointer<CMainFrame> frame = h.app.MainFrame();
    QPointer<CCyrvertView> view = frame->ActiveView();
    frame->m_bEngineBusy = true;
    QTimer::singleShot(0, frame, &QWidget::close);
    bool pumping = true;
    int steps = 0;
    while (pumping && steps < 1000) {
      pumping = h.app.PumpPendingMessages();
      ++steps;
    }
    QVERIFY(!pumping);
    QVERIFY(!frame.isNull());
    QVERIFY(!view.isNull());
    QCOMPARE(view->GetViewText(), std::string());  // still usable
    frame->m_bEngineBusy = false;                  // the command returns
    QTRY_VERIFY(frame.isNull());
    QVERIFY(h.store.Contains("General", "Depth"));
  }

  void MessageBoxesBelongToTheCommandsWindow() {
    test::MemoryProfileStore store;
    QtMessageBoxes boxes;
    FakePrompts prompts;
    CCyrvertApp app(store, boxes, prompts);
    boxes.SetOwnerSource([&app]() -> QWidget* { return app.MainFrame()->MessageOwner(); });
    QVERIFY(app.InitInstance({}));
    CMainFrame& frame = *app.MainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QWidget* view = frame.ActiveView();
    // Another window is the active one when the box comes up (the wait window just closed).
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QWidget* owner = nullptr;
    QString text;
    test::WhenModal<QMessageBox>(&frame, [&](QMessageBox* box) {
      owner = box->parentWidget();
      text = box->text();
    });
    frame.Action(CommandId::kExportBase64)->trigger();  // on an empty document
    QCOMPARE(text, QString::fromUtf8(strings::kNoText));
    QCOMPARE(owner, view);
    frame.close();
  }

  void OptionsCopiesOnOkOnly() {
    Harness h;
    QVERIFY(h.app.InitInstance({}));
    CMainFrame& frame = h.Frame();
    for (bool ok : {false, true}) {
      QTimer::singleShot(0, [ok] {
        auto* dlg = qobject_cast<COptionsDlg*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        qobject_cast<QAbstractButton*>(dlg->Control(COptionsDlg::kIdBigLetters))->click();
        if (ok) {
          dlg->accept();
        } else {
          dlg->reject();
        }
      });
      frame.Action(CommandId::kOptions)->trigger();
      QCOMPARE(h.app.m_settings.BigLetters, ok ? 1 : 0);
      QVERIFY(!h.store.Contains("General", "BigLetters"));
    }
  }
};

QTEST_MAIN(FrameTest)
#include "frame_test.moc"
