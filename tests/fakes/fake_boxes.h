// A message-box sink: records texts and icons instead of showing them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "commands/message_boxes.h"

namespace cyrvert::test {

class FakeBoxes final : public MessageBoxes {
 public:
  void ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon) override {
    texts.emplace_back(text);
    captions.emplace_back(caption);
    icons.push_back(icon);
  }
  std::vector<std::string> texts;
  std::vector<std::string> captions;
  std::vector<MessageIcon> icons;
};

}  // namespace cyrvert::test
