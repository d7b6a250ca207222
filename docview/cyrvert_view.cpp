#include "docview/cyrvert_view.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qsciprinter.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <vector>

#include "docview/byte_mapping.h"
#include "docview/child_frame.h"
#include "docview/clipboard_text.h"
#include "docview/find_replace_dlg.h"
#include "docview/text_search.h"

namespace cyrvert {
namespace {

// Print margins: 720 twips (half an inch) on each side.
constexpr qreal kPrintMarginMm = 12.7;

}  // namespace

std::unique_ptr<QPrinter> MakeDocumentPrinter() {
  auto printer = std::make_unique<QsciPrinter>(QPrinter::HighResolution);
  printer->setPageMargins(QMarginsF(kPrintMarginMm, kPrintMarginMm, kPrintMarginMm, kPrintMarginMm),
                          QPageLayout::Millimeter);
  return printer;
}

CCyrvertView::CCyrvertView(CCyrvertDoc* document, QWidget* parent)
    : QsciScintilla(parent), m_pDocument(document) {
  // Plain text needs no style byte per character: a document without them holds a big text
  // in about half the memory. Document settings (code page, line ends) follow the switch.
  const auto styleless =
      SendScintilla(SCI_CREATEDOCUMENT, 0UL, static_cast<long>(SC_DOCUMENTOPTION_STYLES_NONE));
  if (styleless != 0) {
    SendScintilla(SCI_SETDOCPOINTER, 0UL, static_cast<long>(styleless));
    SendScintilla(SCI_RELEASEDOCUMENT, 0UL, static_cast<long>(styleless));
  }
  setUtf8(true);
  setEolMode(QsciScintilla::EolWindows);
  SendScintilla(SCI_SETPASTECONVERTENDINGS, 0UL);
  setMarginWidth(0, 0);
  setMarginWidth(1, 0);
  setWrapMode(QsciScintilla::WrapNone);
  if (m_pDocument != nullptr) {
    m_pDocument->AddView(this);
    // Edits mark the document modified; only the document clears the flag.
    connect(this, &QsciScintilla::modificationChanged, m_pDocument, [this](bool modified) {
      if (modified && m_pDocument != nullptr) m_pDocument->SetModifiedFlag(true);
    });
  }
}

CCyrvertView::~CCyrvertView() {
  if (m_pDocument != nullptr) m_pDocument->RemoveView(this);
}

CChildFrame* CCyrvertView::GetParentFrame() const {
  for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
    if (auto* frame = qobject_cast<CChildFrame*>(w)) return frame;
  }
  return nullptr;
}

std::string CCyrvertView::GetViewText() const {
  const auto length = static_cast<std::size_t>(SendScintilla(SCI_GETLENGTH));
  if (length == 0) return {};
  const auto* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
  return kViewCodec.FromUtf8(std::string_view(text, length));
}

std::function<std::string()> CCyrvertView::TextReader() const {
  const auto length = static_cast<std::size_t>(SendScintilla(SCI_GETLENGTH));
  if (length == 0) return [] { return std::string(); };
  // Makes the text contiguous here, on the view's thread; the reader then only reads it.
  const auto* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
  return [text, length] { return kViewCodec.FromUtf8(std::string_view(text, length)); };
}

void CCyrvertView::PutViewText(std::string_view text) { PutViewText(text, {}); }

