// Links and the about box: what is opened, the web-page handler fallback, the error texts, and
// how the controls look, through a fake opener on the offscreen platform.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <utility>
#include <vector>

#include "dialogs/about_dlg.h"
#include "dialogs/desktop_link_opener.h"
#include "dialogs/link_opener.h"
#include "dialogs/url_static.h"
#include "tests/fakes/fake_boxes.h"

namespace cyrvert {

namespace {

using test::FakeBoxes;

// Answers with preset codes, at once or when told, and records what it was asked.
class FakeOpener final : public LinkOpener {
 public:
  void ShellOpen(const QString& target, OpenDone done) override {
    opened.append(target);
    if (deferred) {
      waiting = std::move(done);
    } else {
      done(shellResult);
    }
  }
  std::optional<QString> WebPageHandlerCommand() override { return handler; }
  int Start(const QString& program, const QStringList& arguments) override {
    started.push_back(QStringList{program} + arguments);
    return startResult;
  }

  bool deferred = false;  // keep the answer until Answer()
  OpenDone waiting;
  // Gives the kept answer.
  void Answer(int code) { std::exchange(waiting, nullptr)(code); }

  int shellResult = kOpenSucceeded;
  std::optional<QString> handler;
  int startResult = kOpenSucceeded;
  QStringList opened;
  std::vector<QStringList> started;
};

}  // namespace

class LinkTest : public QObject {
  Q_OBJECT

