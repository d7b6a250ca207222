// The engine commands on the editor's windows: the command host over the application object
// and the main frame, and the handlers of Cyrvert, Smart repair, Translate
// and Set 8-th bit.
#pragma once

#include <memory>
#include <vector>

#include "commands/command_host.h"
#include "frame/main_frame.h"
#include "frame/view_tracker.h"

class QWidget;

namespace cyrvert {

class AppServices;
class CCyrvertView;
class CProgressDlg;

// The application, main frame and dialogs as the engine commands use them. One lives for
// the length of one command.
class CEngineCommandHost : public CommandHost {
 public:
  // `searched`, the view the command works on, owns the variant list and the message boxes;
  // null: the window the frame's command ran for.
  CEngineCommandHost(AppServices& app, CMainFrame& frame, CCyrvertView* searched = nullptr);
  ~CEngineCommandHost() override;

  DocumentHost* OpenNewDocumentWindow() override;
  void ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
  void Beep(int hertz, int milliseconds) override;
  const Settings& CurrentSettings() const override;
  bool PumpPendingMessages() override;
  void PostQuit() override;
  bool IsMinimised() const override;
  void SetEngineBusy(bool busy) override;
  bool StopRequested() const override;
  void ClearStopRequest() override;
  void OpenProgress(int lower, int upper, int position) override;
  void SetProgress(int position) override;
  void CloseProgress() override;
  void ShowVariantList(const std::vector<std::string>& previews,
                       const std::vector<Variant>& variants,
                       const std::function<void(const Variant&)>& open) override;

  // The main frame the commands run in.
  CMainFrame& Frame() const { return m_frame; }
  // The window behind `document` if it is the searched view or one this host opened, and it
  // is still open; else null. Events pumped during a run can close any result window.
  CCyrvertView* ViewOf(const DocumentHost* document) const;

 private:
  AppServices& m_app;
  CMainFrame& m_frame;
  CMainFrame::CommandWindowScope m_owner;     // message boxes belong to the searched view
  CViewTracker m_views;                       // the searched view and the windows opened
  std::unique_ptr<CProgressDlg> m_pProgress;  // open during a search only
};

// Auto-decodes `view` with the current options; returns the result view in silent mode,
// null when there is none or it was closed before the run returned.
CCyrvertView* AutoDecodeView(AppServices& app, CMainFrame& frame, CCyrvertView& view, bool silent);

// Gives the frame's Cyrvert (32771), Smart repair (32804), Translate (32772) and Set 8-th bit
// (32802) commands their handlers on the active view.
void ConnectEngineCommands(CMainFrame& frame, AppServices& app);

}  // namespace cyrvert