void CCyrvertView::PutViewText(std::string_view text, const std::function<void()>& between_slices) {
  if (isReadOnly()) return;
  // The previous text is not kept for undo, and the text goes in by slices so that a big
  // text is never held twice in UTF-8. Change notices are off meanwhile: their listeners
  // copy each inserted slice and count characters from the start of the text.
  constexpr std::size_t kSlice = 1 << 20;
  const auto event_mask = static_cast<unsigned long>(SendScintilla(SCI_GETMODEVENTMASK));
  SendScintilla(SCI_SETMODEVENTMASK, 0UL);
  SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
  SendScintilla(SCI_CLEARALL);
  std::size_t utf8_size = 0;
  for (std::size_t at = 0; at < text.size(); at += kSlice) {
    utf8_size += kViewCodec.Utf8Size(text.substr(at, kSlice));
    if (between_slices) between_slices();
  }
  SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(utf8_size) + 1UL);
  for (std::size_t at = 0; at < text.size(); at += kSlice) {
    const std::string utf8 = kViewCodec.ToUtf8(text.substr(at, kSlice));
    SendScintilla(SCI_ADDTEXT, static_cast<unsigned long>(utf8.size()), utf8.data());
    if (between_slices) between_slices();
  }
  SendScintilla(SCI_EMPTYUNDOBUFFER);
  SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
  SendScintilla(SCI_SETMODEVENTMASK, event_mask);
  SendScintilla(SCI_GOTOPOS, 0UL);
  emit textChanged();
  if (m_pDocument != nullptr) m_pDocument->SetModifiedFlag(true);
}

std::string CCyrvertView::Title() const {
  return m_pDocument != nullptr ? m_pDocument->GetTitle().toStdString() : std::string();
}

void CCyrvertView::SetTitle(std::string_view title) {
  if (m_pDocument != nullptr) {
    m_pDocument->SetTitle(QString::fromUtf8(title));
  }
}

void CCyrvertView::SetModified(bool modified) {
  if (m_pDocument != nullptr) m_pDocument->SetModifiedFlag(modified);
}

void CCyrvertView::SetReadOnly(bool read_only) { setReadOnly(read_only); }

void CCyrvertView::SetCloseAllowed(bool allowed) {
  if (CChildFrame* frame = GetParentFrame()) frame->SetCloseAllowed(allowed);
}

void CCyrvertView::Redraw() { viewport()->repaint(); }

bool CCyrvertView::ApplyFont(const LogFont& font) {
  const std::optional<QFont> qfont = FontFromLogFont(font);
  if (!qfont) return false;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // QScintilla reads only the point size: give a pixel-sized font its size in points.
  QFont shown = *qfont;
  if (shown.pixelSize() > 0) shown.setPointSizeF(shown.pixelSize() * 72.0 / logicalDpiY());
  setFont(shown);
  m_logFont = font;
  if (m_pDocument != nullptr) m_pDocument->UpdateAllViews();
  QApplication::restoreOverrideCursor();
  return true;
}

void CCyrvertView::PasteClipboardText() {
  if (isReadOnly()) return;
  const std::optional<std::string> bytes =
      ClipboardBytes(QApplication::clipboard()->mimeData(QClipboard::Clipboard));
  if (!bytes) return;
  const std::string utf8 = kViewCodec.ToUtf8(*bytes);
  const auto at = static_cast<unsigned long>(SendScintilla(SCI_GETSELECTIONEND));
  // By position and length, so that NUL bytes and line ends go in as they are.
  SendScintilla(SCI_SETTARGETSTART, at);
  SendScintilla(SCI_SETTARGETEND, at);
  SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(utf8.size()), utf8.data());
  SendScintilla(SCI_SETEMPTYSELECTION, at);
  SendScintilla(SCI_SCROLLCARET);
}

void CCyrvertView::CopySelectionToClipboard(bool cut) {
  const long start = SendScintilla(SCI_GETSELECTIONSTART);
  const long end = SendScintilla(SCI_GETSELECTIONEND);
  if (start >= end) return;
  const auto* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
  const std::string bytes =
      kViewCodec.FromUtf8(std::string_view(text + start, static_cast<std::size_t>(end - start)));
  const QString title = m_pDocument != nullptr ? m_pDocument->GetTitle() : QString();
  QApplication::clipboard()->setMimeData(MakeClipboardData(bytes, title), QClipboard::Clipboard);
  if (cut && !isReadOnly()) removeSelectedText();
}

void CCyrvertView::copy() { CopySelectionToClipboard(false); }

void CCyrvertView::cut() { CopySelectionToClipboard(true); }

