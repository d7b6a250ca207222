#include "dialogs/import_target_dlg.h"

#include <QPushButton>

#include "dialogs/dialog_units.h"

namespace cyrvert {

CImportTargetDlg::CImportTargetDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Выберите куда выдывать результаты импорта"));
  setModal(true);
  const detail::DialogUnits du(*this);
  setFixedSize(du.X(225), du.Y(34));

  struct ButtonDef {
    int id;
    QString text;
    int x;
    int choice;  // -1: cancel
  };
  const ButtonDef buttons[] = {
      {kIdToFile, QStringLiteral("В файл"), 7, kToFile},
      {kIdToWindow, QStringLiteral("В новое окно"), 80, kToWindow},
      {kIdCancel, QStringLiteral("Cancel"), 153, -1},
  };
  for (const ButtonDef& def : buttons) {
    auto* button = new QPushButton(def.text, this);
    button->setObjectName(QString::number(def.id));
    button->setGeometry(du.Rect(def.x, 10, 64, 14));
    if (def.choice < 0) {
      connect(button, &QPushButton::clicked, this, &QDialog::reject);
      continue;
    }
    const int choice = def.choice;
    connect(button, &QPushButton::clicked, this, [this, choice] {
      m_nChoice = choice;
      accept();
    });
  }
  Button(kIdToFile)->setDefault(true);
  Button(kIdToFile)->setFocus();
}

QPushButton* CImportTargetDlg::Button(int id) const {
  return findChild<QPushButton*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

}  // namespace cyrvert
