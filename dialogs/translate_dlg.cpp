#include "dialogs/translate_dlg.h"

#include <QPushButton>
#include <array>

#include "dialogs/dialog_units.h"

namespace cyrvert {
namespace detail {
namespace {

struct DirectionButton {
  int id;
  const char* text;
  int x;
  int y;
  int direction;
};

// DOS and WINDOWS sources on the left, KOI8-R and ISO sources on the right.
constexpr std::array<DirectionButton, 12> kDirectionButtons = {{
    {1000, "DOS -> KOI8-R", 17, 7, 0},
    {1001, "DOS -> WINDOWS", 17, 26, 2},
    {1002, "DOS -> ISO", 17, 45, 6},
    {1003, "WINDOWS -> DOS", 17, 74, 3},
    {1004, "WINDOWS -> KOI8-R", 17, 93, 4},
    {1005, "WINDOWS -> ISO", 17, 112, 10},
    {1006, "KOI8-R -> WINDOWS", 137, 7, 5},
    {1007, "KOI8-R -> DOS", 138, 26, 1},
    {1008, "KOI8-R -> ISO", 138, 45, 8},
    {1009, "ISO -> DOS", 138, 74, 7},
    {1010, "ISO -> WINDOWS", 138, 93, 11},
    {1011, "ISO -> KOI8-R", 138, 112, 9},
}};

constexpr int kButtonWidth = 79;
constexpr int kButtonHeight = 19;

// A push button that Enter presses while it has the focus, named by its control id.
QPushButton* MakeButton(QWidget* parent, int id, const QString& text, const QRect& where) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::number(id));
  button->setAutoDefault(true);
  button->setDefault(false);
  button->setGeometry(where);
  return button;
}

}  // namespace
}  // namespace detail

CTranslateDlg::CTranslateDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  const detail::DialogUnits du(*this);
  setFixedSize(du.X(235), du.Y(166));
  setModal(true);

  // "Отмена" comes first in the tab order, so the focus starts on it.
  QPushButton* cancel =
      detail::MakeButton(this, kIdCancel, QStringLiteral("Отмена"), du.Rect(58, 148, 120, 14));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  QWidget* previous = cancel;
  for (const detail::DirectionButton& b : detail::kDirectionButtons) {
    QPushButton* button =
        detail::MakeButton(this, b.id, QString::fromLatin1(b.text),
                           du.Rect(b.x, b.y, detail::kButtonWidth, detail::kButtonHeight));
    const int direction = b.direction;
    connect(button, &QPushButton::clicked, this, [this, direction] {
      m_nDirection = direction;
      accept();
    });
    setTabOrder(previous, button);
    previous = button;
  }
  cancel->setFocus();
}

void CTranslateDlg::accept() {
  if (m_nDirection == kNoDirection) {
    reject();
    return;
  }
  QDialog::accept();
}

QPushButton* CTranslateDlg::Button(int id) const {
  return findChild<QPushButton*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

}  // namespace cyrvert
