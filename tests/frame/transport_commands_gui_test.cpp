// The import and export commands in the real editor on the offscreen platform: the menu
// items, the wait window, the output choice, Save As and the messages.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <vector>

#include "app/cyrvert_app.h"
#include "commands/transport_command.h"
#include "dialogs/import_target_dlg.h"
#include "dialogs/wait_dlg.h"
#include "docview/cyrvert_view.h"
#include "docview/document_prompts.h"
#include "docview/file_bytes.h"
#include "frame/command_ids.h"
#include "frame/command_table.h"
#include "frame/engine_commands.h"
#include "frame/main_frame.h"
#include "frame/transport_command_handlers.h"
#include "frame/transport_ui.h"
#include "resources/strings.h"
#include "tests/fakes/fake_boxes.h"
#include "tests/fakes/fake_prompts.h"
#include "tests/fakes/test_app.h"
#include "tests/fakes/when_modal.h"
#include "transport/base64.h"

// Q_INIT_RESOURCE must be expanded outside any namespace.
static void InitResources() { Q_INIT_RESOURCE(cyrvert); }

namespace cyrvert {
namespace {

using test::FakeBoxes;
using test::FakePrompts;

using test::WhenModal;

// Some bytes of every value, and their base64 body.
std::string AllBytes() {
  std::string bytes;
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>((i * 7 + round) & 0xFF));
  }
  return bytes;
}

}  // namespace

class TransportCommandsGuiTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    InitResources();
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  }
  void init();
  void cleanup();
  void itemsAreEnabledOnlyWithADocument();
  void base64ImportOpensTheBytesUnderTheWaitWindow();
  void outputChoiceLeadsToAWindowAFileOrTheCancelMessage_data();
  void outputChoiceLeadsToAWindowAFileOrTheCancelMessage();
  void uudecodeTitlesTheWindowWithTheFileName();
  void failedSaveNamesTheFileAndTheReason();
  void minimisedMainWindowRunsWithoutTheWaitWindow();
  void decodeErrorAndAutoOnlyShowTheirMessage();
  void textCopiedDuringTheSaveAsIsDecodedAfterIt();

 private:
  int WindowCount() const { return static_cast<int>(m_frame->MdiArea()->subWindowList().size()); }
  // Puts `text` in the active view and runs `id` on it.
  void RunOn(const std::string& text, CommandId id);

  std::unique_ptr<test::TestApp> m_test;
  CMainFrame* m_frame = nullptr;
  QPointer<CCyrvertView> m_source;
};

void TransportCommandsGuiTest::init() {
  m_test = std::make_unique<test::TestApp>();
  QVERIFY(m_test->Start());
  m_frame = &m_test->Frame();
  ConnectTransportCommands(*m_frame, m_test->app);
  QVERIFY(QTest::qWaitForWindowExposed(m_frame));
  m_source = m_frame->ActiveView();
}

void TransportCommandsGuiTest::cleanup() {
  m_test->CloseMainFrame();
  m_test.reset();
  m_frame = nullptr;
}

void TransportCommandsGuiTest::RunOn(const std::string& text, CommandId id) {
  m_source->PutViewText(text);
  m_source->SetModified(false);
  m_frame->UpdateActions();
  QVERIFY(m_frame->Action(id)->isEnabled());
  m_frame->Action(id)->trigger();
}

void TransportCommandsGuiTest::itemsAreEnabledOnlyWithADocument() {
  std::vector<CommandId> items(ImportCommands().begin(), ImportCommands().end());
  items.insert(items.end(), ExportCommands().begin(), ExportCommands().end());
  m_frame->UpdateActions();
  for (CommandId id : items) QVERIFY(m_frame->Action(id)->isEnabled());
  m_frame->OnCloseAll();
  QCOMPARE(WindowCount(), 0);
  m_frame->UpdateActions();
  for (CommandId id : items) QVERIFY(!m_frame->Action(id)->isEnabled());
}

