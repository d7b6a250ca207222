#include "dialogs/progress_dlg.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <utility>

#include "dialogs/dialog_units.h"

namespace cyrvert {

CProgressDlg::CProgressDlg(std::function<void()> on_cancel, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_onCancel(std::move(on_cancel)),
      m_wndProgress(new QProgressBar(this)) {
  setWindowTitle(QStringLiteral("Поиск вариантов перекодировки"));
  const detail::DialogUnits du(*this);
  setFixedSize(du.X(167), du.Y(20));

  m_wndProgress->setObjectName(QString::number(kIdProgress));
  m_wndProgress->setGeometry(0, 0, du.X(167), du.Y(20));
  m_wndProgress->setTextVisible(false);

  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QString::number(kIdCancel));
  cancel->setGeometry(du.Rect(73, 7, 50, 6));
  cancel->setDefault(true);
  cancel->hide();
  connect(cancel, &QPushButton::clicked, this, &CProgressDlg::reject);
}

void CProgressDlg::SetRange(int lower, int upper) { m_wndProgress->setRange(lower, upper); }

void CProgressDlg::SetPos(int position) { m_wndProgress->setValue(position); }

void CProgressDlg::reject() {
  if (m_onCancel) m_onCancel();
}

void CProgressDlg::keyPressEvent(QKeyEvent* event) {
  // The hidden default button takes Enter; a hidden button never gets it from QDialog.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    reject();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CProgressDlg::closeEvent(QCloseEvent* event) {
  // The search owns the window; a close from the window manager counts as Cancel.
  if (event->spontaneous()) {
    event->ignore();
    reject();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace cyrvert
