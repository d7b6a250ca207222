// The wait window shown while a transport conversion runs, with a looping animation.
#pragma once

#include <QDialog>
#include <QEventLoop>
#include <QWidget>
#include <atomic>
#include <exception>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

class QTimer;

namespace cyrvert {

// The animation control: a short silent clip of 29 frames, 80 x 48 pixels, 6 frames per
// second, looping from the moment it is shown.
class CAnimateCtrl : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kFrameCount = 29;
  static constexpr int kFrameWidth = 80;
  static constexpr int kFrameHeight = 48;
  static constexpr int kFramesPerSecond = 6;

  explicit CAnimateCtrl(QWidget* parent = nullptr);

  // Index of the frame on screen (0..28).
  int Frame() const { return m_nFrame.load(); }
  // Frames shown since the clip started; safe to read from any thread.
  int FramesShown() const { return m_nShown.load(); }
  // Whether the clip is playing.
  bool IsPlaying() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QTimer* m_timer;
  std::atomic<int> m_nFrame{0};
  std::atomic<int> m_nShown{0};
};

// Runs `work` on a worker thread and returns its result; meanwhile this thread handles
// timers and painting but no user input, so animations move and no command can start.
template <typename Work>
std::invoke_result_t<Work&> RunOnWorkerThread(Work&& work) {
  using Result = std::invoke_result_t<Work&>;
  QEventLoop loop;
  std::exception_ptr failure;
  std::conditional_t<std::is_void_v<Result>, bool, std::optional<Result>> result{};
  std::thread worker([&] {
    try {
      if constexpr (std::is_void_v<Result>) {
        work();
      } else {
        result.emplace(work());
      }
    } catch (...) {
      failure = std::current_exception();
    }
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  worker.join();
  if (failure) std::rethrow_exception(failure);
  if constexpr (!std::is_void_v<Result>) return std::move(*result);
}

// Modeless dialog 141, "Wait please": the animation and nothing else. Transport commands
// show it, run their conversion through RunOnWorkerThread, and destroy it before any
// message box.
class CWaitDlg : public QDialog {
  Q_OBJECT

 public:
  // Control id of the animation.
  static constexpr int kIdAnimate = 1050;

  explicit CWaitDlg(QWidget* parent = nullptr);

  // The animation control.
  CAnimateCtrl* Animation() const { return m_wndAnimate; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  CAnimateCtrl* m_wndAnimate;
};

}  // namespace cyrvert
