#include "dialogs/translate_dlg.h"

#include <QPushButton>
#include <array>

#include "dialogs/dialog_units.h"
#include "engine/code_page.h"

namespace cyrvert {
namespace detail {
namespace {

// A direction button: its control id, its place, and the conversion it chooses; its text
// names the conversion's pages.
struct DirectionButton {
  int id;
  int x;
  int y;
  int direction;
};

// DOS and WINDOWS sources on the left, KOI8-R and ISO sources on the right.
constexpr std::array<DirectionButton, 12> kDirectionButtons = {{
    {1000, 17, 7, kD2K},
    {1001, 17, 26, kD2W},
    {1002, 17, 45, kD2I},
    {1003, 17, 74, kW2D},
    {1004, 17, 93, kW2K},
    {1005, 17, 112, kW2I},
    {1006, 137, 7, kK2W},
    {1007, 138, 26, kK2D},
    {1008, 138, 45, kK2I},
    {1009, 138, 74, kI2D},
    {1010, 138, 93, kI2W},
    {1011, 138, 112, kI2K},
}};

constexpr int kButtonWidth = 79;
constexpr int kButtonHeight = 19;

// "DOS -> KOI8-R": the labels of the conversion's pages.
QString DirectionText(int direction) {
  const auto label = [](int page) {
    const std::string_view text = PageNames(page)->label;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  };
  return label(ConversionSource(direction)) + QStringLiteral(" -> ") +
         label(ConversionTarget(direction));
}

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
        detail::MakeButton(this, b.id, detail::DirectionText(b.direction),
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
