// The questions and messages a document puts to the user, behind an interface so that tests
// can answer them without a modal dialog.
#pragma once

#include <QString>

class QWidget;

namespace cyrvert {

// Answer to "save changes?".
enum class SaveAnswer { kYes, kNo, kCancel };

class DocumentPrompts {
 public:
  virtual ~DocumentPrompts() = default;
  // Asks whether to save the changes of the document titled `title`.
  virtual SaveAnswer AskToSave(QWidget* parent, const QString& title) = 0;
  // Asks for a file name to save under; empty when cancelled.
  virtual QString AskSavePath(QWidget* parent, const QString& suggested) = 0;
  // Asks for a file to open; empty when cancelled.
  virtual QString AskOpenPath(QWidget* parent) = 0;
  // Shows a failure with an OK button and the stop icon.
  virtual void ShowError(QWidget* parent, const QString& text) = 0;
};

// The real questions: message boxes and file dialogs.
class QtDocumentPrompts : public DocumentPrompts {
 public:
  // Yes / No / Cancel message box.
  SaveAnswer AskToSave(QWidget* parent, const QString& title) override;
  // Save file dialog with the document filter.
  QString AskSavePath(QWidget* parent, const QString& suggested) override;
  // Open file dialog with the document filter.
  QString AskOpenPath(QWidget* parent) override;
  // Critical message box.
  void ShowError(QWidget* parent, const QString& text) override;
};

// Filter of the file dialogs.
inline constexpr const char* kDocumentFileFilter = "CyrvertText (*.txt)";
// Filters of the open dialog: the documents' own, then every file (texts rarely end in .txt
// on Linux).
inline constexpr const char* kOpenFileFilters = "CyrvertText (*.txt);;All files (*)";
// Extension added to a saved file name that has none.
inline constexpr const char* kDocumentExtension = ".txt";
// Base of new documents' titles; a running number follows.
inline constexpr const char* kUntitledBase = "Cyrvert";

}  // namespace cyrvert
