#include "dialogs/url_static.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "resources/strings.h"

namespace cyrvert {

CUrlStatic::CUrlStatic(const QString& text, const QString& target, LinkOpener& opener,
                       MessageBoxes& boxes, QWidget* parent)
    : QLabel(text, parent), m_target(target), m_opener(opener), m_boxes(boxes) {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  if (m_target.isEmpty()) m_target = text;
  if (text.isEmpty()) setText(m_target);
  FitToText();
  setCursor(Qt::PointingHandCursor);
  setToolTip(m_target);
}

void CUrlStatic::SetTarget(const QString& target) {
  m_target = target;
  FitToText();
  setToolTip(m_target);
}

void CUrlStatic::SetUnderlined(bool underlined) {
  m_underlined = underlined;
  update();
}

void CUrlStatic::MarkVisited(bool visited) {
  m_visited = visited;
  update();
}

void CUrlStatic::FitToText() {
  if (!m_fitToText) return;
  const QSize extent = QFontMetrics(font()).size(Qt::TextSingleLine, text());
  // Edges as left/top inclusive, right/bottom exclusive.
  int left = x();
  int top = y();
  int right = left + width();
  int bottom = top + height();
  if (alignment() & Qt::AlignVCenter) {
    const int shift = (height() - extent.height()) / 2;
    top += shift;
    bottom -= shift;
  } else {
    bottom = top + extent.height();
  }
  if (alignment() & Qt::AlignHCenter) {
    const int shift = (width() - extent.width()) / 2;
    left += shift;
    right -= shift;
  } else if (alignment() & Qt::AlignRight) {
    left = right - extent.width();
  } else {
    right = left + extent.width();
  }
  setGeometry(left, top, right - left, bottom - top);
}

QFont CUrlStatic::DrawingFont() {
  if (!m_underlined) return font();
  if (!m_underlineFont) {
    m_underlineFont = font();
    m_underlineFont->setUnderline(true);
  }
  return *m_underlineFont;
}

void CUrlStatic::paintEvent(QPaintEvent*) {
  // No background of its own: the dialog shows through.
  QPainter painter(this);
  painter.setPen(TextColor());
  painter.setFont(DrawingFont());
  painter.drawText(contentsRect(), static_cast<int>(alignment()), text());
}

void CUrlStatic::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    OnClicked();
  }
  QLabel::mouseReleaseEvent(event);
}

void CUrlStatic::OnClicked() {
  // One open at a time: the desktop may take a moment to answer.
  if (m_opening) return;
  m_opening = true;
  setCursor(Qt::BusyCursor);
  const QPointer<CUrlStatic> self(this);
  OpenTarget(m_opener, m_target, [self](int result) {
    if (self) self->OnOpened(result);
  });
}

void CUrlStatic::OnOpened(int result) {
  m_opening = false;
  setCursor(Qt::PointingHandCursor);
  // Visited only when something opened; a failed open goes back to the link colour at the
  // next paint.
  m_visited = result >= kOpenSucceeded;
  if (m_visited) {
    MarkVisited(true);
  } else {
    ShowOpenError(result);
  }
}

void CUrlStatic::ShowOpenError(int code) {
  m_boxes.ShowMessage(OpenErrorText(code).toStdString(), strings::kAppTitle,
                      MessageIcon::kExclamation);
}

}  // namespace cyrvert
