// Message boxes behind a narrow interface, so command, dialog and frame logic can be tested
// without a modal box waiting for a click.
#pragma once

#include <string_view>

namespace cyrvert {

// The icon of a message box: errors carry the stop icon, warnings the exclamation icon.
enum class MessageIcon { kStop, kExclamation, kInformation };

// Shows modal messages with one OK button.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows `text` under `caption` (both UTF-8) and returns when the user has closed it.
  virtual void ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
};

}  // namespace cyrvert
