// The clipboard monitor on the editor's windows: the clipboard, the documents and the engine
// it works with, and the watch on the clipboard's change signal.
#pragma once

#include <QObject>
#include <QTimer>

#include "commands/clipboard_decode.h"
#include "frame/view_tracker.h"

namespace cyrvert {

class AppServices;
class CCyrvertView;
class CMainFrame;

// The windows, clipboard and engine as the clipboard commands see them. Every window it
// hands out is watched, so one closed meanwhile is never touched again.
class CClipboardHost : public ClipboardHost {
 public:
  CClipboardHost(AppServices& app, CMainFrame& frame) : m_app(app), m_frame(frame) {}

  bool ClipboardHasText() const override;
  std::optional<std::string> ClipboardUnicodeText() const override;
  DocumentHost* OpenNewDocumentWindow() override;
  void PasteClipboardText(DocumentHost& document) override;
  DocumentHost* FindDocument(std::string_view title) override;
  void CloseDocument(DocumentHost& document) override;
  bool IsOpen(const DocumentHost* document) const override;
  DocumentHost* RunAutoDecode(DocumentHost& document, bool silent) override;
  bool EngineBusy() const override;
  const Settings& CurrentSettings() const override;
  bool IsBetweenCommands() const override;
  void ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;

 private:
  AppServices& m_app;
  CMainFrame& m_frame;
  CViewTracker m_views;  // every window handed out
};

// Feeds the clipboard's change notices to the monitor, from the event loop rather than from
// inside whatever changed the clipboard; a notice the monitor keeps waiting is taken up again
// as soon as the command or dialog under way has ended.
class CClipboardWatch : public QObject {
  Q_OBJECT

 public:
  CClipboardWatch(AppServices& app, CMainFrame& frame);

  // The monitor; held until start-up ends.
  ClipboardMonitor& Monitor() { return m_monitor; }

 private:
  // A change notice: dropped while held, else handled once the current event is done.
  void OnDataChanged();
  // Hands the clipboard as it is now to the monitor.
  void HandleChange();
  // Offers a waiting notice to the monitor again until it is taken.
  void RetryWaitingNotice();

  CClipboardHost m_host;
  ClipboardMonitor m_monitor{m_host};
  bool m_bPending = false;  // a change waits to be handled
  QTimer* m_pRetry;         // runs while the monitor keeps a notice waiting
};

}  // namespace cyrvert
