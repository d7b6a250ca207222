// What the main frame needs of the application object around it: the Settings, the profile,
// the recent files, the message boxes and document prompts, and the event pumping of long
// commands. The application implements it; the frame never sees the application's class.
#pragma once

#include "commands/message_boxes.h"
#include "commands/settings.h"
#include "profile/profile_store.h"
#include "profile/recent_file_list.h"

namespace cyrvert {

class DocumentPrompts;

class AppServices {
 public:
  virtual ~AppServices() = default;

  // The current options, the one Settings record of the process; read again each time a value
  // is needed, never kept.
  virtual const Settings& CurrentSettings() const = 0;
  // Replaces the options (the options dialog's OK and Apply).
  virtual void SetSettings(const Settings& settings) = 0;
  // Writes the Settings to the profile.
  virtual void SaveSettings() = 0;
  // Whether .txt files open with this program.
  virtual bool IsTxtAssociated() const = 0;
  // Sets the flag and makes the desktop's association agree; a failed write changes only the
  // flag, which the next start reads again.
  virtual void SetTxtAssociated(bool associated) = 0;

  // Dispatches waiting events and refreshes the command states; false once the user asked
  // the program to quit.
  virtual bool PumpPendingMessages() = 0;
  // Asks the program to end as soon as no long command is running.
  virtual void PostQuitRequest() = 0;
  // Whether a long command is inside PumpPendingMessages right now.
  virtual bool IsPumping() const = 0;

  // The profile store.
  virtual ProfileStore& Store() = 0;
  // The recently used files.
  virtual CRecentFileList& RecentFiles() = 0;
  // Message boxes.
  virtual MessageBoxes& Boxes() = 0;
  // The questions documents ask.
  virtual DocumentPrompts& Prompts() = 0;
};

}  // namespace cyrvert
