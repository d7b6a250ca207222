// The view of a document: a QScintilla editor in UTF-8 mode showing each byte of the text as
// one character, so the text goes in and out byte for byte. Carries the editing, search and
// print commands of a document window.
#pragma once

#include <Qsci/qsciscintilla.h>

#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "commands/command_host.h"
#include "docview/cyrvert_doc.h"
#include "docview/font_description.h"

class QPrinter;

namespace cyrvert {

class CCyrvertDoc;
class CChildFrame;
class CFindReplaceDlg;

// A printer with the program's page margins, for the shared page setup and lone views.
std::unique_ptr<QPrinter> MakeDocumentPrinter();

class CCyrvertView : public QsciScintilla, public DocumentHost {
  Q_OBJECT

 public:
  // A view of `document` (which it registers with), not yet in a frame.
  explicit CCyrvertView(CCyrvertDoc* document, QWidget* parent = nullptr);
  ~CCyrvertView() override;

  // The document shown.
  CCyrvertDoc* GetDocument() const { return m_pDocument; }
  // The child frame holding the view, or null.
  CChildFrame* GetParentFrame() const;

  // The whole text, byte for byte (line ends as stored).
  std::string GetViewText() const override;
  // Replaces the whole text by `text` byte for byte and marks the document modified; the
  // previous text cannot be undone. False, with the view left empty, when memory runs out;
  // false with nothing changed in read-only mode.
  bool PutViewText(std::string_view text) override;
  // The same, calling `between_slices` after each megabyte so that a long fill can let
  // timers and painting run.
  bool PutViewText(std::string_view text, const std::function<void()>& between_slices);
  // A reader of the whole text, byte for byte, that may run on another thread while the
  // text is not changed and the view lives.
  std::function<std::string()> TextReader() const;
  // The document's title (UTF-8).
  std::string Title() const override;
  // Renames the document.
  void SetTitle(std::string_view title) override;
  // Sets or clears the document's modified flag.
  void SetModified(bool modified) override;
  // Switches read-only mode: no edit from the user or from commands.
  void SetReadOnly(bool read_only) override;
  // Allows or forbids closing the view's window.
  void SetCloseAllowed(bool allowed) override;
  // Repaints at once.
  void Redraw() override;
  // Closes the view's window without asking.
  void CloseWindow() override;

  // Sets the font `font` describes and keeps the description; false (nothing changed)
  // when no font can be made from it.
  bool ApplyFont(const LogFont& font);
  // The description of the font last set.
  const LogFont& CurrentLogFont() const { return m_logFont; }

  // Printer shared by the program's windows (page setup); null: a printer of its own.
  void SetPrinter(QPrinter* printer) { m_pPrinter = printer; }

  // Inserts the clipboard text at the end of the selection and leaves the caret in front of
  // it. Does nothing without text on the clipboard or in read-only mode.
  void PasteClipboardText();
  // Puts the selected bytes on the clipboard; Cut then deletes them.
  void CopySelectionToClipboard(bool cut);
  // The selected bytes as the control would copy them: a rectangle's lines each with a line
  // end, several selections one after the other; empty when nothing is selected.
  std::string SelectedBytes() const;

 public slots:
  // Edit Copy, Cut and Paste (also the context menu and the editor's own keys): the bytes
  // cross the clipboard exactly, through the view's byte table.
  void copy() override;
  void cut() override;
  // Replaces the selection by the clipboard text.
  void paste() override;
  // Edit Undo.
  void OnEditUndo();
  // Edit Select All.
  void OnEditSelectAll();
  // Edit Find: the find dialog.
  void OnEditFind();
  // Edit Find Next: repeats the last search (opens Find when there was none).
  void OnEditFindNext();
  // Edit Replace: the replace dialog.
  void OnEditReplace();
  // File Print with the print dialog.
  void OnFilePrint();
  // Print without a dialog.
  void OnFilePrintDirect();
  // File Print Preview.
  void OnFilePrintPreview();

 public:
  // Searches for `what` from the cursor to the end (start, going backward), then round once
  // from the other end; false when the text holds no match.
  bool FindText(const QString& what, bool match_case, bool whole_word, bool forward);
  // Replaces the found selection by `with` (mapped to bytes) and finds the next one.
  bool ReplaceSelection(const QString& what, const QString& with, bool match_case, bool whole_word);
  // Replaces every occurrence in one pass over the text, undone in one step; returns how
  // many, or kNoMemoryForReplace with the text unchanged.
  int ReplaceAll(const QString& what, const QString& with, bool match_case, bool whole_word);

  // ReplaceAll's result when memory ran out.
  static constexpr int kNoMemoryForReplace = -1;

 protected:
  // Typed text: characters with no byte become "?".
  void keyPressEvent(QKeyEvent* event) override;
  // Composed text: characters with no byte become "?".
  void inputMethodEvent(QInputMethodEvent* event) override;
  // Pasted or dropped text, mapped through the byte table.
  QByteArray fromMimeData(const QMimeData* source, bool& rectangular) const override;
  // Tells the frame that the active window may have changed.
  void focusInEvent(QFocusEvent* event) override;
  // The input method's view of the text: a bounded stretch of the line around the caret.
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

 private:
  // Prints through `printer` with the view's font and no line numbers.
  void PrintTo(QPrinter& printer);
  // The shared printer or the view's own.
  QPrinter& Printer();
  // Opens the find or replace dialog.
  void ShowFindDialog(bool replace);
  // Whether a block of `bytes` can be had now.
  static bool HasRoomFor(std::size_t bytes);
  // Draws the line through the whole text, or none, as the font says.
  void UpdateStrikeOut();
  // A change of the text is under way: textChanged follows once it is made.
  void OnTextAboutToChange(int position, int type);

  QPointer<CCyrvertDoc> m_pDocument;       // shown document, not owned
  LogFont m_logFont;                       // description of the last font set
  QPrinter* m_pPrinter = nullptr;          // shared printer, not owned
  std::unique_ptr<QPrinter> m_ownPrinter;  // used when there is no shared printer
  CFindReplaceDlg* m_pFindDlg = nullptr;   // modeless find/replace dialog (child widget)
  QString m_lastFind;                      // last search text, for Find Next
  bool m_lastMatchCase = false;            // last search options
  bool m_lastWholeWord = false;
  bool m_lastForward = true;
  bool m_bChangePosted = false;  // a textChanged is queued
  bool m_bStrikeOut = false;     // the font is struck through
  long m_caretPeriod = 0;        // the control's own caret blink period, in milliseconds
  // Indicator that draws the font's strike-out.
  static constexpr unsigned long kStrikeOutIndicator = 8;
};

}  // namespace cyrvert
