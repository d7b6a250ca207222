// The notification-area icon: left click restores the main window, right click offers
// Restore, Options... and Exit. A watch notices a notification area that appears or goes
// after the program started (a panel started late, or restarted).
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
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

  // How often the watch looks for the notification area.
  static constexpr std::chrono::milliseconds kWatchInterval{1000};

  // Whether the desktop has a notification area to show the icon in.
  bool IsAvailable() const;
  // From now on calls `changed` with the new answer whenever IsAvailable changes.
  void WatchAvailability(std::function<void(bool available)> changed);
  // Replaces the question IsAvailable asks and how often the watch asks it (tests).
  void SetAvailabilityProbe(std::function<bool()> available, std::chrono::milliseconds interval);
  // Shows the icon with its tip "CyrVert".
  void Show();
  // Removes the icon.
  void Hide();
  // Whether the icon is shown.
  bool IsShown() const;

 private:
  std::function<void(CommandId)> m_run;
  QMenu* m_pMenu = nullptr;             // the context menu; owned here
  QSystemTrayIcon* m_pIcon = nullptr;   // child of this object
  std::function<bool()> m_available;    // asks the desktop
  std::function<void(bool)> m_changed;  // told by the watch
  bool m_bLastAvailable = false;        // the watch's last answer
  QTimer m_watch;
};

}  // namespace cyrvert
