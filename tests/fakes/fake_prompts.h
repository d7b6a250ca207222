// Answers the documents' questions without dialogs and records what was asked.
#pragma once

#include <QString>
#include <QStringList>

#include "docview/document_prompts.h"

namespace cyrvert::test {

class FakePrompts final : public DocumentPrompts {
 public:
  SaveAnswer AskToSave(QWidget*, const QString&) override {
    ++asked_to_save;
    return save_answer;
  }
  QString AskSavePath(QWidget*, const QString&) override { return save_path; }
  QString AskOpenPath(QWidget*) override { return {}; }
  void ShowError(QWidget*, const QString& text) override { errors << text; }

  SaveAnswer save_answer = SaveAnswer::kNo;  // the answer to every save question
  QString save_path;                         // the path every save dialog picks
  int asked_to_save = 0;
  QStringList errors;
};

}  // namespace cyrvert::test
