#include "docview/find_replace_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "docview/cyrvert_doc.h"
#include "docview/cyrvert_view.h"
#include "docview/document_prompts.h"
#include "resources/strings.h"

namespace cyrvert {

CFindReplaceDlg::CFindReplaceDlg(CCyrvertView& view, bool replace) : QDialog(&view), m_view(view) {
  m_pFind = new QLineEdit(this);
  m_pReplace = new QLineEdit(this);
  m_pWholeWord = new QCheckBox(tr("Match &whole word only"), this);
  m_pMatchCase = new QCheckBox(tr("Match &case"), this);
  m_pUp = new QRadioButton(tr("&Up"), this);
  m_pDown = new QRadioButton(tr("&Down"), this);
  m_pDown->setChecked(true);

  auto* find_label = new QLabel(tr("Fi&nd what:"), this);
  find_label->setBuddy(m_pFind);
  m_pReplaceRow = new QWidget(this);
  auto* replace_label = new QLabel(tr("Re&place with:"), m_pReplaceRow);
  replace_label->setBuddy(m_pReplace);
  auto* replace_row = new QHBoxLayout(m_pReplaceRow);
  replace_row->setContentsMargins(0, 0, 0, 0);
  replace_row->addWidget(replace_label);
  replace_row->addWidget(m_pReplace);

  auto* direction = new QGroupBox(tr("Direction"), this);
  auto* direction_layout = new QHBoxLayout(direction);
  direction_layout->addWidget(m_pUp);
  direction_layout->addWidget(m_pDown);
  m_pDirection = direction;

  auto* find_next = new QPushButton(tr("&Find Next"), this);
  find_next->setDefault(true);
  m_pReplaceButton = new QPushButton(tr("&Replace"), this);
  m_pReplaceAllButton = new QPushButton(tr("Replace &All"), this);
  auto* cancel = new QPushButton(tr("Cancel"), this);

  auto* fields = new QGridLayout;
  fields->addWidget(find_label, 0, 0);
  fields->addWidget(m_pFind, 0, 1);
  fields->addWidget(m_pReplaceRow, 1, 0, 1, 2);
  fields->addWidget(m_pWholeWord, 2, 0, 1, 2);
  fields->addWidget(m_pMatchCase, 3, 0, 1, 2);
  fields->addWidget(m_pDirection, 4, 0, 1, 2);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(find_next);
  buttons->addWidget(m_pReplaceButton);
  buttons->addWidget(m_pReplaceAllButton);
  buttons->addWidget(cancel);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(buttons);

  connect(find_next, &QPushButton::clicked, this, &CFindReplaceDlg::OnFindNext);
  connect(m_pReplaceButton, &QPushButton::clicked, this, &CFindReplaceDlg::OnReplace);
  connect(m_pReplaceAllButton, &QPushButton::clicked, this, &CFindReplaceDlg::OnReplaceAll);
  connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
  Reset(replace, QString());
}

void CFindReplaceDlg::Reset(bool replace, const QString& what) {
  setWindowTitle(replace ? tr("Replace") : tr("Find"));
  m_pReplaceRow->setVisible(replace);
  m_pReplaceButton->setVisible(replace);
  m_pReplaceAllButton->setVisible(replace);
  m_pDirection->setVisible(!replace);
  if (!what.isEmpty()) m_pFind->setText(what);
  m_pFind->selectAll();
  m_pFind->setFocus();
}

void CFindReplaceDlg::OnFindNext() {
  const bool forward = m_pDirection->isHidden() || m_pDown->isChecked();
  if (!m_view.FindText(m_pFind->text(), m_pMatchCase->isChecked(), m_pWholeWord->isChecked(),
                       forward)) {
    QApplication::beep();
  }
}

void CFindReplaceDlg::OnReplace() {
  if (!m_view.ReplaceSelection(m_pFind->text(), m_pReplace->text(), m_pMatchCase->isChecked(),
                               m_pWholeWord->isChecked())) {
    QApplication::beep();
  }
}

void CFindReplaceDlg::OnReplaceAll() {
  const int replaced = m_view.ReplaceAll(m_pFind->text(), m_pReplace->text(),
                                         m_pMatchCase->isChecked(), m_pWholeWord->isChecked());
  if (replaced == CCyrvertView::kNoMemoryForReplace && m_view.GetDocument() != nullptr) {
    m_view.GetDocument()->Prompts().ShowError(this, QString::fromUtf8(strings::kNotEnoughMemory));
  } else if (replaced <= 0) {
    QApplication::beep();
  }
}

}  // namespace cyrvert
