// The real message boxes: QMessageBox with a single OK button.
#pragma once

#include <functional>

#include "commands/message_boxes.h"

class QWidget;

namespace cyrvert {

// Shows each box over the window it belongs to, as the owner source names it (the view or
// dialog a command ran for); without one, over the active window.
class QtMessageBoxes final : public MessageBoxes {
 public:
  // The window the next box belongs to; null when none is known.
  using OwnerSource = std::function<QWidget*()>;

  void ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
  // Sets where boxes are parented from now on.
  void SetOwnerSource(OwnerSource owner) { m_owner = std::move(owner); }

 private:
  OwnerSource m_owner;
};

}  // namespace cyrvert
