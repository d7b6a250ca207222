// The direction picker of the translate command.
#pragma once

#include <QDialog>

class QPushButton;

namespace cyrvert {

// Modal dialog 130: twelve direction buttons and "Отмена". Accepted only after a direction
// button was pressed, with Direction() set to its conversion.
class CTranslateDlg : public QDialog {
  Q_OBJECT

 public:
  // Id of the "Отмена" button.
  static constexpr int kIdCancel = 2;
  // Direction() before any direction button was pressed.
  static constexpr int kNoDirection = -1;

  explicit CTranslateDlg(QWidget* parent = nullptr);

  // The conversion (0..11) chosen, or kNoDirection.
  int Direction() const { return m_nDirection; }
  // The button with a control id (1000..1011 or 2), or null.
  QPushButton* Button(int id) const;

 public slots:
  // Closes with Accepted only once a direction was chosen; otherwise as cancelled.
  void accept() override;

 private:
  int m_nDirection = kNoDirection;
};

}  // namespace cyrvert
