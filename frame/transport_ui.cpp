#include "frame/transport_ui.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>

#include "dialogs/import_target_dlg.h"
#include "docview/cyrvert_doc.h"
#include "docview/cyrvert_view.h"
#include "fileio/text_file.h"

namespace cyrvert {
CTransportUi::CTransportUi(QWidget* parent) : m_pParent(parent) {}

CTransportUi::~CTransportUi() = default;

void CTransportUi::OpenWaitWindow() {
  m_pWait = std::make_unique<CWaitDlg>(m_pParent);
  m_pWait->show();
}

void CTransportUi::CloseWaitWindow() { m_pWait.reset(); }

void CTransportUi::RunConversion(const std::function<void()>& conversion) {
  RunOnWorkerThread([&conversion] { conversion(); });
}

std::function<std::string()> CTransportUi::TextReader(DocumentHost& view) {
  if (auto* editor = dynamic_cast<CCyrvertView*>(&view)) return editor->TextReader();
  return TransportUi::TextReader(view);
}

bool CTransportUi::PutText(DocumentHost& window, std::string_view text) {
  auto* editor = dynamic_cast<CCyrvertView*>(&window);
  if (editor == nullptr) return window.PutViewText(text);
  // Between slices of a big text the wait window's clip moves on; user input waits. The
  // half-filled view is not painted meanwhile.
  editor->setUpdatesEnabled(false);
  const bool whole = editor->PutViewText(
      text, [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
  editor->setUpdatesEnabled(true);
  return whole;
}

ResultTarget CTransportUi::AskResultTarget() {
  CImportTargetDlg dlg(m_pParent);
  if (dlg.exec() != QDialog::Accepted) return ResultTarget::kCancelled;
  return dlg.Choice() == CImportTargetDlg::kToWindow ? ResultTarget::kNewWindow
                                                     : ResultTarget::kFile;
}

std::optional<std::string> CTransportUi::AskSavePath(std::string_view default_name) {
  // No filter and no default extension; the dialog asks before overwriting.
  QFileDialog dialog(m_pParent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!default_name.empty()) dialog.selectFile(QString::fromUtf8(default_name));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

SaveOutcome CTransportUi::SaveText(const std::string& path, std::string_view text) {
  const SaveResult result = SaveTextToFile(path, text);
  if (result.error == SaveError::kNone) return {};
  return SaveOutcome{result.reason};
}

void CTransportUi::UpdateAllViews(DocumentHost& source) {
  if (auto* view = dynamic_cast<CCyrvertView*>(&source)) {
    if (CCyrvertDoc* doc = view->GetDocument()) doc->UpdateAllViews();
  }
}

}  // namespace cyrvert
