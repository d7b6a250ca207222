#include "frame/clipboard_watch.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>

#include "docview/child_frame.h"
#include "docview/clipboard_text.h"
#include "docview/cyrvert_doc.h"
#include "docview/cyrvert_view.h"
#include "docview/doc_template.h"
#include "frame/app_services.h"
#include "frame/engine_commands.h"
#include "frame/main_frame.h"

namespace cyrvert {

bool CClipboardHost::ClipboardHasText() const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
  return data != nullptr && data->hasText();
}

DocumentHost* CClipboardHost::OpenNewDocumentWindow() {
  return Track(m_frame.OpenNewDocumentWindow());
}

void CClipboardHost::PasteClipboardText(DocumentHost& document) {
  if (CCyrvertView* view = ViewOf(&document)) view->PasteClipboardText();
}

DocumentHost* CClipboardHost::FindDocument(std::string_view title) {
  const QString wanted = QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
  for (CCyrvertDoc* doc : m_frame.DocTemplate().Documents()) {
    if (doc->GetTitle() != wanted) continue;
    if (CCyrvertView* view = doc->GetFirstView()) return Track(view);
  }
  return nullptr;
}

void CClipboardHost::CloseDocument(DocumentHost& document) {
  CCyrvertView* view = ViewOf(&document);
  if (view == nullptr) return;
  if (CCyrvertDoc* doc = view->GetDocument()) {
    doc->SetModifiedFlag(false);
    doc->OnCloseDocument();
  }
}

bool CClipboardHost::IsOpen(const DocumentHost* document) const {
  return ViewOf(document) != nullptr;
}

DocumentHost* CClipboardHost::RunAutoDecode(DocumentHost& document, bool silent) {
  CCyrvertView* view = ViewOf(&document);
  if (view == nullptr) return nullptr;
  return Track(AutoDecodeView(m_app, m_frame, *view, silent));
}

bool CClipboardHost::EngineBusy() const { return m_frame.m_bEngineBusy; }

const Settings& CClipboardHost::CurrentSettings() const { return m_app.CurrentSettings(); }

DocumentHost* CClipboardHost::Track(CCyrvertView* view) {
  if (view == nullptr) return nullptr;
  // Forget windows that are gone, so the list stays as short as the open windows.
  std::erase_if(m_views, [](const QPointer<CCyrvertView>& p) { return p.isNull(); });
  if (std::find(m_views.begin(), m_views.end(), view) == m_views.end()) m_views.emplace_back(view);
  return view;
}

CCyrvertView* CClipboardHost::ViewOf(const DocumentHost* document) const {
  if (document == nullptr) return nullptr;
  for (const QPointer<CCyrvertView>& view : m_views) {
    // Addresses are compared before anything is dereferenced: `document` may be stale.
    if (view.isNull() || static_cast<const DocumentHost*>(view.data()) != document) continue;
    // A closed window can outlive its close until the event loop deletes it.
    CChildFrame* child = view->GetParentFrame();
    if (child == nullptr || child->isHidden() || view->GetDocument() == nullptr) return nullptr;
    return view.data();
  }
  return nullptr;
}

CClipboardWatch::CClipboardWatch(AppServices& app, CMainFrame& frame)
    : QObject(&frame), m_host(app, frame) {
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
          &CClipboardWatch::OnDataChanged);
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
}

}  // namespace cyrvert
