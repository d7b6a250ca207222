// The notification-area icon: left click restores the main window, right click offers
// Restore, Options... and Exit.
#pragma once

#include <QObject>
#include <functional>

#include "frame/command_ids.h"

class QMenu;
class QSystemTrayIcon;

namespace cyrvert {

class CTrayIcon : public QObject {
  Q_OBJECT

 public:
  // `run` carries out the frame command a click or a menu item stands for.
  CTrayIcon(std::function<void(CommandId)> run, QObject* parent = nullptr);
  ~CTrayIcon() override;

  // Whether the desktop has a notification area to show the icon in.
  static bool IsAvailable();
  // Shows the icon with its tip "CyrVert".
  void Show();
  // Removes the icon.
  void Hide();
  // Whether the icon is shown.
  bool IsShown() const;

 private:
  std::function<void(CommandId)> m_run;
  QMenu* m_pMenu = nullptr;            // the context menu; owned here
  QSystemTrayIcon* m_pIcon = nullptr;  // child of this object
};

}  // namespace cyrvert
