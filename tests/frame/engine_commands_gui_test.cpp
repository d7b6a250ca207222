// The engine commands in the real editor on the offscreen platform: Ctrl+Y, the variant
// list, Translate and Set 8-th bit, and what a running search locks.
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <memory>

#include "app/cyrvert_app.h"
#include "dialogs/progress_dlg.h"
#include "dialogs/translate_dlg.h"
#include "dialogs/variant_list_dlg.h"
#include "docview/child_frame.h"
#include "docview/cyrvert_view.h"
#include "docview/document_prompts.h"
#include "engine/variant_search.h"
#include "frame/command_ids.h"
#include "frame/engine_commands.h"
#include "frame/main_frame.h"
#include "resources/strings.h"
#include "tests/fakes/fake_boxes.h"
#include "tests/fakes/fake_hosts.h"
#include "tests/fakes/fake_prompts.h"
#include "tests/fakes/test_app.h"
#include "tests/fakes/when_modal.h"

// Q_INIT_RESOURCE must be expanded outside any namespace.
static void InitResources() { Q_INIT_RESOURCE(cyrvert); }

namespace cyrvert {
namespace {

using test::FakeBoxes;
using test::FakePrompts;

// What a user's double-click delivers: press, release, double-click, release.
void DoubleClick(QWidget* widget, QPoint where) {
  QTest::mousePress(widget, Qt::LeftButton, {}, where, 2 * QApplication::doubleClickInterval());
  QTest::mouseRelease(widget, Qt::LeftButton, {}, where);
  QTest::mouseDClick(widget, Qt::LeftButton, {}, where);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, where);
}

// The Close item of a document window's system menu.
QAction* SystemMenuClose(QMdiSubWindow* window) {
  for (QAction* action : window->systemMenu()->actions()) {
    if (action->shortcut() == QKeySequence(QKeySequence::Close)) return action;
  }
  return nullptr;
}

using test::WhenModal;

}  // namespace

class EngineCommandsGuiTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InitResources(); }
  void init();
  void cleanup();
  void ctrlYOpensTheRepairedTextTitledWithItsPath();
  void variantListOpensThePickedVariantTwice();
  void runningSearchLocksDocumentAndCommands();
  void stopEndsTheSearchWithoutAWindow_data();
  void stopEndsTheSearchWithoutAWindow();
  void closingTheMainWindowDuringASearchEndsBoth();
  void translateAndEighthBitOpenOneWindowEach();
  void smartRepairSitsBesideCyrvertAndOpensTheRepair();

 private:
  // The frame's document windows.
  int WindowCount() const { return static_cast<int>(m_frame->MdiArea()->subWindowList().size()); }
  // Fills the active document with the sample damaged by W2K.
  std::string PutDamagedText();

  std::unique_ptr<test::TestApp> m_test;
  CMainFrame* m_frame = nullptr;
};

void EngineCommandsGuiTest::init() {
  m_test = std::make_unique<test::TestApp>();
  QVERIFY(m_test->Start());
  m_frame = &m_test->Frame();
  ConnectEngineCommands(*m_frame, m_test->app);
  m_test->app.m_settings.ShowTranslateWay = 1;
  QVERIFY(QTest::qWaitForWindowExposed(m_frame));
}

void EngineCommandsGuiTest::cleanup() {
  m_test->CloseMainFrame();
  m_test.reset();
  m_frame = nullptr;
}

std::string EngineCommandsGuiTest::PutDamagedText() {
  std::string text = test::RussianSample();
  ConvertHighHalf(text.data(), text.size(), kW2K);
  m_frame->ActiveView()->PutViewText(text);
  return text;
}

void EngineCommandsGuiTest::ctrlYOpensTheRepairedTextTitledWithItsPath() {
  CCyrvertView* source = m_frame->ActiveView();
  const std::string damaged = PutDamagedText();
  const std::string title = source->Title();

  QApplication::setActiveWindow(m_frame);
  source->setFocus();
  QTest::keyClick(source, Qt::Key_Y, Qt::ControlModifier);

  QCOMPARE(WindowCount(), 2);
  CCyrvertView* result = m_frame->ActiveView();
  QVERIFY(result != source);
  QVERIFY(result->GetViewText() == test::RussianSample());
  QCOMPARE(QString::fromUtf8(result->Title()), QStringLiteral("Cyrvert2(K2W)"));
  QVERIFY(source->GetViewText() == damaged);
  QCOMPARE(QString::fromUtf8(source->Title()), QString::fromUtf8(title));
  QVERIFY(m_test->boxes.texts.empty());
}

