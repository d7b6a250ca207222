// The link opener of a freedesktop system: xdg-open through QDesktopServices, the text/html
// default application from mimeapps.list, and detached processes.
#pragma once

#include "dialogs/link_opener.h"

namespace cyrvert {

class DesktopLinkOpener final : public LinkOpener {
 public:
  int ShellOpen(const QString& target) override;
  std::optional<QString> WebPageHandlerCommand() override;
  int Start(const QString& program, const QStringList& arguments) override;
};

}  // namespace cyrvert
