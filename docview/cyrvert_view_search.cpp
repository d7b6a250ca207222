// The view's find and replace: searched as bytes, so a match is exactly the bytes asked for.
#include <QApplication>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "docview/byte_mapping.h"
#include "docview/cyrvert_view.h"
#include "docview/find_replace_dlg.h"
#include "docview/text_search.h"
#include "engine/unicode_codec.h"

namespace cyrvert {

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
  try {
    const std::string needle = QStringToBytes(what);
    const std::string text = GetViewText();
    // The text has one character per byte, so character counts are byte offsets.
    const long caret = SendScintilla(forward ? SCI_GETSELECTIONEND : SCI_GETSELECTIONSTART);
    const auto from = static_cast<std::size_t>(SendScintilla(SCI_COUNTCHARACTERS, 0UL, caret));
    const SearchOptions options{match_case, whole_word, forward};
    std::optional<std::size_t> found = FindBytes(text, needle, from, options);
    // Not found before the end: round once from the other end up to the starting point.
    if (!found) found = FindBytes(text, needle, forward ? 0 : text.size(), options);
    if (!found) return false;
    const long start = SendScintilla(SCI_POSITIONRELATIVE, 0UL, static_cast<long>(*found));
    const long end = SendScintilla(SCI_POSITIONRELATIVE, static_cast<unsigned long>(start),
                                   static_cast<long>(needle.size()));
    SendScintilla(SCI_SETSEL, static_cast<unsigned long>(start), end);
    SendScintilla(SCI_SCROLLCARET);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
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
  bool editing = false;
  try {
    const std::string needle = QStringToBytes(what);
    const std::string text = GetViewText();
    const SearchOptions options{match_case, whole_word, true};
    // One pass finds every match and its editor position (UTF-8 sizes of the bytes before).
    std::vector<std::size_t> starts;
    std::size_t position = 0;
    std::size_t offset = 0;
    const std::string_view bytes(text);
    for (auto found = FindBytes(text, needle, 0, options); found;
         found = FindBytes(text, needle, *found + needle.size(), options)) {
      position += kViewCodec.Utf8Size(bytes.substr(offset, *found - offset));
      offset = *found;
      starts.push_back(position);
    }
    if (starts.empty()) return 0;
    const std::size_t needle_size = kViewCodec.Utf8Size(needle);
    const std::string replacement = kViewCodec.ToUtf8(QStringToBytes(with));
    // A longer text may make the control move its whole buffer; that must not fail inside it.
    if (replacement.size() > needle_size &&
        !HasRoomFor(static_cast<std::size_t>(SendScintilla(SCI_GETLENGTH)) +
                    starts.size() * (replacement.size() - needle_size))) {
      return kNoMemoryForReplace;
    }
    // From the last match to the first, so that earlier positions stay valid and the gap of
    // the editor's buffer moves through the text once; one undo step for all of them.
    beginUndoAction();
    editing = true;
    for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
      SendScintilla(SCI_SETTARGETSTART, static_cast<unsigned long>(*it));
      SendScintilla(SCI_SETTARGETEND, static_cast<unsigned long>(*it + needle_size));
      SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(replacement.size()),
                    replacement.data());
      if (SendScintilla(SCI_GETSTATUS) != SC_STATUS_OK) throw std::bad_alloc();
    }
    endUndoAction();
    return static_cast<int>(starts.size());
  } catch (const std::bad_alloc&) {
    // What was replaced before memory ran out is taken back: all or nothing.
    SendScintilla(SCI_SETSTATUS, static_cast<unsigned long>(SC_STATUS_OK));
    if (editing) {
      endUndoAction();
      undo();
    }
    return kNoMemoryForReplace;
  }
}

}  // namespace cyrvert
