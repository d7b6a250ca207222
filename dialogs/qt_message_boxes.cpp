#include "dialogs/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace cyrvert {

void QtMessageBoxes::ShowMessage(std::string_view text, std::string_view caption,
                                 MessageIcon icon) {
  const QMessageBox::Icon kind = icon == MessageIcon::kStop          ? QMessageBox::Critical
                                 : icon == MessageIcon::kExclamation ? QMessageBox::Warning
                                                                     : QMessageBox::Information;
  QWidget* owner = m_owner ? m_owner() : nullptr;
  QMessageBox box(kind, QString::fromUtf8(caption), QString::fromUtf8(text), QMessageBox::Ok,
                  owner != nullptr ? owner : QApplication::activeWindow());
  box.exec();
}

}  // namespace cyrvert
