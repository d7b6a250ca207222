#include "docview/document_prompts.h"

#include <QFileDialog>
#include <QMessageBox>

#include "resources/strings.h"

namespace cyrvert {

SaveAnswer QtDocumentPrompts::AskToSave(QWidget* parent, const QString& title) {
  const auto answer =
      QMessageBox::question(parent, QString::fromUtf8(strings::kAppTitle),
                            QString::fromUtf8(strings::kAskToSave).arg(title),
                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  if (answer == QMessageBox::Yes) return SaveAnswer::kYes;
  if (answer == QMessageBox::No) return SaveAnswer::kNo;
  return SaveAnswer::kCancel;
}

QString QtDocumentPrompts::AskSavePath(QWidget* parent, const QString& suggested) {
  QFileDialog dialog(parent, QString(), suggested, QLatin1String(kDocumentFileFilter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QLatin1String(kDocumentExtension).mid(1));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

QString QtDocumentPrompts::AskOpenPath(QWidget* parent) {
  return QFileDialog::getOpenFileName(parent, QString(), QString(),
                                      QLatin1String(kOpenFileFilters));
}

void QtDocumentPrompts::ShowError(QWidget* parent, const QString& text) {
  QMessageBox::critical(parent, QString::fromUtf8(strings::kAppTitle), text);
}

}  // namespace cyrvert
