#include "frame/clipboard_watch.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "docview/child_frame.h"
#include "docview/clipboard_text.h"
#include "docview/cyrvert_doc.h"
#include "docview/cyrvert_view.h"
#include "docview/doc_template.h"
#include "frame/app_services.h"
#include "frame/engine_commands.h"
#include "frame/main_frame.h"

namespace cyrvert {
namespace {

// How often a waiting clipboard notice is offered to the monitor again.
constexpr int kRetryMs = 50;

}  // namespace

bool CClipboardHost::ClipboardHasText() const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
  return data != nullptr && data->hasText();
}

std::optional<std::string> CClipboardHost::ClipboardUnicodeText() const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
  if (data == nullptr || !data->hasText()) return std::nullopt;
  return data->text().toStdString();
}

DocumentHost* CClipboardHost::OpenNewDocumentWindow() {
  return m_views.Track(m_frame.OpenNewDocumentWindow());
}

void CClipboardHost::PasteClipboardText(DocumentHost& document) {
  if (CCyrvertView* view = m_views.Find(&document)) view->PasteClipboardText();
}

DocumentHost* CClipboardHost::FindDocument(std::string_view title) {
  const QString wanted = QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
  for (CCyrvertDoc* doc : m_frame.DocTemplate().Documents()) {
    if (doc->GetTitle() != wanted) continue;
    if (CCyrvertView* view = doc->GetFirstView()) return m_views.Track(view);
  }
  return nullptr;
}

void CClipboardHost::CloseDocument(DocumentHost& document) {
  CCyrvertView* view = m_views.Find(&document);
  if (view == nullptr) return;
  if (CCyrvertDoc* doc = view->GetDocument()) {
    doc->SetModifiedFlag(false);
    doc->OnCloseDocument();
  }
}

bool CClipboardHost::IsOpen(const DocumentHost* document) const {
  return m_views.Find(document) != nullptr;
}

DocumentHost* CClipboardHost::RunAutoDecode(DocumentHost& document, bool silent) {
  CCyrvertView* view = m_views.Find(&document);
  if (view == nullptr) return nullptr;
  return m_views.Track(AutoDecodeView(m_app, m_frame, *view, silent));
}

bool CClipboardHost::EngineBusy() const { return m_frame.m_bEngineBusy; }

const Settings& CClipboardHost::CurrentSettings() const { return m_app.CurrentSettings(); }

bool CClipboardHost::IsBetweenCommands() const { return m_frame.IsBetweenCommands(); }

void CClipboardHost::ShowMessage(std::string_view text, std::string_view caption,
                                 MessageIcon icon) {
  m_app.Boxes().ShowMessage(text, caption, icon);
}

CClipboardWatch::CClipboardWatch(AppServices& app, CMainFrame& frame)
    : QObject(&frame), m_host(app, frame), m_pRetry(new QTimer(this)) {
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
          &CClipboardWatch::OnDataChanged);
  // Nothing tells when a dialog or command ends; a short poll while a notice waits does.
  m_pRetry->setInterval(kRetryMs);
  connect(m_pRetry, &QTimer::timeout, this, &CClipboardWatch::RetryWaitingNotice);
}

void CClipboardWatch::OnDataChanged() {
  // A notice met while held (start-up) is dropped here, not merely deferred past the hold.
  if (m_monitor.IsHeld() || m_bPending) return;
  m_bPending = true;
  QMetaObject::invokeMethod(this, &CClipboardWatch::HandleChange, Qt::QueuedConnection);
}

void CClipboardWatch::HandleChange() {
  m_bPending = false;
  const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
  ClipboardNotice notice;
  notice.has_text = data != nullptr && data->hasText();
  notice.empty = notice.has_text && data->text().isEmpty();
  notice.copied_from = CopiedFromTitle(data).toStdString();
  m_monitor.OnClipboardChanged(notice);
  if (m_monitor.HasWaitingNotice() && !m_pRetry->isActive()) m_pRetry->start();
}

void CClipboardWatch::RetryWaitingNotice() {
  m_monitor.HandleWaitingNotice();
  if (!m_monitor.HasWaitingNotice()) m_pRetry->stop();
}

}  // namespace cyrvert
