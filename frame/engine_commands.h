// The engine commands on the editor's windows: the command host over the application object
// and the main frame, and the handlers of Cyrvert, Smart repair, Translate
// and Set 8-th bit.
#pragma once

#include <QPointer>
#include <memory>
#include <vector>

#include "commands/command_host.h"

class QWidget;

namespace cyrvert {

class AppServices;
class CCyrvertView;
class CMainFrame;
class CProgressDlg;

// The application, main frame and dialogs as the engine commands use them. One lives for
// the length of one command.
class CEngineCommandHost : public CommandHost {
 public:
  // `searched` parents the variant list; null: the active view.
  CEngineCommandHost(AppServices& app, CMainFrame& frame, QWidget* searched = nullptr);
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

  // The window behind `document` if this host opened it and it still exists, else null.
  // Events pumped during a run can close any result window.
  CCyrvertView* OpenedView(const DocumentHost* document) const;

 private:
  AppServices& m_app;
  CMainFrame& m_frame;
  QWidget* m_pSearched;                          // the view whose text is searched, or null
  std::unique_ptr<CProgressDlg> m_pProgress;     // open during a search only
  std::vector<QPointer<CCyrvertView>> m_opened;  // windows this host opened
};

// Auto-decodes `view` with the current options; returns the result view in silent mode,
// null when there is none or it was closed before the run returned.
CCyrvertView* AutoDecodeView(AppServices& app, CMainFrame& frame, CCyrvertView& view, bool silent);

// Gives the frame's Cyrvert (32771), Smart repair (32804), Translate (32772) and Set 8-th bit
// (32802) commands their handlers on the active view.
void ConnectEngineCommands(CMainFrame& frame, AppServices& app);

}  // namespace cyrvert