 private slots:
  void openTargetFallsBackToTheWebPageHandler_data();
  void openTargetFallsBackToTheWebPageHandler();
  void handlerCommandCutsAtThePlaceholder_data();
  void handlerCommandCutsAtThePlaceholder();
  void errorTexts_data();
  void errorTexts();
  void clickMarksVisitedOrReportsTheError();
  void emptyTextShowsTheTarget();
  void fitToTextKeepsTheAlignedEdge_data();
  void fitToTextKeepsTheAlignedEdge();
  void clickWaitsForTheDesktopsAnswer();
  void desktopOpenerMapsFailuresToCodes();
  void desktopOpenerWaitsForXdgOpen_data();
  void desktopOpenerWaitsForXdgOpen();
  void failingXdgOpenFallsBackToTheWebPageHandler_data();
  void failingXdgOpenFallsBackToTheWebPageHandler();
  void aboutBoxShowsVersionAndFourLinks();
  void aboutBoxMailLinkOpensMailto();
  void aboutBoxClosesOnOkEnterAndEsc_data();
  void aboutBoxClosesOnOkEnterAndEsc();
};

void LinkTest::openTargetFallsBackToTheWebPageHandler_data() {
  QTest::addColumn<int>("shell");
  QTest::addColumn<QString>("handler");  // "-" for none
  QTest::addColumn<int>("start");
  QTest::addColumn<int>("want");
  QTest::addColumn<QStringList>("started");
  const QStringList none;
  QTest::newRow("shell opens it") << kOpenSucceeded << "firefox %u" << 2 << kOpenSucceeded << none;
  QTest::newRow("no handler: shell's code") << kOpenNoHandler << "-" << 0 << kOpenNoHandler << none;
  QTest::newRow("handler without program") << 27 << "%u" << 0 << 27 << none;
  QTest::newRow("handler started")
      << kOpenNoHandler << "browser --new %U" << kOpenSucceeded << kOpenSucceeded
      << QStringList{"browser", "--new", "https://x.example/"};
  QTest::newRow("handler fails to start: its code")
      << kOpenNoHandler << "missing-browser" << kOpenNotFound << kOpenNotFound
      << QStringList{"missing-browser", "https://x.example/"};
}

void LinkTest::openTargetFallsBackToTheWebPageHandler() {
  QFETCH(int, shell);
  QFETCH(QString, handler);
  QFETCH(int, start);
  QFETCH(int, want);
  QFETCH(QStringList, started);
  FakeOpener opener;
  opener.shellResult = shell;
  if (handler != "-") opener.handler = handler;
  opener.startResult = start;
  std::vector<int> results;
  OpenTarget(opener, QStringLiteral("https://x.example/"),
             [&](int code) { results.push_back(code); });
  QCOMPARE(results, std::vector<int>{want});
  QCOMPARE(opener.opened, QStringList{"https://x.example/"});
  if (started.isEmpty()) {
    QVERIFY(opener.started.empty());
  } else {
    QCOMPARE(opener.started.size(), 1u);
    QCOMPARE(opener.started.front(), started);
  }
}

void LinkTest::handlerCommandCutsAtThePlaceholder_data() {
  QTest::addColumn<QString>("exec");
  QTest::addColumn<QStringList>("want");
  const QString t = QStringLiteral("https://a.example/x y");
  QTest::newRow("no placeholder: target appended") << "browser" << QStringList{"browser", t};
  QTest::newRow("bare placeholder, options after dropped")
      << "browser --new %u --private" << QStringList{"browser", "--new", t};
  QTest::newRow("quoted placeholder cut at the quote")
      << "\"/opt/My Browser/run\" -a \"%U\" -b" << QStringList{"/opt/My Browser/run", "-a", t};
  QTest::newRow("file placeholder") << "viewer %f" << QStringList{"viewer", t};
  QTest::newRow("other field codes dropped")
      << "browser %i --class=%c %%x %u" << QStringList{"browser", "--class=%c", "%x", t};
  QTest::newRow("nothing before the placeholder") << "%u" << QStringList{};
}

void LinkTest::handlerCommandCutsAtThePlaceholder() {
  QFETCH(QString, exec);
  QFETCH(QStringList, want);
  QCOMPARE(HandlerCommand(exec, QStringLiteral("https://a.example/x y")), want);
}

void LinkTest::errorTexts_data() {
  QTest::addColumn<int>("code");
  QTest::addColumn<QString>("text");
  QTest::newRow("sharing") << 26 << "A sharing violation occurred. ";
  QTest::newRow("no association")
      << 31 << "There is no application associated\nwith the given filename extension.";
  QTest::newRow("out of resources") << 0 << "The operating system is out\nof memory or resources.";
  QTest::newRow("not found") << 2 << "The specified file was not found.";
  QTest::newRow("unknown 4") << 4 << "Unknown Error (4) occurred.";
  QTest::newRow("unknown negative") << -1 << "Unknown Error (-1) occurred.";
}

void LinkTest::errorTexts() {
  QFETCH(int, code);
  QFETCH(QString, text);
  QCOMPARE(OpenErrorText(code), "Unable to open hyperlink:\n\n" + text);
}

void LinkTest::clickMarksVisitedOrReportsTheError() {
  FakeOpener opener;
  FakeBoxes boxes;
  QWidget parent;
  CUrlStatic link(QStringLiteral("page"), QStringLiteral("https://p.example/"), opener, boxes,
                  &parent);
  QCOMPARE(link.toolTip(), QStringLiteral("https://p.example/"));
  QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
  QVERIFY(link.DrawingFont().underline());
  QCOMPARE(link.TextColor(), QColor(0, 0, 238));

  // A real click on the control, twice: stays visited.
  parent.show();
  QVERIFY(QTest::qWaitForWindowExposed(&parent));
  for (int i = 0; i < 2; ++i) {
    QTest::mouseClick(&link, Qt::LeftButton, {}, link.rect().center());
    QVERIFY(link.IsVisited());
    QCOMPARE(link.TextColor(), QColor(85, 26, 139));
  }
  QCOMPARE(opener.opened.size(), 2);
  QVERIFY(boxes.texts.empty());

  // Both ways failing: back to the link colour, the shell's code explained.
  opener.shellResult = kOpenNoHandler;
  link.OnClicked();
  QVERIFY(!link.IsVisited());
  QCOMPARE(link.TextColor(), QColor(0, 0, 238));
  QCOMPARE(boxes.texts.size(), 1u);
  QCOMPARE(QString::fromStdString(boxes.texts[0]), OpenErrorText(kOpenNoHandler));
  QCOMPARE(boxes.captions[0], "cyrvert");
  QVERIFY(boxes.icons[0] == MessageIcon::kExclamation);

  link.SetUnderlined(false);
  QVERIFY(!link.DrawingFont().underline());
}

void LinkTest::emptyTextShowsTheTarget() {
  FakeOpener opener;
  FakeBoxes boxes;
  CUrlStatic link({}, QStringLiteral("mailto:a@b.example"), opener, boxes);
  QCOMPARE(link.text(), QStringLiteral("mailto:a@b.example"));
  CUrlStatic byText(QStringLiteral("https://t.example/"), {}, opener, boxes);
  QCOMPARE(byText.Target(), QStringLiteral("https://t.example/"));
  // A new target leaves the text alone.
  byText.SetTarget(QStringLiteral("https://other.example/"));
  QCOMPARE(byText.text(), QStringLiteral("https://t.example/"));
  QCOMPARE(byText.toolTip(), QStringLiteral("https://other.example/"));
}

void LinkTest::fitToTextKeepsTheAlignedEdge_data() {
  QTest::addColumn<int>("alignment");
  QTest::addColumn<int>("edge");  // 0 left kept, 1 centre kept, 2 right kept
  QTest::newRow("left") << int(Qt::AlignLeft | Qt::AlignTop) << 0;
  QTest::newRow("centre") << int(Qt::AlignHCenter | Qt::AlignTop) << 1;
  QTest::newRow("right") << int(Qt::AlignRight | Qt::AlignTop) << 2;
  QTest::newRow("centre both ways") << int(Qt::AlignCenter) << 1;
}

void LinkTest::fitToTextKeepsTheAlignedEdge() {
  QFETCH(int, alignment);
  QFETCH(int, edge);
  FakeOpener opener;
  FakeBoxes boxes;
  QWidget parent;
  CUrlStatic link(QStringLiteral("short"), {}, opener, boxes, &parent);
  link.setAlignment(Qt::Alignment(alignment));
  const QRect before(40, 30, 400, 60);
  link.setGeometry(before);
  link.FitToText();
  const QSize text = QFontMetrics(link.font()).size(Qt::TextSingleLine, QStringLiteral("short"));
  const QRect after = link.geometry();
  QVERIFY(qAbs(after.width() - text.width()) <= 1);
  QVERIFY(qAbs(after.height() - text.height()) <= 1);
  if (edge == 0) QCOMPARE(after.left(), before.left());
  if (edge == 1) QVERIFY(qAbs(after.center().x() - before.center().x()) <= 1);
  if (edge == 2) QCOMPARE(after.right(), before.right());
  if (alignment & Qt::AlignVCenter) {
    QVERIFY(qAbs(after.center().y() - before.center().y()) <= 1);
  } else {
    QCOMPARE(after.top(), before.top());
  }
}

void LinkTest::clickWaitsForTheDesktopsAnswer() {
  FakeOpener opener;
  opener.deferred = true;
  FakeBoxes boxes;
  auto link = std::make_unique<CUrlStatic>(QStringLiteral("page"),
                                           QStringLiteral("https://p.example/"), opener, boxes);
  // Nothing is decided before the desktop answers; a second click does not open it twice.
  link->OnClicked();
  link->OnClicked();
  QCOMPARE(opener.opened.size(), 1);
  QVERIFY(link->IsOpening());
  QVERIFY(!link->IsVisited());
  QCOMPARE(link->cursor().shape(), Qt::BusyCursor);

  opener.Answer(kOpenNoHandler);
  QVERIFY(!link->IsOpening());
  QVERIFY(!link->IsVisited());
  QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
  QCOMPARE(boxes.texts.size(), 1u);

  link->OnClicked();
  opener.Answer(kOpenSucceeded);
  QVERIFY(link->IsVisited());
  QCOMPARE(boxes.texts.size(), 1u);

  // An answer for a link that is gone is dropped.
  link->OnClicked();
  link.reset();
  opener.Answer(kOpenNoHandler);
  QCOMPARE(boxes.texts.size(), 1u);
}

namespace {

// XDG folders of a test's own, and a folder of programs first on PATH; both restored after.
class DesktopSandbox {
 public:
  DesktopSandbox() {
    for (const char* name : kNames) m_saved.emplace_back(name, qgetenv(name));
    QDir root(m_dir.path());
    root.mkpath("config");
    root.mkpath("share/applications");
    root.mkpath("bin");
    qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
    qputenv("XDG_CONFIG_DIRS", m_dir.filePath("config").toUtf8());
    qputenv("XDG_DATA_HOME", m_dir.filePath("share").toUtf8());
    qputenv("XDG_DATA_DIRS", m_dir.filePath("share").toUtf8());
    qputenv("PATH", (m_dir.filePath("bin") + ":").toUtf8() + m_saved.back().second);
  }
  ~DesktopSandbox() {
    for (const auto& [name, value] : m_saved) qputenv(name, value);
  }
  // A file of the sandbox.
  QString Path(const QString& name) const { return m_dir.filePath(name); }
  // Writes `text` to the sandbox file `name`; `executable` makes it a program.
  bool Write(const QString& name, const QByteArray& text, bool executable = false) const {
    QFile file(Path(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) return false;
    file.close();
    return !executable ||
           file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
  }
  // An xdg-open that runs `body` as a shell script.
  bool XdgOpen(const QByteArray& body) const {
    return Write("bin/xdg-open", "#!/bin/sh\n" + body + "\n", true);
  }

 private:
  static constexpr const char* kNames[] = {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME",
                                           "XDG_DATA_DIRS", "PATH"};
  QTemporaryDir m_dir;
  std::vector<std::pair<const char*, QByteArray>> m_saved;
};

// What `opener` answers for `target`, waited for.
int ShellOpenResult(LinkOpener& opener, const QString& target) {
  int result = -1;
  bool answered = false;
  opener.ShellOpen(target, [&](int code) {
    result = code;
    answered = true;
  });
  if (!QTest::qWaitFor([&] { return answered; }, 10000)) return -2;
  return result;
}

}  // namespace

void LinkTest::desktopOpenerMapsFailuresToCodes() {
  DesktopSandbox sandbox;
  DesktopLinkOpener opener;
  QCOMPARE(ShellOpenResult(opener, sandbox.Path("missing.html")), kOpenNotFound);
  QCOMPARE(opener.Start(sandbox.Path("missing-program"), {}), kOpenNotFound);
  QCOMPARE(opener.WebPageHandlerCommand(), std::nullopt);

  QVERIFY(sandbox.Write("share/applications/web.desktop",
                        "[Desktop Entry]\nType=Application\nName=Web\nExec=web-browser %u\n"));
  QVERIFY(sandbox.Write("config/mimeapps.list", "[Default Applications]\ntext/html=web.desktop\n"));
  QCOMPARE(opener.WebPageHandlerCommand(), QStringLiteral("web-browser %u"));
}

void LinkTest::desktopOpenerWaitsForXdgOpen_data() {
  QTest::addColumn<QByteArray>("script");
  QTest::addColumn<int>("want");
  QTest::newRow("opened") << QByteArray("exit 0") << kOpenSucceeded;
  QTest::newRow("no handler for the scheme") << QByteArray("exit 3") << kOpenNoHandler;
  QTest::newRow("file not found") << QByteArray("exit 2") << kOpenNotFound;
  QTest::newRow("handler failed") << QByteArray("exit 4") << kOpenBadAssociation;
  QTest::newRow("killed") << QByteArray("kill -9 $$") << kOpenBadAssociation;
  // Some handlers keep xdg-open in the foreground while they run.
  QTest::newRow("still running: opened") << QByteArray("sleep 3") << kOpenSucceeded;
}

void LinkTest::desktopOpenerWaitsForXdgOpen() {
  QFETCH(QByteArray, script);
  QFETCH(int, want);
  DesktopSandbox sandbox;
  QVERIFY(sandbox.XdgOpen("echo \"$1\" >\"$(dirname \"$0\")/asked\"\n" + script));
  DesktopLinkOpener opener(std::chrono::milliseconds(300));
  QCOMPARE(ShellOpenResult(opener, QStringLiteral("https://x.example/a b")), want);
  QFile asked(sandbox.Path("bin/asked"));
  QVERIFY(asked.open(QIODevice::ReadOnly));
  QCOMPARE(asked.readAll(), QByteArray("https://x.example/a%20b\n"));
}

void LinkTest::failingXdgOpenFallsBackToTheWebPageHandler_data() {
  QTest::addColumn<bool>("handler");
  QTest::newRow("web-page handler installed") << true;
  QTest::newRow("no web-page handler") << false;
}

// The whole way from a click: xdg-open fails, the text/html default application is started
// with the target, or the failure is explained; visited only when something opened.
void LinkTest::failingXdgOpenFallsBackToTheWebPageHandler() {
  QFETCH(bool, handler);
  DesktopSandbox sandbox;
  QVERIFY(sandbox.XdgOpen("exit 3"));
  if (handler) {
    QVERIFY(sandbox.Write("bin/browser", "#!/bin/sh\necho \"$@\" >\"$(dirname \"$0\")/shown\"\n",
                          true));
    QVERIFY(sandbox.Write("share/applications/web.desktop",
                          "[Desktop Entry]\nType=Application\nName=Web\nExec=" +
                              sandbox.Path("bin/browser").toUtf8() + " --new %u\n"));
    QVERIFY(
        sandbox.Write("config/mimeapps.list", "[Default Applications]\ntext/html=web.desktop\n"));
  }
  DesktopLinkOpener opener;
  FakeBoxes boxes;
  CUrlStatic link(QStringLiteral("page"), QStringLiteral("https://p.example/"), opener, boxes);
  link.OnClicked();
  QTRY_VERIFY_WITH_TIMEOUT(!link.IsOpening(), 10000);
  QCOMPARE(link.IsVisited(), handler);
  if (handler) {
    QVERIFY(boxes.texts.empty());
    QFile shown(sandbox.Path("bin/shown"));
    QTRY_VERIFY_WITH_TIMEOUT(shown.exists() && shown.size() > 0, 10000);
    QVERIFY(shown.open(QIODevice::ReadOnly));
    QCOMPARE(shown.readAll(), QByteArray("--new https://p.example/\n"));
  } else {
    QCOMPARE(boxes.texts.size(), 1u);
    QCOMPARE(QString::fromStdString(boxes.texts[0]), OpenErrorText(kOpenNoHandler));
  }
}

void LinkTest::aboutBoxShowsVersionAndFourLinks() {
  FakeOpener opener;
  FakeBoxes boxes;
  CAboutDlg dialog(opener, boxes);
  QCOMPARE(dialog.windowTitle(), QStringLiteral("CyrVert"));
  QStringList texts;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) texts.append(label->text());
  QVERIFY(texts.contains(QStringLiteral("CyrVert для Windows 9X/NT, версия 1.50 build 3")));
  QVERIFY(texts.contains(QStringLiteral("freeware")));
  QVERIFY(texts.contains(QStringLiteral("Последнюю версию можно скачать по адресам:")));

