// The wait window, the output choice, Save As and the file system, as the import and export
// commands use them in the editor.
#pragma once

#include <QPointer>
#include <functional>
#include <memory>

#include "dialogs/wait_dlg.h"
#include "engine/commands/transport_command.h"

class QWidget;

namespace cyrvert {

class CTransportUi : public TransportUi {
 public:
  // Dialogs are owned by `parent`, the view that runs the command. `busy` is told true when
  // a conversion starts and false when it ends, so the caller can hold other work back.
  explicit CTransportUi(QWidget* parent, std::function<void(bool)> busy = {});
  ~CTransportUi() override;
  CTransportUi(const CTransportUi&) = delete;
  CTransportUi& operator=(const CTransportUi&) = delete;

  void OpenWaitWindow() override;
  void CloseWaitWindow() override;
  void RunConversion(const std::function<void()>& conversion) override;
  ResultTarget AskResultTarget() override;
  std::optional<std::string> AskSavePath(std::string_view default_name) override;
  SaveOutcome SaveText(const std::string& path, std::string_view text) override;
  void UpdateAllViews(DocumentHost& source) override;

  // The wait window while it is shown, else null.
  CWaitDlg* WaitWindow() const { return m_pWait.get(); }

 private:
  QPointer<QWidget> m_pParent;
  std::function<void(bool)> m_busy;
  std::unique_ptr<CWaitDlg> m_pWait;
};

}  // namespace cyrvert
