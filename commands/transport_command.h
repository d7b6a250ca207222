// The thirteen import and export commands of a document window: take the view's whole text,
// convert it while the wait window shows, and deliver the result to a new window or a file.
// Windows, dialogs and files are reached through CommandHost and TransportUi, so the rules
// here run without a display.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "commands/command_host.h"
#include "engine/engine_status.h"

namespace cyrvert {

// The commands of the "Import from..." and "Export to..." submenus.
enum class TransportCommandId {
  kImportUtf7,
  kImportUtf8,
  kImportQuotedPrintable,
  kImportBase64,
  kImportUu,
  kImportUnix,
  kImportAuto,
  kExportUtf7,
  kExportUtf8,
  kExportQuotedPrintable,
  kExportBase64,
  kExportUu,
  kExportUnix,
};

// Where a result goes, as the output-choice dialog and the Import setting say.
enum class ResultTarget : int { kCancelled = -1, kFile = 0, kNewWindow = 1 };

// The outcome of writing a result to a file: empty `reason` when all was written.
struct SaveOutcome {
  std::string reason;  // the system's reason for the failure, or empty
  bool ok() const { return reason.empty(); }
};

// The wait window, the dialogs and the file system as the transport commands use them.
class TransportUi {
 public:
  virtual ~TransportUi() = default;
  // Shows the modeless wait window with its animation.
  virtual void OpenWaitWindow() = 0;
  // Destroys the wait window; nothing when none is shown.
  virtual void CloseWaitWindow() = 0;
  // Runs `conversion` to its end while the wait window keeps moving and no other command can
  // start; an exception it throws comes out of here.
  virtual void RunConversion(const std::function<void()>& conversion) = 0;
  // A reader of `view`'s whole text that RunConversion's work may call; the view is not
  // changed while it runs.
  virtual std::function<std::string()> TextReader(DocumentHost& view) {
    return [&view] { return view.GetViewText(); };
  }
  // Puts `text` into a new window's view; false when memory ran out.
  virtual bool PutText(DocumentHost& window, std::string_view text) {
    return window.PutViewText(text);
  }
  // The output-choice dialog: file, new window, or cancelled.
  virtual ResultTarget AskResultTarget() = 0;
  // A Save As dialog proposing `default_name` (UTF-8, may be empty) and asking before it
  // overwrites; the chosen path, or nothing when cancelled.
  virtual std::optional<std::string> AskSavePath(std::string_view default_name) = 0;
  // Writes `text` to `path` the way File Save writes a document.
  virtual SaveOutcome SaveText(const std::string& path, std::string_view text) = 0;
  // Refreshes the views of `source`'s document after a result window was opened from it.
  virtual void UpdateAllViews(DocumentHost& source) = 0;
};

// Runs command `id` on the whole text of `view`; kDone once the result is in a new window
// or in the file. The source view is never changed; every failure has been shown in a
// message box by the time this returns.
EngineStatus TransportCommand(TransportCommandId id, DocumentHost& view, CommandHost& host,
                              TransportUi& ui);

}  // namespace cyrvert
