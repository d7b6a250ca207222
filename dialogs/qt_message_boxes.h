// The real message boxes: QMessageBox with a single OK button.
#pragma once

#include "commands/message_boxes.h"

namespace cyrvert {

// Shows each box over the active window (the dialog or main window that asked for it).
class QtMessageBoxes final : public MessageBoxes {
 public:
  void ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
};

}  // namespace cyrvert
