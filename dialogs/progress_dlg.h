// The progress window of the variant search.
#pragma once

#include <QDialog>
#include <functional>

class QProgressBar;
class QPushButton;

namespace cyrvert {

// Modeless dialog 132: a bar over the whole window and a hidden default Cancel. Enter, Esc
// and that Cancel do not close it: they ask the running search to stop.
class CProgressDlg : public QDialog {
  Q_OBJECT

 public:
  // Control ids of the bar and the hidden Cancel.
  static constexpr int kIdProgress = 1024;
  static constexpr int kIdCancel = 2;

  // `on_cancel` sets the main frame's stop request.
  explicit CProgressDlg(std::function<void()> on_cancel, QWidget* parent = nullptr);

  // Sets the bar's range.
  void SetRange(int lower, int upper);
  // Moves the bar.
  void SetPos(int position);
  // The bar.
  QProgressBar* Bar() const { return m_wndProgress; }

 public slots:
  // Esc: a stop request, the window stays.
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  std::function<void()> m_onCancel;
  QProgressBar* m_wndProgress;
};

}  // namespace cyrvert
