#include "dialogs/desktop_link_opener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "assoc/mimeapps.h"

namespace cyrvert {

int DesktopLinkOpener::ShellOpen(const QString& target) {
  const QUrl url = QUrl::fromUserInput(target);
  if (!url.isValid()) return kOpenNotFound;
  if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) return kOpenNotFound;
  return QDesktopServices::openUrl(url) ? kOpenSucceeded : kOpenNoHandler;
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
