#include "docview/cyrvert_doc.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <new>
#include <system_error>

#include "docview/child_frame.h"
#include "docview/cyrvert_view.h"
#include "docview/document_prompts.h"
#include "docview/file_bytes.h"
#include "resources/strings.h"

namespace cyrvert {
namespace {

// "<what>\n<path>: <reason>" for a failed file operation.
QString FailureText(std::string_view what, const QString& path, const QString& reason) {
  return QString::fromUtf8(what) + QLatin1Char('\n') + QDir::toNativeSeparators(path) +
         QStringLiteral(": ") + reason;
}

}  // namespace

CCyrvertDoc::CCyrvertDoc(DocumentPrompts& prompts, QObject* parent)
    : QObject(parent), m_prompts(prompts) {}

CCyrvertDoc::~CCyrvertDoc() = default;

void CCyrvertDoc::OnNewDocument(int number) {
  m_strPathName.clear();
  SetTitle(QLatin1String(kUntitledBase) + QString::number(number));
  SetModifiedFlag(false);
}

bool CCyrvertDoc::OnOpenDocument(const QString& path) {
  CCyrvertView* view = GetFirstView();
  if (view == nullptr) return false;
  ReadResult file = ReadFileBytes(path);
  if (file.error == ReadError::kNone && !view->PutViewText(file.bytes)) {
    file.error = ReadError::kNoMemory;
    file.reason = std::generic_category().message(ENOMEM);
  }
  if (file.error != ReadError::kNone) {
    m_prompts.ShowError(view,
                        FailureText(strings::kFailedToOpenDocument, path, ReasonText(file.reason)));
    return false;
  }
  file.bytes = std::string();  // give the memory back before the view is drawn
  SetPathName(path);
  SetModifiedFlag(false);
  return true;
}

bool CCyrvertDoc::OnSaveDocument(const QString& path) {
  CCyrvertView* view = GetFirstView();
  if (view == nullptr) return false;
  SaveResult result;
  try {
    result = WriteFileBytes(path, view->GetViewText());
  } catch (const std::bad_alloc&) {
    result = {SaveError::kWrite, std::generic_category().message(ENOMEM)};
  }
  if (result.error != SaveError::kNone) {
    m_prompts.ShowError(
        view, FailureText(strings::kFailedToSaveDocument, path, ReasonText(result.reason)));
    return false;
  }
  SetModifiedFlag(false);
  return true;
}

bool CCyrvertDoc::DoFileSave() {
  if (m_strPathName.isEmpty()) return DoSave();
  return DoSave(m_strPathName);
}

bool CCyrvertDoc::DoSave(const QString& path) {
  QString target = path;
  if (target.isEmpty()) {
    const QString suggested =
        m_strPathName.isEmpty() ? m_strTitle + QLatin1String(kDocumentExtension) : m_strPathName;
    target = m_prompts.AskSavePath(GetFirstView(), suggested);
    if (target.isEmpty()) return false;
  }
  if (!OnSaveDocument(target)) return false;
  SetPathName(target);
  return true;
}

bool CCyrvertDoc::SaveModified() {
  if (!m_bModified) return true;
  switch (m_prompts.AskToSave(GetFirstView(), m_strTitle)) {
    case SaveAnswer::kCancel:
      return false;
    case SaveAnswer::kNo:
      return true;
    case SaveAnswer::kYes:
      break;
  }
  return DoFileSave();
}

void CCyrvertDoc::OnCloseDocument() {
  if (m_bClosing) return;
  m_bClosing = true;
  const std::vector<CCyrvertView*> views = m_views;
  for (CCyrvertView* view : views) {
    if (CChildFrame* frame = view->GetParentFrame()) {
      frame->CloseWithoutAsking();
    } else {
      RemoveView(view);
      view->deleteLater();
    }
  }
}

void CCyrvertDoc::SetTitle(const QString& title) {
  if (title == m_strTitle) return;
  m_strTitle = title;
  emit TitleChanged(m_strTitle);
}

void CCyrvertDoc::SetPathName(const QString& path) {
  const QFileInfo info(path);
  m_strPathName = info.absoluteFilePath();
  SetTitle(info.fileName());
}

void CCyrvertDoc::SetModifiedFlag(bool modified) {
  if (!modified) {
    for (CCyrvertView* view : m_views) view->setModified(false);
  }
  if (modified == m_bModified) return;
  m_bModified = modified;
  emit ModifiedChanged(m_bModified);
}

void CCyrvertDoc::AddView(CCyrvertView* view) {
  if (std::find(m_views.begin(), m_views.end(), view) == m_views.end()) m_views.push_back(view);
}

void CCyrvertDoc::RemoveView(CCyrvertView* view) {
  const auto it = std::find(m_views.begin(), m_views.end(), view);
  if (it == m_views.end()) return;
  m_views.erase(it);
  if (m_views.empty()) deleteLater();
}

CCyrvertView* CCyrvertDoc::GetFirstView() const {
  return m_views.empty() ? nullptr : m_views.front();
}

void CCyrvertDoc::UpdateAllViews() {
  for (CCyrvertView* view : m_views) view->viewport()->update();
}

}  // namespace cyrvert
