#include "docview/doc_template.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QPageSetupDialog>
#include <QPrinter>

#include "docview/child_frame.h"
#include "docview/cyrvert_doc.h"
#include "docview/cyrvert_view.h"
#include "docview/document_prompts.h"

namespace cyrvert {

CDocTemplate::CDocTemplate(QMdiArea& area, DocumentPrompts& prompts, QObject* parent)
    : QObject(parent), m_area(area), m_prompts(prompts) {}

CDocTemplate::~CDocTemplate() = default;

CChildFrame* CDocTemplate::CreateWindow(CCyrvertDoc* document) {
  auto* view = new CCyrvertView(document);
  view->SetPrinter(&Printer());
  if (m_fontSource) view->ApplyFont(m_fontSource());
  auto* frame = new CChildFrame(view);
  connect(frame, &CChildFrame::MainMenuRefreshRequested, this,
          &CDocTemplate::MainMenuRefreshRequested);
  m_area.addSubWindow(frame);
  frame->showMaximized();
  m_area.setActiveSubWindow(frame);
  view->setFocus();
  emit DocumentWindowCreated(frame);
  return frame;
}

CChildFrame* CDocTemplate::OpenNewDocument() {
  auto* document = new CCyrvertDoc(m_prompts, this);
  document->OnNewDocument(++m_nUntitledCount);
  return CreateWindow(document);
}

CChildFrame* CDocTemplate::OpenDocumentFile(const QString& path) {
  const QFileInfo wanted(path);
  for (CCyrvertDoc* document : Documents()) {
    if (!document->GetPathName().isEmpty() && QFileInfo(document->GetPathName()) == wanted) {
      CChildFrame* frame = document->GetFirstView()->GetParentFrame();
      if (frame != nullptr) m_area.setActiveSubWindow(frame);
      return frame;
    }
  }
  auto* document = new CCyrvertDoc(m_prompts, this);
  CChildFrame* frame = CreateWindow(document);
  if (!document->OnOpenDocument(path)) {
    frame->CloseWithoutAsking();
    return nullptr;
  }
  return frame;
}

CChildFrame* CDocTemplate::OnFileOpen(QWidget* parent) {
  const QString path = m_prompts.AskOpenPath(parent);
  if (path.isEmpty()) return nullptr;
  return OpenDocumentFile(path);
}

std::vector<CCyrvertDoc*> CDocTemplate::Documents() const {
  std::vector<CCyrvertDoc*> documents;
  for (CCyrvertDoc* document : findChildren<CCyrvertDoc*>(Qt::FindDirectChildrenOnly)) {
    if (!document->Views().empty()) documents.push_back(document);
  }
  return documents;
}

void CDocTemplate::ApplyFontToDocuments(const LogFont& font) {
  for (CCyrvertDoc* document : Documents()) document->GetFirstView()->ApplyFont(font);
}

bool CDocTemplate::SaveAllModified() {
  for (CCyrvertDoc* document : Documents()) {
    if (!document->SaveModified()) return false;
  }
  return true;
}

QPrinter& CDocTemplate::Printer() {
  if (!m_printer) m_printer = MakeDocumentPrinter();
  return *m_printer;
}

void CDocTemplate::OnFilePrintSetup(QWidget* parent) {
  QPageSetupDialog dialog(&Printer(), parent);
  dialog.exec();
}

}  // namespace cyrvert
