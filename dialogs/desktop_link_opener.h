// The link opener of a freedesktop system: xdg-open (its exit status decides), the text/html
// default application from the mimeapps.list files, and detached processes.
#pragma once

#include <QPointer>
#include <chrono>
#include <vector>

#include "dialogs/link_opener.h"

namespace cyrvert {

namespace detail {
class PendingOpen;
}

class DesktopLinkOpener final : public LinkOpener {
 public:
  // How long xdg-open may run before it counts as having opened the target: it stays in the
  // foreground while some handlers it starts run.
  static constexpr std::chrono::milliseconds kDefaultPatience{3000};

  explicit DesktopLinkOpener(std::chrono::milliseconds patience = kDefaultPatience);
  // Opens still under way report nothing; their processes are left to finish.
  ~DesktopLinkOpener() override;
  DesktopLinkOpener(const DesktopLinkOpener&) = delete;
  DesktopLinkOpener& operator=(const DesktopLinkOpener&) = delete;

  // Runs xdg-open and reports by its exit status; without xdg-open, the desktop services.
  void ShellOpen(const QString& target, OpenDone done) override;
  std::optional<QString> WebPageHandlerCommand() override;
  int Start(const QString& program, const QStringList& arguments) override;

  // The result code of an xdg-open exit status.
  static int CodeOfExitStatus(int status);

 private:
  std::chrono::milliseconds m_patience;
  std::vector<QPointer<detail::PendingOpen>> m_pending;  // opens waiting for xdg-open
};

}  // namespace cyrvert
