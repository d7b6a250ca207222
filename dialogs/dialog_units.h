// Dialog layouts are given in dialog units: a quarter of the font's average letter width
// horizontally, an eighth of its height vertically.
#pragma once

#include <QFontMetrics>
#include <QRect>
#include <QWidget>

namespace cyrvert::detail {

// Converts dialog units of `widget`'s font to pixels.
class DialogUnits {
 public:
  explicit DialogUnits(const QWidget& widget)
      : m_width(AverageLetterWidth(QFontMetrics(widget.font()))),
        m_height(QFontMetrics(widget.font()).height()) {}
  // Horizontal dialog units to pixels.
  int X(int units) const { return units * m_width / 4; }
  // Vertical dialog units to pixels.
  int Y(int units) const { return units * m_height / 8; }
  // A rectangle (x, y, width, height) in dialog units, in pixels.
  QRect Rect(int x, int y, int width, int height) const {
    return {X(x), Y(y), X(width), Y(height)};
  }

 private:
  // The mean advance of the 52 Latin letters, rounded: the horizontal base unit.
  static int AverageLetterWidth(const QFontMetrics& metrics) {
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return (letters / 26 + 1) / 2;
  }

  int m_width;
  int m_height;
};

}  // namespace cyrvert::detail