void TransportCommandsGuiTest::base64ImportOpensTheBytesUnderTheWaitWindow() {
  m_test->app.m_settings.Import = 1;
  // Big enough that the conversion outlasts a few turns of the event loop.
  std::string bytes;
  for (int i = 0; i < 16 * 1024; ++i) bytes += AllBytes();
  const std::string body = EncodeBase64(bytes);
  bool waited = false;
  bool clip_played = false;
  bool others_held = false;  // while the text converts, no search may start
  bool stop_shown = false;   // Stop has nothing to stop here
  QTimer probe;
  probe.setInterval(1);
  connect(&probe, &QTimer::timeout, this, [&] {
    for (CWaitDlg* wait : m_frame->findChildren<CWaitDlg*>()) {
      waited = waited || wait->isVisible();
      clip_played = clip_played || wait->Animation()->IsPlaying();
      others_held = others_held || !m_frame->Action(CommandId::kCyrvert)->isEnabled();
      stop_shown = stop_shown || m_frame->Action(CommandId::kStop)->isEnabled();
    }
  });
  probe.start();
  RunOn(body, CommandId::kImportBase64);
  probe.stop();

  QCOMPARE(WindowCount(), 2);
  CCyrvertView* result = m_frame->ActiveView();
  QVERIFY(result != m_source);
  QVERIFY(result->GetViewText() == bytes);
  QVERIFY(!result->GetDocument()->IsModified());
  QVERIFY(m_source->GetViewText() == body);
  QVERIFY(m_test->boxes.texts.empty());
  QVERIFY(waited);
  QVERIFY(clip_played);
  QVERIFY(others_held);
  QVERIFY(!stop_shown);
  QVERIFY(m_frame->findChildren<CWaitDlg*>().isEmpty());
  QVERIFY(m_frame->IsIdle());
}

void TransportCommandsGuiTest::outputChoiceLeadsToAWindowAFileOrTheCancelMessage_data() {
  QTest::addColumn<int>("command");
  QTest::addColumn<int>("button");  // control id in the output-choice dialog
  QTest::addColumn<bool>("saved");
  QTest::addColumn<int>("windows");
  QTest::addColumn<QString>("message");
  const auto qp = static_cast<int>(CommandId::kImportQuotedPrintable);
  // The deliveries of every command are the command tests' matrix; here one import goes
  // through the real dialogs to each place a result can go.
  QTest::newRow("import, window") << qp << CImportTargetDlg::kIdToWindow << false << 2 << "";
  QTest::newRow("import, file") << qp << CImportTargetDlg::kIdToFile << true << 1 << "";
  QTest::newRow("import, cancel") << qp << CImportTargetDlg::kIdCancel << false << 1
                                  << QString::fromUtf8(strings::kImportCanceled);
}

void TransportCommandsGuiTest::outputChoiceLeadsToAWindowAFileOrTheCancelMessage() {
  QFETCH(int, command);
  QFETCH(int, button);
  QFETCH(bool, saved);
  QFETCH(int, windows);
  QFETCH(QString, message);
  const auto id = static_cast<CommandId>(command);
  m_test->app.m_settings.Import = 2;  // ask
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("result.bin"));
  const std::string text = "a=3D=C0=\r\nb\r\n";
  const std::string want =
      "a=\xC0"
      "b\r\n";

  bool asked = false;
  WhenModal<CImportTargetDlg>(m_frame, [&](CImportTargetDlg* dlg) {
    asked = true;
    QVERIFY(m_frame->findChildren<CWaitDlg*>().isEmpty());
    // Nothing converts while the dialog asks: Stop is greyed, Cyrvert and Translate are not.
    QVERIFY(!m_frame->Action(CommandId::kStop)->isEnabled());
    QVERIFY(m_frame->Action(CommandId::kCyrvert)->isEnabled());
    QVERIFY(m_frame->Action(CommandId::kTranslate)->isEnabled());
    if (button == CImportTargetDlg::kIdToFile) {
      WhenModal<QFileDialog>(m_frame, [&](QFileDialog* files) {
        QCOMPARE(files->acceptMode(), QFileDialog::AcceptSave);
        files->selectFile(path);
        static_cast<QDialog*>(files)->accept();
      });
    }
    QTest::mouseClick(dlg->Button(button), Qt::LeftButton);
  });
  RunOn(text, id);

  QVERIFY(asked);
  QCOMPARE(WindowCount(), windows);
  if (windows == 2) QVERIFY(m_frame->ActiveView()->GetViewText() == want);
  QCOMPARE(QFileInfo::exists(path), saved);
  if (saved) QVERIFY(ReadFileBytes(path).bytes == want);
  QCOMPARE(m_test->boxes.texts.empty() ? QString() : QString::fromUtf8(m_test->boxes.texts[0]),
           message);
  QVERIFY(m_test->boxes.texts.size() <= 1);
  QVERIFY(m_source->GetViewText() == text);
}

void TransportCommandsGuiTest::uudecodeTitlesTheWindowWithTheFileName() {
  m_test->app.m_settings.Import = 1;
  RunOn("begin 644 \xCF\xE8\xF1\xFC\xEC\xEE.txt\r\n#86)C\r\n`\r\nend\r\n",
        CommandId::kImportUucode);
  QCOMPARE(WindowCount(), 2);
  QCOMPARE(QString::fromUtf8(m_frame->ActiveView()->Title()), QStringLiteral("Письмо.txt"));
  QVERIFY(m_frame->ActiveView()->GetViewText() == "abc");
  QVERIFY(!m_frame->ActiveView()->GetDocument()->IsModified());
}

