// The about box: name and version, that the program is free, and where to get new versions,
// with the web pages and the mail address as links.
#pragma once

#include <QDialog>

#include "commands/message_boxes.h"
#include "dialogs/link_opener.h"

namespace cyrvert {

class CUrlStatic;

// Modal dialog 100 with four links; "OK", Enter or Esc closes it.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  // Control ids of the links.
  static constexpr int kIdDownloadLink = 1046;
  static constexpr int kIdMailLink = 1047;
  static constexpr int kIdHomeLink = 1048;
  static constexpr int kIdRepositoryLink = 1049;

  // The opener and the message boxes serve the links and must outlive the dialog.
  CAboutDlg(LinkOpener& opener, MessageBoxes& boxes, QWidget* parent = nullptr);

  // The link with a control id, or null.
  CUrlStatic* Link(int id) const;
  // The line naming the program and its version.
  static QString VersionLine();
};

}  // namespace cyrvert