void EngineCommandsGuiTest::variantListOpensThePickedVariantTwice() {
  const std::string damaged = PutDamagedText();
  m_test->app.m_settings.Out_to = 1;
  m_test->app.m_settings.Sense = 2;
  m_test->app.m_settings.N_best = 0;

  HighByteHistogram histogram;
  BuildHighByteHistogram(histogram, damaged);
  SearchParams params;
  params.sense = 2;
  params.target = [] { return 0; };
  NoOpSearchHooks hooks;
  const FindResult want = FindVariants(histogram, params, hooks);
  QVERIFY(want.variants.size() >= 2);
  const std::vector<std::string> previews =
      MakeVariantPreviews(damaged, want.variants, want.variants.size(), FindPreviewOffset(damaged));

  bool seen = false;
  WhenModal<CVariantListDlg>(m_frame, [&](CVariantListDlg* dlg) {
    seen = true;
    QTreeWidget* list = dlg->List();
    QCOMPARE(list->topLevelItemCount(), static_cast<int>(want.variants.size()));
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      QCOMPARE(list->topLevelItem(i)->text(0),
               PreviewToDisplay(previews[static_cast<std::size_t>(i)]));
    }
    const QPoint second = list->visualItemRect(list->topLevelItem(1)).center();
    DoubleClick(list->viewport(), second);
    DoubleClick(list->viewport(), second);
    QVERIFY(dlg->isVisible());
  });
  m_frame->Action(CommandId::kCyrvert)->trigger();

  QVERIFY(seen);
  QCOMPARE(WindowCount(), 3);
  std::string want_text = damaged;
  DecodeByVariant(want_text.data(), want_text.size(), want.variants[1]);
  const QList<QMdiSubWindow*> windows = m_frame->MdiArea()->subWindowList();
  for (int i : {1, 2}) {
    auto* child = qobject_cast<CChildFrame*>(windows[i]);
    QVERIFY(child != nullptr);
    QVERIFY(child->GetActiveView()->GetViewText() == want_text);
  }
  QVERIFY(m_test->boxes.texts.empty());
}

void EngineCommandsGuiTest::runningSearchLocksDocumentAndCommands() {
  CCyrvertView* source = m_frame->ActiveView();
  CChildFrame* child = m_frame->ActiveChild();
  const std::string damaged = PutDamagedText();
  m_test->app.m_settings.Depth = 2;
  m_test->app.m_settings.Sense = 0;

  bool checked = false;
  QTimer::singleShot(0, m_frame, [&] {
    checked = true;
    QVERIFY(m_frame->m_bEngineBusy);
    QVERIFY(!m_frame->Action(CommandId::kCyrvert)->isEnabled());
    QVERIFY(!m_frame->Action(CommandId::kTranslate)->isEnabled());
    QVERIFY(!m_frame->Action(CommandId::kCyrvertClipboard)->isEnabled());
    QVERIFY(m_frame->Action(CommandId::kStop)->isEnabled());
    QVERIFY(source->isReadOnly());
    QVERIFY(!child->IsCloseAllowed());
    QVERIFY(!SystemMenuClose(child)->isEnabled());
    child->close();
    QVERIFY(m_frame->MdiArea()->subWindowList().contains(child));
    source->setFocus();
    QTest::keyClicks(source, "xyz");
    QVERIFY(source->GetViewText() == damaged);
  });
  m_frame->Action(CommandId::kCyrvert)->trigger();

  QVERIFY(checked);
  QVERIFY(!m_frame->m_bEngineBusy);
  m_frame->UpdateActions();
  QVERIFY(m_frame->Action(CommandId::kCyrvert)->isEnabled());
  QVERIFY(m_frame->Action(CommandId::kTranslate)->isEnabled());
  QVERIFY(!m_frame->Action(CommandId::kStop)->isEnabled());
  QVERIFY(!source->isReadOnly());
  QVERIFY(child->IsCloseAllowed());
  QVERIFY(SystemMenuClose(child)->isEnabled());
}

void EngineCommandsGuiTest::stopEndsTheSearchWithoutAWindow_data() {
  QTest::addColumn<bool>("by_escape");
  QTest::newRow("Stop command") << false;
  QTest::newRow("Esc in the progress window") << true;
}

void EngineCommandsGuiTest::stopEndsTheSearchWithoutAWindow() {
  QFETCH(bool, by_escape);
  PutDamagedText();
  m_test->app.m_settings.Depth = 5;
  m_test->app.m_settings.Sense = 2;
  bool progress_seen = false;
  auto* poll = new QTimer(m_frame);
  poll->setInterval(1);
  connect(poll, &QTimer::timeout, m_frame, [&, poll] {
    CProgressDlg* progress = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* p = qobject_cast<CProgressDlg*>(w); p != nullptr && p->isVisible()) progress = p;
    }
    if (progress == nullptr) return;  // the search opens it after its first pump
    poll->stop();
    progress_seen = true;
    if (by_escape) {
      QTest::keyClick(progress, Qt::Key_Escape);
    } else {
      m_frame->Action(CommandId::kStop)->trigger();
    }
  });
  poll->start();
  m_frame->Action(CommandId::kCyrvert)->trigger();
  QVERIFY(progress_seen);
  QCOMPARE(WindowCount(), 1);
  QCOMPARE(m_test->boxes.texts, std::vector<std::string>{std::string(strings::kStoppedByUser)});
  QVERIFY(!m_frame->m_bEngineBusy);
}

