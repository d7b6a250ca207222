// The import and export commands of a document window: take the view's whole text,
// convert it while the wait window shows, and deliver the result to a new window or a file.
// Windows, dialogs and files are reached through CommandHost and TransportUi, so the rules
// here run without a display.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "commands/command_host.h"
#include "engine/engine_status.h"
#include "resources/strings.h"
#include "transport/transport_format.h"

namespace cyrvert {

// Which way a transport command converts.
enum class TransportDirection { kImport, kExport };

// One command of the "Import from..." and "Export to..." submenus.
struct TransportCommandId {
  TransportDirection direction;
  TransportFormat format;
  bool operator==(const TransportCommandId&) const = default;
};

// The import command of `format`.
constexpr TransportCommandId ImportFrom(TransportFormat format) {
  return {TransportDirection::kImport, format};
}
// The export command of `format`.
constexpr TransportCommandId ExportTo(TransportFormat format) {
  return {TransportDirection::kExport, format};
}

// Where a command's result goes.
enum class Delivery {
  kNewWindow,        // always a new window
  kByImportSetting,  // file, new window or ask, as the Import setting says
  kAlwaysAsk,        // the output-choice dialog every time
};

// One transport command as the editor offers it.
struct TransportMenuEntry {
  const char* text;    // menu text
  const char* prompt;  // status-bar prompt
  Delivery delivery;
  std::string_view cancel;  // shown when the delivery is cancelled; empty when it cannot be
  std::string_view cancel_caption;
};

// The import and export commands of one encoding.
struct TransportCommands {
  TransportFormat format;
  TransportMenuEntry import_entry;
  TransportMenuEntry export_entry;
};

// The menu entries of every encoding, in TransportFormat order.
inline constexpr std::array<TransportCommands, kTransportFormatCount> kTransportCommands = {{
    {TransportFormat::kUtf7,
     {"UTF-&7", "Import text from UTF-7", Delivery::kNewWindow, {}, {}},
     {"UTF-&7", "Export text to UTF-7", Delivery::kNewWindow, {}, {}}},
    {TransportFormat::kUtf8,
     {"UTF-&8", "Import text from UTF-8", Delivery::kNewWindow, {}, {}},
     {"UTF-&8", "Export text to UTF-8", Delivery::kAlwaysAsk, strings::kUtf8ExportCanceled,
      strings::kUtf8ExportCanceledCaption}},
    {TransportFormat::kQuotedPrintable,
     {"&Quoted-Printable", "Import text from Quoted-Printable", Delivery::kByImportSetting,
      strings::kImportCanceled, strings::kImportCanceledCaption},
     {"&Quoted-Printable", "Export text to Quoted-Printable", Delivery::kNewWindow, {}, {}}},
    {TransportFormat::kBase64,
     {"MIME &base64", "Import text from MIME base64", Delivery::kByImportSetting,
      strings::kImportCanceled, strings::kImportCanceledCaption},
     {"MIME &base64", "Export text to MIME base64", Delivery::kNewWindow, {}, {}}},
    {TransportFormat::kUu,
     {"&UUcode (uudecode)", "Import text from UUcode (uudecode)", Delivery::kByImportSetting,
      strings::kImportCanceled, strings::kImportCanceledCaption},
     {"&UUcode (uuencode)", "Export text to UUcode (uuencode)", Delivery::kNewWindow, {}, {}}},
    {TransportFormat::kUnix,
     {"U&nix", "Import text from Unix format (LF ->CR LF)", Delivery::kNewWindow, {}, {}},
     {"U&nix", "Export text to Unix format (CR LF -> LF)", Delivery::kNewWindow, {}, {}}},
}};

// The menu entry of command `id`.
constexpr const TransportMenuEntry& MenuEntry(TransportCommandId id) {
  const TransportCommands& commands = kTransportCommands[static_cast<std::size_t>(id.format)];
  return id.direction == TransportDirection::kImport ? commands.import_entry
                                                     : commands.export_entry;
}

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

// The "Auto..." import, which is not built: says so, and gives kNotImplemented.
EngineStatus AutoImportCommand(CommandHost& host);

}  // namespace cyrvert
