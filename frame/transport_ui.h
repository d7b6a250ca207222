// The wait window, the output choice, Save As and the file system, as the import and export
// commands use them in the editor.
#pragma once

#include <QPointer>
#include <memory>

#include "commands/transport_command.h"
#include "dialogs/wait_dlg.h"

namespace cyrvert {

class CCyrvertView;
class CEngineCommandHost;

class CTransportUi : public TransportUi {
 public:
  // `host` runs the command on `source`, which owns the dialogs, and knows the windows it
  // opens. Whatever could start without user input (clipboard, quitting) waits while a
  // command runs.
  CTransportUi(CEngineCommandHost& host, CCyrvertView& source);
  ~CTransportUi() override;
  CTransportUi(const CTransportUi&) = delete;
  CTransportUi& operator=(const CTransportUi&) = delete;

  void OpenWaitWindow() override;
  void CloseWaitWindow() override;
  void RunConversion(const std::function<void()>& conversion) override;
  std::function<std::string()> TextReader(DocumentHost& view) override;
  bool PutText(DocumentHost& window, std::string_view text) override;
  ResultTarget AskResultTarget() override;
  std::optional<std::string> AskSavePath(std::string_view default_name) override;
  SaveOutcome SaveText(const std::string& path, std::string_view text) override;
  void UpdateAllViews(DocumentHost& source) override;

  // The wait window while it is shown, else null.
  CWaitDlg* WaitWindow() const { return m_pWait.get(); }

 private:
  CEngineCommandHost& m_host;
  QPointer<CCyrvertView> m_pParent;
  std::unique_ptr<CWaitDlg> m_pWait;
};

}  // namespace cyrvert
