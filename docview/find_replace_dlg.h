// A small modeless Find / Replace dialog that searches its view.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace cyrvert {

class CCyrvertView;

class CFindReplaceDlg : public QDialog {
  Q_OBJECT

 public:
  // A dialog searching `view`; `replace` adds the replace field and buttons.
  CFindReplaceDlg(CCyrvertView& view, bool replace);

  // Switches between Find and Replace and prefills the search text.
  void Reset(bool replace, const QString& what);

 private slots:
  // "Find Next".
  void OnFindNext();
  // "Replace".
  void OnReplace();
  // "Replace All".
  void OnReplaceAll();

 private:
  CCyrvertView& m_view;              // searched view
  QLineEdit* m_pFind;                // text to find
  QLineEdit* m_pReplace;             // replacement
  QCheckBox* m_pWholeWord;           // whole words only
  QCheckBox* m_pMatchCase;           // case-sensitive
  QRadioButton* m_pUp;               // search backwards
  QRadioButton* m_pDown;             // search forwards
  QWidget* m_pReplaceRow;            // replace label and field
  QPushButton* m_pReplaceButton;     // "Replace"
  QPushButton* m_pReplaceAllButton;  // "Replace All"
  QWidget* m_pDirection;             // direction group (find only)
};

}  // namespace cyrvert
