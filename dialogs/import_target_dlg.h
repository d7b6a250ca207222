// The question where an import result goes.
#pragma once

#include <QDialog>

class QPushButton;

namespace cyrvert {

// Modal dialog 138: "В файл" (the default, choice 0), "В новое окно" (choice 1) or Cancel.
class CImportTargetDlg : public QDialog {
  Q_OBJECT

 public:
  // Control ids of the three buttons.
  static constexpr int kIdToFile = 1039;
  static constexpr int kIdToWindow = 1040;
  static constexpr int kIdCancel = 2;
  // The choices.
  static constexpr int kToFile = 0;
  static constexpr int kToWindow = 1;

  explicit CImportTargetDlg(QWidget* parent = nullptr);

  // The choice made before the dialog was accepted; kToFile until then.
  int Choice() const { return m_nChoice; }
  // The button with a control id, or null.
  QPushButton* Button(int id) const;

 private:
  int m_nChoice = kToFile;
};

}  // namespace cyrvert