void TransportCommandsGuiTest::failedSaveNamesTheFileAndTheReason() {
  m_test->app.m_settings.Import = 0;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("no/such/dir/result.bin"));
  WhenModal<QFileDialog>(m_frame, [&](QFileDialog* files) {
    files->selectFile(path);
    static_cast<QDialog*>(files)->accept();
  });
  RunOn("YWJj", CommandId::kImportBase64);
  QCOMPARE(WindowCount(), 1);
  QCOMPARE(m_test->boxes.texts.size(), std::size_t{1});
  QVERIFY(QString::fromUtf8(m_test->boxes.texts[0]).contains(path));
  QVERIFY(QString::fromUtf8(m_test->boxes.texts[0])
              .contains(QStringLiteral("No such file or directory")));
  QCOMPARE(m_test->boxes.icons.at(0), MessageIcon::kStop);
}

void TransportCommandsGuiTest::minimisedMainWindowRunsWithoutTheWaitWindow() {
  m_test->app.m_settings.Import = 1;
  m_source->PutViewText("a\nb\n");
  m_frame->showMinimized();
  QVERIFY(m_frame->isMinimized());
  // A minimised frame has no active window for the menu: run the command as its item does.
  CEngineCommandHost host(m_test->app, *m_frame, m_source);
  CTransportUi ui(host, *m_source);
  bool waited = false;
  QTimer probe;
  probe.setInterval(1);
  connect(&probe, &QTimer::timeout, this, [&] { waited = waited || ui.WaitWindow() != nullptr; });
  probe.start();
  QCOMPARE(TransportCommand(ImportFrom(TransportFormat::kUnix), *m_source, host, ui),
           EngineStatus::kDone);
  probe.stop();
  QVERIFY(!waited);
  QCOMPARE(WindowCount(), 2);
  const auto views = m_frame->findChildren<CCyrvertView*>();
  QVERIFY(std::any_of(views.begin(), views.end(),
                      [](CCyrvertView* view) { return view->GetViewText() == "a\r\nb\r\n"; }));
}

void TransportCommandsGuiTest::decodeErrorAndAutoOnlyShowTheirMessage() {
  RunOn("@@@@", CommandId::kImportBase64);
  RunOn("@@@@", CommandId::kImportAuto);
  QCOMPARE(WindowCount(), 1);
  QVERIFY(m_test->boxes.texts == std::vector<std::string>({std::string(strings::kBase64DecodeError),
                                                           std::string(strings::kNotImplemented)}));
  QVERIFY(m_test->boxes.captions ==
          std::vector<std::string>({std::string(strings::kBase64DecodeCaption),
                                    std::string(strings::kNotImplementedCaption)}));
  QVERIFY(m_test->boxes.icons ==
          std::vector<MessageIcon>({MessageIcon::kStop, MessageIcon::kExclamation}));
  QVERIFY(m_source->GetViewText() == "@@@@");
}

void TransportCommandsGuiTest::textCopiedDuringTheSaveAsIsDecodedAfterIt() {
  m_test->app.m_settings.Import = 0;
  m_test->app.m_settings.AutoClip = 1;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("result.txt"));
  // Damaged text (cp-1251 read as KOI8-R), as another program copies it.
  const QString damaged = QString::fromUtf8("Бшъ ъецфхфыъ тэрвш ъшщч, ъщч шфгсц ъш шфъфлц.");
  bool untouched_under_dialog = false;
  WhenModal<QFileDialog>(m_frame, [&](QFileDialog* files) {
    files->selectFile(path);  // first: the dialog's folder view settles meanwhile
    QGuiApplication::clipboard()->setText(QStringLiteral("first"));
    QTest::qWait(30);
    QGuiApplication::clipboard()->setText(damaged);
    QTest::qWait(30);
    untouched_under_dialog = WindowCount() == 1;
    static_cast<QDialog*>(files)->accept();
  });
  RunOn("YWJj", CommandId::kImportBase64);
  QVERIFY(untouched_under_dialog);
  QVERIFY(ReadFileBytes(path).bytes == "abc");
  // The latest text, once the command has ended.
  QTRY_COMPARE(WindowCount(), 2);
  QCOMPARE(QString::fromUtf8(m_frame->ActiveView()->Title()), QStringLiteral("CyrClip"));
  QVERIFY(m_test->boxes.texts.empty());
}

}  // namespace cyrvert

QTEST_MAIN(cyrvert::TransportCommandsGuiTest)
#include "transport_commands_gui_test.moc"
