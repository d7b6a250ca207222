#include "dialogs/wait_dlg.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

#include "dialogs/dialog_units.h"

namespace cyrvert {
namespace detail {
namespace {

// Draws one frame of the clip: a letter travelling from one page to the other, changing
// its shape on the way.
void DrawClipFrame(QPainter& painter, int frame) {
  const QRect left(4, 8, 22, 32);
  const QRect right(54, 8, 22, 32);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::white);
  painter.drawRect(left);
  painter.drawRect(right);
  painter.setPen(QPen(Qt::gray, 1));
  for (int line = 0; line < 5; ++line) {
    const int y = 14 + line * 5;
    painter.drawLine(left.left() + 4, y, left.right() - 4, y);
    const int filled = (frame * 6 / CAnimateCtrl::kFrameCount + line) % 6;
    painter.drawLine(right.left() + 4, y, right.left() + 4 + filled * 2, y);
  }
  const int travel = right.left() - left.right() - 10;
  const int x = left.right() + 2 + travel * frame / (CAnimateCtrl::kFrameCount - 1);
  painter.setPen(QPen(Qt::darkBlue, 1));
  QFont font = painter.font();
  font.setPixelSize(12);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(
      QRect(x, 16, 12, 16), Qt::AlignCenter,
      frame < CAnimateCtrl::kFrameCount / 2 ? QStringLiteral("?") : QStringLiteral("Я"));
}

}  // namespace
}  // namespace detail

CAnimateCtrl::CAnimateCtrl(QWidget* parent) : QWidget(parent), m_timer(new QTimer(this)) {
  setAttribute(Qt::WA_TranslucentBackground);
  setMinimumSize(kFrameWidth, kFrameHeight);
  m_timer->setInterval(1000 / kFramesPerSecond);
  connect(m_timer, &QTimer::timeout, this, [this] {
    m_nFrame.store((m_nFrame.load() + 1) % kFrameCount);
    m_nShown.fetch_add(1);
    update();
  });
}

bool CAnimateCtrl::IsPlaying() const { return m_timer->isActive(); }

void CAnimateCtrl::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  m_nFrame.store(0);
  m_timer->start();
}

void CAnimateCtrl::hideEvent(QHideEvent* event) {
  m_timer->stop();
  QWidget::hideEvent(event);
}

void CAnimateCtrl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, false);
  // The clip is centred in the control.
  painter.translate((width() - kFrameWidth) / 2, (height() - kFrameHeight) / 2);
  detail::DrawClipFrame(painter, m_nFrame.load());
}

CWaitDlg::CWaitDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_wndAnimate(new CAnimateCtrl(this)) {
  setWindowTitle(QStringLiteral("Wait please"));
  const detail::DialogUnits du(*this);
  setFixedSize(du.X(118), du.Y(71));
  m_wndAnimate->setObjectName(QString::number(kIdAnimate));
  m_wndAnimate->setGeometry(du.Rect(19, 12, 79, 46));
}

void CWaitDlg::closeEvent(QCloseEvent* event) {
  // The command that opened the window closes it when its conversion is done.
  if (event->spontaneous()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void CWaitDlg::keyPressEvent(QKeyEvent* event) {
  // Esc would close a dialog; this one has nothing to cancel.
  if (event->key() == Qt::Key_Escape) return;
  QDialog::keyPressEvent(event);
}

}  // namespace cyrvert
