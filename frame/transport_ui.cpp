#include "frame/transport_ui.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QWindow>

#include "dialogs/import_target_dlg.h"
#include "docview/cyrvert_doc.h"
#include "docview/cyrvert_view.h"
#include "fileio/text_file.h"
#include "frame/engine_commands.h"
#include "frame/main_frame.h"

namespace cyrvert {
namespace {

// How long the wait window may take to come on screen before the work starts regardless.
constexpr qint64 kExposeWaitMs = 200;

// Marks the frame as converting for the life of the scope.
class ConversionScope {
 public:
  explicit ConversionScope(CMainFrame& frame) : m_frame(frame), m_was(frame.m_bConversionRunning) {
    Set(true);
  }
  ~ConversionScope() { Set(m_was); }
  ConversionScope(const ConversionScope&) = delete;
  ConversionScope& operator=(const ConversionScope&) = delete;

 private:
  void Set(bool running) {
    m_frame.m_bConversionRunning = running;
    m_frame.UpdateActions();
  }
  CMainFrame& m_frame;
  const bool m_was;
};

}  // namespace

CTransportUi::CTransportUi(CEngineCommandHost& host, CCyrvertView& source)
    : m_host(host), m_pParent(&source) {}

CTransportUi::~CTransportUi() = default;

void CTransportUi::OpenWaitWindow() {
  m_pWait = std::make_unique<CWaitDlg>(m_pParent);
  m_pWait->show();
  // Painted before the work starts: until the conversion runs, nothing else would paint it,
  // and the screen would keep showing whatever was under it (the menu just closed). The
  // desktop maps a new window in its own time; it gets a moment for that.
  QElapsedTimer waited;
  waited.start();
  while (m_pWait->windowHandle() != nullptr && !m_pWait->windowHandle()->isExposed() &&
         waited.elapsed() < kExposeWaitMs) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
  }
  m_pWait->repaint();
}

void CTransportUi::CloseWaitWindow() { m_pWait.reset(); }

void CTransportUi::RunConversion(const std::function<void()>& conversion) {
  // While the text converts, the commands that would start a search or another conversion
  // are greyed; the dialogs before and after leave them as they are.
  const ConversionScope running(m_host.Frame());
  RunOnWorkerThread([&conversion] { conversion(); });
}

std::function<std::string()> CTransportUi::TextReader(DocumentHost& view) {
  if (CCyrvertView* editor = m_host.ViewOf(&view)) return editor->TextReader();
  return TransportUi::TextReader(view);
}

bool CTransportUi::PutText(DocumentHost& window, std::string_view text) {
  CCyrvertView* editor = m_host.ViewOf(&window);
  if (editor == nullptr) return window.PutViewText(text);
  // Between slices of a big text the wait window's clip moves on; user input waits. The
  // half-filled view is not painted meanwhile.
  const ConversionScope running(m_host.Frame());
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
  if (CCyrvertView* view = m_host.ViewOf(&source)) {
    if (CCyrvertDoc* doc = view->GetDocument()) doc->UpdateAllViews();
  }
}

}  // namespace cyrvert
