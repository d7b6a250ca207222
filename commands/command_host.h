// What the engine commands need of the windows around them. The editor implements these
// with its view, frame and dialogs; tests implement them with plain fakes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/message_boxes.h"
#include "commands/settings.h"
#include "engine/variant_search.h"

namespace cyrvert {

// One document window as the commands see it.
class DocumentHost {
 public:
  virtual ~DocumentHost() = default;
  // The whole text of the view, byte for byte.
  virtual std::string GetViewText() const = 0;
  // Replaces the whole text of the view; false when it could not (memory ran out), and the
  // view is then empty.
  virtual bool PutViewText(std::string_view text) = 0;
  // The document's title (UTF-8).
  virtual std::string Title() const = 0;
  // Renames the document.
  virtual void SetTitle(std::string_view title) = 0;
  // Sets or clears the document's modified flag.
  virtual void SetModified(bool modified) = 0;
  // Switches the view's read-only mode.
  virtual void SetReadOnly(bool read_only) = 0;
  // Allows or forbids closing the window (and greys its Close items).
  virtual void SetCloseAllowed(bool allowed) = 0;
  // Repaints the view at once.
  virtual void Redraw() = 0;
  // Closes the window without asking (a result window that could not be filled).
  virtual void CloseWindow() = 0;
};

// The application, main frame and dialogs as the commands see them; its message boxes are
// the ones the commands show.
class CommandHost : public MessageBoxes {
 public:
  // Opens a new empty document window and makes it active; null if none could be made.
  virtual DocumentHost* OpenNewDocumentWindow() = 0;
  // A beep of `hertz` for `milliseconds`.
  virtual void Beep(int hertz, int milliseconds) = 0;
  // The current options; read again each time a value is needed, never kept.
  virtual const Settings& CurrentSettings() const = 0;
  // Dispatches waiting events; false when the program is quitting.
  virtual bool PumpPendingMessages() = 0;
  // Passes a quit request met during a run on to the main event loop.
  virtual void PostQuit() = 0;
  // Whether the main window is minimised.
  virtual bool IsMinimised() const = 0;

  // The main frame's busy flag; setting it refreshes the command states.
  virtual void SetEngineBusy(bool busy) = 0;
  // The main frame's stop flag, set by Stop and by the progress window's Cancel.
  virtual bool StopRequested() const = 0;
  // Clears the stop flag at the start of a run.
  virtual void ClearStopRequest() = 0;

  // Opens the search progress window with a range and a position.
  virtual void OpenProgress(int lower, int upper, int position) = 0;
  // Moves the progress window's bar.
  virtual void SetProgress(int position) = 0;
  // Closes the progress window.
  virtual void CloseProgress() = 0;

  // Shows the variant list modally; `open` opens a picked Variant in a new window.
  virtual void ShowVariantList(const std::vector<std::string>& previews,
                               const std::vector<Variant>& variants,
                               const std::function<void(const Variant&)>& open) = 0;

  // Makes `block` `size` bytes long; false when the memory cannot be had.
  virtual bool Allocate(std::string& block, std::size_t size);
};

}  // namespace cyrvert
