// Message boxes behind a narrow interface, so dialog and frame logic can be tested without
// a modal box waiting for a click. Header-only: the dialogs use it without linking the app.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QWidget>

namespace cyrvert {

// The icon of a message box: errors carry the stop icon, warnings the exclamation icon.
enum class BoxIcon { kStop, kExclamation, kInformation };

// Shows modal messages with one OK button.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows `text` under `caption` and returns when the user has closed it.
  virtual void Show(QWidget* parent, const QString& text, const QString& caption, BoxIcon icon) = 0;
};

// The real boxes: QMessageBox with a single OK button.
class QtMessageBoxes final : public MessageBoxes {
 public:
  void Show(QWidget* parent, const QString& text, const QString& caption, BoxIcon icon) override {
    const QMessageBox::Icon kind = icon == BoxIcon::kStop          ? QMessageBox::Critical
                                   : icon == BoxIcon::kExclamation ? QMessageBox::Warning
                                                                   : QMessageBox::Information;
    QMessageBox box(kind, caption, text, QMessageBox::Ok, parent);
    box.exec();
  }
};

}  // namespace cyrvert
