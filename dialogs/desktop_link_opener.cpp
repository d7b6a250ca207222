#include "dialogs/desktop_link_opener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <utility>

#include "assoc/mimeapps.h"

namespace cyrvert {

namespace detail {

// One run of xdg-open: reports its exit status, or success once it has run for the patience
// (a handler it started is then in use). Deletes itself when the process has ended.
class PendingOpen final : public QObject {
 public:
  PendingOpen(const QString& program, const QString& target, std::chrono::milliseconds patience,
              OpenDone done)
      : m_done(std::move(done)) {
    // No pipes: a handler that outlives xdg-open must not write into a closed one.
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_patience.setSingleShot(true);
    connect(&m_patience, &QTimer::timeout, this, [this] { Report(kOpenSucceeded); });
    connect(&m_process, &QProcess::finished, this, [this](int status, QProcess::ExitStatus how) {
      Report(how == QProcess::NormalExit ? DesktopLinkOpener::CodeOfExitStatus(status)
                                         : kOpenBadAssociation);
      deleteLater();
    });
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
      if (error != QProcess::FailedToStart) return;
      Report(kOpenNoHandler);
      deleteLater();
    });
    m_process.start(program, {target});
    m_patience.start(patience);
  }

  // Nobody waits for the answer any more.
  void Abandon() {
    m_done = nullptr;
    m_patience.stop();
  }

 private:
  // Hands the result over once.
  void Report(int code) {
    m_patience.stop();
    if (OpenDone done = std::exchange(m_done, nullptr)) done(code);
  }

  QProcess m_process;
  QTimer m_patience;
  OpenDone m_done;
};

}  // namespace detail

DesktopLinkOpener::DesktopLinkOpener(std::chrono::milliseconds patience) : m_patience(patience) {}

DesktopLinkOpener::~DesktopLinkOpener() {
  for (const QPointer<detail::PendingOpen>& pending : m_pending) {
    if (pending) pending->Abandon();
  }
}

int DesktopLinkOpener::CodeOfExitStatus(int status) {
  switch (status) {
    case 0:
      return kOpenSucceeded;
    case 2:  // the file does not exist
      return kOpenNotFound;
    case 4:  // the handler was found but failed
      return kOpenBadAssociation;
    default:  // 3: no handler for the target; 1: a target xdg-open does not take
      return kOpenNoHandler;
  }
}

void DesktopLinkOpener::ShellOpen(const QString& target, OpenDone done) {
  const QUrl url = QUrl::fromUserInput(target);
  if (!url.isValid()) return done(kOpenNotFound);
  if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) return done(kOpenNotFound);
  const QString xdg_open = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (xdg_open.isEmpty()) {
    return done(QDesktopServices::openUrl(url) ? kOpenSucceeded : kOpenNoHandler);
  }
  std::erase_if(m_pending, [](const QPointer<detail::PendingOpen>& p) { return p.isNull(); });
  m_pending.emplace_back(new detail::PendingOpen(xdg_open, url.toString(QUrl::FullyEncoded),
                                                 m_patience, std::move(done)));
}

std::optional<QString> DesktopLinkOpener::WebPageHandlerCommand() {
  const XdgDirs dirs = XdgDirsFromEnvironment();
  const std::optional<DefaultApp> app = DefaultApplication(dirs, "text/html");
  if (!app) return std::nullopt;
  const std::optional<std::filesystem::path> entry = FindDesktopEntry(dirs, app->desktop_id);
  if (!entry) return std::nullopt;
  const std::optional<std::string> exec = DesktopEntryExec(*entry);
  if (!exec) return std::nullopt;
  return QString::fromStdString(*exec);
}

int DesktopLinkOpener::Start(const QString& program, const QStringList& arguments) {
  return QProcess::startDetached(program, arguments) ? kOpenSucceeded : kOpenNotFound;
}

}  // namespace cyrvert