void CCyrvertView::paste() {
  if (isReadOnly()) return;
  beginUndoAction();
  removeSelectedText();
  PasteClipboardText();
  endUndoAction();
}

void CCyrvertView::OnEditUndo() { undo(); }

void CCyrvertView::OnEditSelectAll() { selectAll(true); }

void CCyrvertView::OnEditFind() { ShowFindDialog(false); }

void CCyrvertView::OnEditFindNext() {
  if (m_lastFind.isEmpty()) {
    ShowFindDialog(false);
    return;
  }
  if (!FindText(m_lastFind, m_lastMatchCase, m_lastWholeWord, m_lastForward)) {
    QApplication::beep();
  }
}

void CCyrvertView::OnEditReplace() { ShowFindDialog(true); }

void CCyrvertView::ShowFindDialog(bool replace) {
  if (m_pFindDlg == nullptr) m_pFindDlg = new CFindReplaceDlg(*this, replace);
  m_pFindDlg->Reset(replace, hasSelectedText() ? selectedText() : m_lastFind);
  m_pFindDlg->show();
  m_pFindDlg->raise();
  m_pFindDlg->activateWindow();
}

bool CCyrvertView::FindText(const QString& what, bool match_case, bool whole_word, bool forward) {
  m_lastFind = what;
  m_lastMatchCase = match_case;
  m_lastWholeWord = whole_word;
  m_lastForward = forward;
  // A character with no byte cannot be in the text.
  if (what.isEmpty() || MapToByteCharacters(what) != what) return false;
  const std::string needle = QStringToBytes(what);
  const std::string text = GetViewText();
  // The text has one character per byte, so character counts are byte offsets.
  const long caret = SendScintilla(forward ? SCI_GETSELECTIONEND : SCI_GETSELECTIONSTART);
  const auto from = static_cast<std::size_t>(SendScintilla(SCI_COUNTCHARACTERS, 0UL, caret));
  const std::optional<std::size_t> found =
      FindBytes(text, needle, from, SearchOptions{match_case, whole_word, forward});
  if (!found) return false;
  const long start = SendScintilla(SCI_POSITIONRELATIVE, 0UL, static_cast<long>(*found));
  const long end = SendScintilla(SCI_POSITIONRELATIVE, static_cast<unsigned long>(start),
                                 static_cast<long>(needle.size()));
  SendScintilla(SCI_SETSEL, static_cast<unsigned long>(start), end);
  SendScintilla(SCI_SCROLLCARET);
  return true;
}

bool CCyrvertView::ReplaceSelection(const QString& what, const QString& with, bool match_case,
                                    bool whole_word) {
  if (isReadOnly()) return false;
  if (hasSelectedText()) {
    const std::string selected = QStringToBytes(selectedText());
    const std::string needle = QStringToBytes(what);
    if (selected.size() == needle.size() &&
        FindBytes(selected, needle, 0, SearchOptions{match_case, false, true}) == 0u) {
      replaceSelectedText(MapToByteCharacters(with));
    }
  }
  return FindText(what, match_case, whole_word, true);
}

int CCyrvertView::ReplaceAll(const QString& what, const QString& with, bool match_case,
                             bool whole_word) {
  if (what.isEmpty() || MapToByteCharacters(what) != what || isReadOnly()) return 0;
  const std::string needle = QStringToBytes(what);
  const std::string text = GetViewText();
  const SearchOptions options{match_case, whole_word, true};
  // Positions of the matches in the editor, found in one pass from the start.
  std::vector<long> starts;
  long position = 0;
  std::size_t offset = 0;
  for (auto found = FindBytes(text, needle, 0, options); found;
       found = FindBytes(text, needle, *found + needle.size(), options)) {
    position = SendScintilla(SCI_POSITIONRELATIVE, static_cast<unsigned long>(position),
                             static_cast<long>(*found - offset));
    offset = *found;
    starts.push_back(position);
  }
  const std::string replacement = kViewCodec.ToUtf8(QStringToBytes(with));
  // From the last to the first, so that earlier positions stay valid.
  beginUndoAction();
  for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
    const long end = SendScintilla(SCI_POSITIONRELATIVE, static_cast<unsigned long>(*it),
                                   static_cast<long>(needle.size()));
    SendScintilla(SCI_SETTARGETSTART, static_cast<unsigned long>(*it));
    SendScintilla(SCI_SETTARGETEND, static_cast<unsigned long>(end));
    SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(replacement.size()),
                  replacement.data());
  }
  endUndoAction();
  return static_cast<int>(starts.size());
}

