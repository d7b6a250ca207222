// A static text that works as a link: link colour, underline, hand cursor, its target as
// tooltip, and a click opens the target (with the web-page handler as fallback).
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <optional>

#include "commands/message_boxes.h"
#include "dialogs/link_opener.h"

namespace cyrvert {

class CUrlStatic : public QLabel {
  Q_OBJECT

 public:
  // A link showing `text` that opens `target`; an empty target is the text, an empty text
  // shows the target. The opener and the message boxes must outlive the control.
  CUrlStatic(const QString& text, const QString& target, LinkOpener& opener, MessageBoxes& boxes,
             QWidget* parent = nullptr);

  // Sets what a click opens; refits the control and its tooltip. The text stays.
  void SetTarget(const QString& target);
  // Draws the text underlined or not.
  void SetUnderlined(bool underlined);
  // Draws the text in the visited colour or the link colour.
  void MarkVisited(bool visited);
  // Whether the control resizes itself to its text (on by default).
  void SetFitToText(bool fit) { m_fitToText = fit; }
  // Shrinks or grows the control to its text, keeping its alignment's edge or centre.
  void FitToText();
  // Opens the target as a click does: visited once something opened, else the error message.
  void OnClicked();
  // Whether an open is under way (the desktop has not answered yet).
  bool IsOpening() const { return m_opening; }

  const QString& Target() const { return m_target; }
  bool IsVisited() const { return m_visited; }
  bool IsUnderlined() const { return m_underlined; }
  // The colour the text is drawn in now.
  QColor TextColor() const { return m_visited ? m_visitedColor : m_linkColor; }
  // The font the text is drawn with now.
  QFont DrawingFont();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Takes the answer of an open: visited, or the error message.
  void OnOpened(int result);
  // Shows the message box for a failed open with `code`.
  void ShowOpenError(int code);

  QColor m_linkColor{0, 0, 238};
  QColor m_visitedColor{85, 26, 139};
  bool m_visited = false;
  bool m_underlined = true;
  bool m_fitToText = true;
  bool m_opening = false;  // an open waits for the desktop's answer
  QString m_target;
  std::optional<QFont> m_underlineFont;  // made on the first underlined paint
  LinkOpener& m_opener;
  MessageBoxes& m_boxes;
};

}  // namespace cyrvert
