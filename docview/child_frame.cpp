#include "docview/child_frame.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QPointer>

#include "docview/cyrvert_doc.h"
#include "docview/cyrvert_view.h"

namespace cyrvert {

CChildFrame::CChildFrame(CCyrvertView* view, QWidget* parent)
    : QMdiSubWindow(parent), m_pView(view) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWidget(view);
  if (CCyrvertDoc* document = GetActiveDocument()) {
    connect(document, &CCyrvertDoc::TitleChanged, this, &CChildFrame::UpdateTitle);
  }
  UpdateTitle();
}

CCyrvertDoc* CChildFrame::GetActiveDocument() const {
  return m_pView != nullptr ? m_pView->GetDocument() : nullptr;
}

void CChildFrame::SetCloseAllowed(bool allowed) {
  m_bCloseAllowed = allowed;
  RefreshMainMenu();
}

void CChildFrame::RefreshMainMenu() { emit MainMenuRefreshRequested(); }

void CChildFrame::CloseWithoutAsking() {
  m_bForceClose = true;
  close();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
  if (!m_bForceClose) {
    if (!m_bCloseAllowed) {
      event->ignore();
      return;
    }
    CCyrvertDoc* document = GetActiveDocument();
    if (document != nullptr && document->Views().size() == 1 && !document->SaveModified()) {
      event->ignore();
      return;
    }
  }
  QMdiSubWindow::closeEvent(event);
  if (!event->isAccepted()) m_bForceClose = false;
}

void CChildFrame::focusInEvent(QFocusEvent* event) {
  QMdiSubWindow::focusInEvent(event);
  RefreshMainMenu();
}

void CChildFrame::UpdateTitle() {
  if (CCyrvertDoc* document = GetActiveDocument()) setWindowTitle(document->GetTitle());
}

namespace {

// The main frame's active child: the active window, else the one that was active last.
QMdiSubWindow* ActiveChild(QMdiArea& area) {
  if (QMdiSubWindow* active = area.activeSubWindow()) return active;
  if (QMdiSubWindow* current = area.currentSubWindow()) return current;
  const QList<QMdiSubWindow*> windows = area.subWindowList(QMdiArea::ActivationHistoryOrder);
  if (windows.isEmpty()) return nullptr;
  area.setActiveSubWindow(windows.back());
  return windows.back();
}

}  // namespace

void CloseDocumentWindows(QMdiArea& area, bool include_minimised) {
  QPointer<QMdiSubWindow> first_skipped;
  for (;;) {
    QMdiSubWindow* child = ActiveChild(area);
    if (child == nullptr) return;
    auto* frame = qobject_cast<CChildFrame*>(child);
    CCyrvertDoc* document = frame != nullptr ? frame->GetActiveDocument() : nullptr;
    const bool closable = document != nullptr && frame->IsCloseAllowed();
    if (closable && (include_minimised || !child->isMinimized())) {
      // Unchanged windows (the many results of a run) close silently; an edited document
      // asks first, and Cancel ends the command there.
      if (!document->SaveModified()) return;
      document->OnCloseDocument();
      first_skipped = nullptr;  // the round starts again over the windows that are left
      continue;
    }
    // Left open: minimised, being searched, or not a document window. Stop once the
    // first window left open comes round again with nothing closed in between.
    if (child == first_skipped) return;
    if (first_skipped == nullptr) first_skipped = child;
    area.activateNextSubWindow();
    if (ActiveChild(area) == child) return;  // the only window left
  }
}

}  // namespace cyrvert