  for (int id : {CAboutDlg::kIdDownloadLink, CAboutDlg::kIdHomeLink, CAboutDlg::kIdRepositoryLink,
                 CAboutDlg::kIdMailLink}) {
    const CUrlStatic* link = dialog.Link(id);
    QVERIFY2(link != nullptr, qPrintable(QString::number(id)));
    QVERIFY(link->IsUnderlined());
    QVERIFY(!link->text().isEmpty());
    const QString want = id == CAboutDlg::kIdMailLink ? "mailto:" + link->text() : link->text();
    QCOMPARE(link->Target(), want);
    // Every link fits its text and stays inside the box.
    QVERIFY2(dialog.rect().contains(link->geometry()),
             qPrintable(QStringLiteral("%1 %2,%3 %4x%5 in %6x%7")
                            .arg(id)
                            .arg(link->x())
                            .arg(link->y())
                            .arg(link->width())
                            .arg(link->height())
                            .arg(dialog.width())
                            .arg(dialog.height())));
  }
  QVERIFY(dialog.Link(CAboutDlg::kIdHomeLink)->text().startsWith("https://"));
  QVERIFY(!dialog.Link(CAboutDlg::kIdMailLink)->text().contains(':'));
}

void LinkTest::aboutBoxMailLinkOpensMailto() {
  FakeOpener opener;
  FakeBoxes boxes;
  CAboutDlg dialog(opener, boxes);
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  CUrlStatic* mail = dialog.Link(CAboutDlg::kIdMailLink);
  QTest::mouseClick(mail, Qt::LeftButton, {}, mail->rect().center());
  QCOMPARE(opener.opened, QStringList{"mailto:" + mail->text()});
  QVERIFY(mail->IsVisited());
  QVERIFY(dialog.isVisible());
}

void LinkTest::aboutBoxClosesOnOkEnterAndEsc_data() {
  QTest::addColumn<int>("how");  // 0 OK click, 1 Enter, 2 Esc
  QTest::newRow("OK") << 0;
  QTest::newRow("Enter") << 1;
  QTest::newRow("Esc") << 2;
}

void LinkTest::aboutBoxClosesOnOkEnterAndEsc() {
  QFETCH(int, how);
  FakeOpener opener;
  FakeBoxes boxes;
  CAboutDlg dialog(opener, boxes);
  QTimer::singleShot(0, &dialog, [&] {
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    if (how == 0) {
      QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
    } else {
      QTest::keyClick(&dialog, how == 1 ? Qt::Key_Return : Qt::Key_Escape);
    }
    QTimer::singleShot(0, &dialog, [&] {
      if (dialog.isVisible()) dialog.done(-1);
    });
  });
  const int result = dialog.exec();
  QCOMPARE(result, how == 2 ? int(QDialog::Rejected) : int(QDialog::Accepted));
  QVERIFY(opener.opened.isEmpty());
}

}  // namespace cyrvert

QTEST_MAIN(cyrvert::LinkTest)
#include "link_test.moc"