void EngineCommandsGuiTest::closingTheMainWindowDuringASearchEndsBoth() {
  PutDamagedText();
  m_test->app.m_settings.Depth = 5;
  m_test->app.m_settings.Sense = 2;
  QPointer<CMainFrame> frame = m_frame;
  QTimer::singleShot(0, m_frame, [&] { m_frame->close(); });
  m_frame->Action(CommandId::kCyrvert)->trigger();
  QVERIFY(m_test->boxes.texts.empty());
  QCOMPARE(WindowCount(), 1);
  // The close was only deferred: it happens once the run has returned.
  QTRY_VERIFY(frame.isNull() || !frame->isVisible());
  if (frame.isNull()) m_frame = nullptr;
}

void EngineCommandsGuiTest::translateAndEighthBitOpenOneWindowEach() {
  CCyrvertView* source = m_frame->ActiveView();
  const std::string text = test::RussianSample();
  source->PutViewText(text);

  WhenModal<CTranslateDlg>(m_frame, [&](CTranslateDlg* dlg) {
    QTest::mouseClick(dlg->Button(1004), Qt::LeftButton);  // WINDOWS -> KOI8-R
  });
  m_frame->Action(CommandId::kTranslate)->trigger();
  QCOMPARE(WindowCount(), 2);
  std::string koi = text;
  ConvertHighHalf(koi.data(), koi.size(), kW2K);
  QVERIFY(m_frame->ActiveView()->GetViewText() == koi);
  QCOMPARE(QString::fromUtf8(m_frame->ActiveView()->Title()), QStringLiteral("Cyrvert2Koi"));
  QVERIFY(!m_frame->ActiveChild()->GetActiveDocument()->IsModified());

  m_frame->MdiArea()->setActiveSubWindow(m_frame->MdiArea()->subWindowList().first());
  QCOMPARE(m_frame->ActiveView(), source);
  m_frame->Action(CommandId::kSetEighthBit)->trigger();
  QCOMPARE(WindowCount(), 3);
  std::string high = text;
  for (char& c : high) c = static_cast<char>(static_cast<unsigned char>(c) | 0x80U);
  QVERIFY(m_frame->ActiveView()->GetViewText() == high);
  QCOMPARE(QString::fromUtf8(m_frame->ActiveView()->Title()), QStringLiteral("Cyrvert3"));
  QVERIFY(source->GetViewText() == text);
}

void EngineCommandsGuiTest::smartRepairSitsBesideCyrvertAndOpensTheRepair() {
  QAction* smart = m_frame->Action(CommandId::kSmartRepair);
  QAction* cyrvert = m_frame->Action(CommandId::kCyrvert);
  QVERIFY(smart != nullptr && cyrvert != nullptr);
  QCOMPARE(smart->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+Y")));
  // Right after Cyrvert in the Edit menu and on the toolbar.
  bool in_menu = false;
  for (QAction* menu : m_frame->menuBar()->actions()) {
    if (menu->menu() == nullptr) continue;
    const QList<QAction*> items = menu->menu()->actions();
    const qsizetype at = items.indexOf(cyrvert);
    if (at >= 0) in_menu = at + 1 < items.size() && items[at + 1] == smart;
  }
  QVERIFY(in_menu);
  const QList<QAction*> buttons = m_frame->findChild<QToolBar*>()->actions();
  QCOMPARE(buttons.indexOf(smart), buttons.indexOf(cyrvert) + 1);

  CCyrvertView* source = m_frame->ActiveView();
  const std::string damaged = PutDamagedText();
  QTest::keyClick(source, Qt::Key_Y, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(WindowCount(), 2);
  QVERIFY(m_frame->ActiveView()->GetViewText() == test::RussianSample());
  QCOMPARE(QString::fromUtf8(m_frame->ActiveView()->Title()),
           QStringLiteral("Cyrvert2 (K2W: KOI8-R read as cp-1251)"));
  QVERIFY(!m_frame->ActiveChild()->GetActiveDocument()->IsModified());
  QVERIFY(source->GetViewText() == damaged);
  QVERIFY(m_test->boxes.texts.empty());

  // The repaired text is not damaged: a message, no window.
  smart->trigger();
  QCOMPARE(WindowCount(), 2);
  QCOMPARE(m_test->boxes.texts.size(), std::size_t{1});
  QVERIFY(m_test->boxes.texts[0] == strings::kNotDamaged);
}

}  // namespace cyrvert

QTEST_MAIN(cyrvert::EngineCommandsGuiTest)
#include "engine_commands_gui_test.moc"
