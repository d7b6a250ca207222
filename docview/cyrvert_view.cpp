#include "docview/cyrvert_view.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qsciprinter.h>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <algorithm>
#include <new>
#include <optional>
#include <vector>

#include "docview/byte_mapping.h"
#include "docview/child_frame.h"
#include "docview/clipboard_text.h"
#include "docview/find_replace_dlg.h"

namespace cyrvert {
namespace {

// Print margins: 720 twips (half an inch) on each side.
constexpr qreal kPrintMarginMm = 12.7;

// Lines longer than this cost the control a pass over the whole line at every repaint.
constexpr std::size_t kLongLine = std::size_t{1} << 16;

// Length of the longest line of `text`, line ends not counted.
std::size_t LongestLine(std::string_view text) {
  std::size_t longest = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      longest = std::max(longest, i - start);
      start = i + 1;
    }
  }
  return std::max(longest, text.size() - start);
}

// The toolkit's accessible editor works out the caret's place by counting the text from its
// start at every repaint, and the toolkit makes one for every shown view even while no
// assistive technology listens. A view made then gets a plain accessible; with a listener,
// the toolkit's own.
QAccessibleInterface* MakeViewAccessible(const QString& class_name, QObject* object) {
  if (QAccessible::isActive() ||
      class_name != QLatin1String(CCyrvertView::staticMetaObject.className())) {
    return nullptr;
  }
  auto* widget = qobject_cast<QWidget*>(object);
  return widget != nullptr ? new QAccessibleWidget(widget, QAccessible::EditableText) : nullptr;
}

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
  // The toolkit turns every notice of inserted or deleted text into an accessibility event
  // that counts the characters from the start of the text: each keystroke would cost the
  // whole text. Only the notices sent before a change are asked for; they carry no such work
  // and still tell of every edit, undo and redo.
  SendScintilla(SCI_SETMODEVENTMASK,
                static_cast<unsigned long>(SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE));
  connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &CCyrvertView::OnTextAboutToChange);
  m_caretPeriod = SendScintilla(SCI_GETCARETPERIOD);
  [[maybe_unused]] static const bool accessible_installed = [] {
    QAccessible::installFactory(&MakeViewAccessible);
    return true;
  }();
  // The toolkit also works out the caret's column after every change of position, counting
  // from the start of the line: in a text of one long line every keystroke would cost the
  // line. Nothing here uses that column.
  disconnect(this, SIGNAL(SCN_UPDATEUI(int)), this, SLOT(handleUpdateUI(int)));
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

bool CCyrvertView::PutViewText(std::string_view text) { return PutViewText(text, {}); }

bool CCyrvertView::PutViewText(std::string_view text, const std::function<void()>& between_slices) {
  if (isReadOnly()) return false;
  // The previous text is not kept for undo, and the text goes in by slices so that a big
  // text is never held twice in UTF-8. The room is taken first: when memory runs out there,
  // the editor is left untouched by the failure.
  constexpr std::size_t kSlice = 1 << 20;
  SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
  SendScintilla(SCI_CLEARALL);
  std::size_t size = 0;
  for (std::size_t at = 0; at < text.size(); at += kSlice) {
    size += kViewCodec.Utf8Size(text.substr(at, kSlice));
    if (between_slices) between_slices();
  }
  // Room for the control's text and style buffers and one slice, asked for first: the control
  // is not left sound when memory runs out inside it.
  bool whole = HasRoomFor(2 * size + 2 * kSlice);
  try {
    if (whole) SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(size) + 1UL);
    for (std::size_t at = 0; at < text.size() && whole; at += kSlice) {
      const std::string utf8 = kViewCodec.ToUtf8(text.substr(at, kSlice));
      SendScintilla(SCI_ADDTEXT, static_cast<unsigned long>(utf8.size()), utf8.data());
      whole = SendScintilla(SCI_GETSTATUS) == SC_STATUS_OK;
      if (between_slices) between_slices();
    }
  } catch (const std::bad_alloc&) {
    whole = false;
  }
  if (!whole) {
    SendScintilla(SCI_SETSTATUS, static_cast<unsigned long>(SC_STATUS_OK));
    SendScintilla(SCI_CLEARALL);
  }
  SendScintilla(SCI_EMPTYUNDOBUFFER);
  SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
  SendScintilla(SCI_GOTOPOS, 0UL);
  if (!whole) return false;
  // Over a very long line a blinking caret would keep an idle window busy: it stays lit.
  SendScintilla(SCI_SETCARETPERIOD,
                static_cast<unsigned long>(LongestLine(text) > kLongLine ? 0 : m_caretPeriod));
  if (m_pDocument != nullptr) m_pDocument->SetModifiedFlag(true);
  return true;
}

bool CCyrvertView::HasRoomFor(std::size_t bytes) {
  std::unique_ptr<char[]> probe(new (std::nothrow) char[bytes]);
  return probe != nullptr;
}

void CCyrvertView::UpdateStrikeOut() {
  SendScintilla(SCI_SETINDICATORCURRENT, kStrikeOutIndicator);
  const long length = SendScintilla(SCI_GETLENGTH);
  SendScintilla(SCI_INDICATORCLEARRANGE, 0UL, length);
  if (m_bStrikeOut) SendScintilla(SCI_INDICATORFILLRANGE, 0UL, length);
}