QPrinter& CCyrvertView::Printer() {
  if (m_pPrinter != nullptr) return *m_pPrinter;
  if (!m_ownPrinter) m_ownPrinter = MakeDocumentPrinter();
  return *m_ownPrinter;
}

void CCyrvertView::PrintTo(QPrinter& printer) {
  if (auto* sci_printer = dynamic_cast<QsciPrinter*>(&printer)) {
    sci_printer->setWrapMode(QsciScintilla::WrapWord);
    sci_printer->printRange(this);
    return;
  }
  // A plain printer: print through a QScintilla one with its settings.
  QsciPrinter copy(QPrinter::HighResolution);
  copy.setPageLayout(printer.pageLayout());
  copy.setPrinterName(printer.printerName());
  copy.setOutputFileName(printer.outputFileName());
  copy.setWrapMode(QsciScintilla::WrapWord);
  copy.printRange(this);
}

void CCyrvertView::OnFilePrint() {
  QPrintDialog dialog(&Printer(), this);
  if (dialog.exec() == QDialog::Accepted) PrintTo(Printer());
}

void CCyrvertView::OnFilePrintDirect() { PrintTo(Printer()); }

void CCyrvertView::OnFilePrintPreview() {
  QPrintPreviewDialog dialog(&Printer(), this);
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
          [this](QPrinter* printer) { PrintTo(*printer); });
  dialog.exec();
}

void CCyrvertView::keyPressEvent(QKeyEvent* event) {
  // The editor's own clipboard keys take the byte-exact way too.
  if (event->matches(QKeySequence::Copy)) return copy();
  if (event->matches(QKeySequence::Cut)) return cut();
  if (event->matches(QKeySequence::Paste)) return paste();
  const QString text = event->text();
  const QString mapped = MapToByteCharacters(text);
  if (mapped == text) {
    QsciScintilla::keyPressEvent(event);
    return;
  }
  QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                 event->nativeVirtualKey(), event->nativeModifiers(), mapped, event->isAutoRepeat(),
                 static_cast<quint16>(event->count()));
  QsciScintilla::keyPressEvent(&copy);
  event->setAccepted(copy.isAccepted());
}

void CCyrvertView::inputMethodEvent(QInputMethodEvent* event) {
  const QString mapped = MapToByteCharacters(event->commitString());
  if (mapped == event->commitString()) {
    QsciScintilla::inputMethodEvent(event);
    return;
  }
  QInputMethodEvent copy(event->preeditString(), event->attributes());
  copy.setCommitString(mapped, event->replacementStart(), event->replacementLength());
  QsciScintilla::inputMethodEvent(&copy);
  event->setAccepted(copy.isAccepted());
}

QByteArray CCyrvertView::fromMimeData(const QMimeData* source, bool& rectangular) const {
  const QByteArray utf8 = QsciScintilla::fromMimeData(source, rectangular);
  const std::string bytes = kViewCodec.FromUtf8(
      std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
  const std::string mapped = kViewCodec.ToUtf8(bytes);
  return QByteArray(mapped.data(), static_cast<qsizetype>(mapped.size()));
}

void CCyrvertView::focusInEvent(QFocusEvent* event) {
  QsciScintilla::focusInEvent(event);
  if (CChildFrame* frame = GetParentFrame()) frame->RefreshMainMenu();
}

}  // namespace cyrvert
