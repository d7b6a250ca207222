// A message-box sink for the widget tests: records texts instead of showing them.
#pragma once

#include <QStringList>

#include "app/message_boxes.h"

namespace cyrvert::test {

class FakeBoxes final : public MessageBoxes {
 public:
  void Show(QWidget*, const QString& text, const QString&, BoxIcon) override {
    texts.push_back(text);
  }
  QStringList texts;
};

}  // namespace cyrvert::test