void CCyrvertView::OnTextAboutToChange(int, int type) {
  if ((type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)) == 0 || m_bChangePosted) return;
  // Told once the change is made, and once for a burst of changes (a replace, an undo).
  m_bChangePosted = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        m_bChangePosted = false;
        if (m_bStrikeOut) UpdateStrikeOut();
        emit textChanged();
      },
      Qt::QueuedConnection);
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

void CCyrvertView::CloseWindow() {
  if (CChildFrame* frame = GetParentFrame()) frame->CloseWithoutAsking();
}

bool CCyrvertView::ApplyFont(const LogFont& font) {
  const std::optional<QFont> qfont = FontFromLogFont(font);
  if (!qfont) return false;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // QScintilla reads only the point size: give a pixel-sized font its size in points.
  QFont shown = *qfont;
  if (shown.pixelSize() > 0) shown.setPointSizeF(shown.pixelSize() * 72.0 / logicalDpiY());
  setFont(shown);
  // The control takes neither effect from the font: underline is a style attribute, a line
  // through the text an indicator over all of it (kept over new text as it comes).
  for (const unsigned long style : {0UL, static_cast<unsigned long>(STYLE_DEFAULT)}) {
    SendScintilla(SCI_STYLESETUNDERLINE, style, static_cast<long>(shown.underline()));
  }
  m_bStrikeOut = shown.strikeOut();
  SendScintilla(SCI_INDICSETSTYLE, kStrikeOutIndicator, static_cast<long>(INDIC_STRIKE));
  SendScintilla(SCI_INDICSETFORE, kStrikeOutIndicator, shown.strikeOut() ? color() : paper());
  UpdateStrikeOut();
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
  const std::string bytes = SelectedBytes();
  if (bytes.empty()) return;
  const QString title = m_pDocument != nullptr ? m_pDocument->GetTitle() : QString();
  QApplication::clipboard()->setMimeData(MakeClipboardData(bytes, title), QClipboard::Clipboard);
  if (cut && !isReadOnly()) removeSelectedText();
}

std::string CCyrvertView::SelectedBytes() const {
  // As the control copies: every selection's text in turn; a rectangle's lines top to
  // bottom, each ended by a line end.
  const bool rectangle = SendScintilla(SCI_SELECTIONISRECTANGLE) != 0;
  const auto count = static_cast<unsigned long>(SendScintilla(SCI_GETSELECTIONS));
  std::vector<std::pair<long, long>> ranges;
  bool empty = true;
  for (unsigned long i = 0; i < count; ++i) {
    ranges.emplace_back(SendScintilla(SCI_GETSELECTIONNSTART, i),
                        SendScintilla(SCI_GETSELECTIONNEND, i));
    empty = empty && ranges.back().first >= ranges.back().second;
  }
  if (empty) return {};
  if (rectangle) std::sort(ranges.begin(), ranges.end());
  const auto* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
  std::string bytes;
  for (const auto& [start, end] : ranges) {
    if (end > start) {
      bytes += kViewCodec.FromUtf8(
          std::string_view(text + start, static_cast<std::size_t>(end - start)));
    }
    if (rectangle) bytes += "\r\n";
  }
  return bytes;
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

QVariant CCyrvertView::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query != Qt::ImSurroundingText && query != Qt::ImCursorPosition &&
      query != Qt::ImAnchorPosition && query != Qt::ImTextBeforeCursor &&
      query != Qt::ImTextAfterCursor) {
    return QsciScintilla::inputMethodQuery(query);
  }
  // The toolkit answers with the whole paragraph and counts it from its start, at every key:
  // a text with no blank line would be passed over whole per keystroke. A stretch of the
  // caret's line is all an input method uses.
  constexpr long kAround = 256;  // characters on each side of the caret
  const long caret = SendScintilla(SCI_GETCURRENTPOS);
  const long line = SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(caret));
  const long line_start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  const long line_end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
  // The control answers 0 for a position beyond either end of the text.
  const long back =
      SendScintilla(SCI_POSITIONRELATIVE, static_cast<unsigned long>(caret), -kAround);
  const long ahead =
      SendScintilla(SCI_POSITIONRELATIVE, static_cast<unsigned long>(caret), kAround);
  const long start = std::max(back, line_start);
  const long end = ahead == 0 ? line_end : std::min(ahead, line_end);
  const auto text_between = [this](long from, long to) {
    return to > from ? text(static_cast<int>(from), static_cast<int>(to)) : QString();
  };
  const QString before = text_between(start, caret);
  switch (query) {
    case Qt::ImSurroundingText:
      return before + text_between(caret, end);
    case Qt::ImTextBeforeCursor:
      return before;
    case Qt::ImTextAfterCursor:
      return text_between(caret, end);
    case Qt::ImCursorPosition:
      return static_cast<int>(before.size());
    default: {  // the anchor, when it lies in the stretch
      const long anchor = SendScintilla(SCI_GETANCHOR);
      if (anchor < start || anchor > end) return static_cast<int>(before.size());
      return static_cast<int>(anchor < caret ? before.size() - text_between(anchor, caret).size()
                                             : before.size() + text_between(caret, anchor).size());
    }
  }
}

void CCyrvertView::focusInEvent(QFocusEvent* event) {
  QsciScintilla::focusInEvent(event);
  if (CChildFrame* frame = GetParentFrame()) frame->RefreshMainMenu();
}

}  // namespace cyrvert
