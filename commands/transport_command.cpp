#include "commands/transport_command.h"

#include <new>
#include <stdexcept>
#include <utility>

#include "engine/unicode_codec.h"
#include "resources/strings.h"
#include "transport/transport_commands.h"

namespace cyrvert {
namespace detail {
namespace {

// Runs the conversion of `id`; `title` is the source document's title in the text's code
// page, which the uuencode export writes on its begin line.
ImportResult Convert(TransportCommandId id, std::string_view text, std::string_view title) {
  if (id.direction == TransportDirection::kImport) return ImportText(id.format, text);
  return ImportResult{DecodeResult{DecodeError::kNone, 0, ExportText(id.format, text, title)}, {}};
}

// The document title (UTF-8) in the code page of the text it goes into.
std::string TitleInTextCodePage(const std::string& title) { return kViewCodec.FromUtf8(title); }

// The name a Save As dialog proposes for a decoded file: the last part of the name on the
// begin line, so that a name holding a path cannot lead the dialog into another folder.
std::string SuggestedFileName(std::string_view name) {
  const std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  if (name == "." || name == "..") return {};
  return kViewCodec.ToUtf8(name);
}

// The wait window of one run: shown unless the main window is minimised, closed before any
// message or dialog and on every way out.
class WaitWindow {
 public:
  WaitWindow(TransportUi& ui, bool show) : m_ui(ui), m_shown(show) {
    if (m_shown) m_ui.OpenWaitWindow();
  }
  ~WaitWindow() { Close(); }
  WaitWindow(const WaitWindow&) = delete;
  WaitWindow& operator=(const WaitWindow&) = delete;

  void Close() {
    if (!m_shown) return;
    m_shown = false;
    m_ui.CloseWaitWindow();
  }

 private:
  TransportUi& m_ui;
  bool m_shown;
};

// Where the Import setting sends a result; 2 asks the user.
ResultTarget TargetFromSetting(int import, TransportUi& ui) {
  switch (import) {
    case 0:
      return ResultTarget::kFile;
    case 1:
      return ResultTarget::kNewWindow;
    case 2:
      return ui.AskResultTarget();
    default:
      return ResultTarget::kCancelled;
  }
}

}  // namespace
}  // namespace detail

EngineStatus TransportCommand(TransportCommandId id, DocumentHost& view, CommandHost& host,
                              TransportUi& ui) {
  const TransportMenuEntry& rule = MenuEntry(id);
  const TransportFormatInfo& format = FormatInfo(id.format);
  const bool importing = id.direction == TransportDirection::kImport;
  const bool uu = id.format == TransportFormat::kUu;
  detail::WaitWindow wait(ui, !host.IsMinimised());

  // The text is taken and converted under the wait window; the copy of the source is freed
  // before the result is delivered.
  const std::function<std::string()> read = ui.TextReader(view);
  const std::string title = !importing && uu ? detail::TitleInTextCodePage(view.Title()) : "";
  ImportResult converted;
  bool empty = false;
  bool finished = false;
  try {
    ui.RunConversion([&] {
      const std::string text = read();
      empty = text.empty();
      if (!empty) converted = detail::Convert(id, text, title);
      finished = true;
    });
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  if (empty) {
    wait.Close();
    host.ShowMessage(strings::kNoText, strings::kAppTitle, MessageIcon::kStop);
    return EngineStatus::kNoText;
  }
  if (!finished) {
    wait.Close();
    host.ShowMessage(strings::kNotEnoughMemory, strings::kAppTitle, MessageIcon::kStop);
    return EngineStatus::kNoMemory;
  }
  if (!converted.result.ok()) {
    wait.Close();
    host.ShowMessage(format.decode_error, format.decode_caption, MessageIcon::kStop);
    return EngineStatus::kDecodeFailed;
  }

  ResultTarget target = ResultTarget::kNewWindow;
  if (rule.delivery != Delivery::kNewWindow) {
    const int import = host.CurrentSettings().Import;
    const bool asks = rule.delivery == Delivery::kAlwaysAsk || import == 0 || import == 2;
    if (asks) wait.Close();
    target = rule.delivery == Delivery::kAlwaysAsk ? ui.AskResultTarget()
                                                   : detail::TargetFromSetting(import, ui);
  }
  const auto cancelled = [&] {
    wait.Close();
    host.ShowMessage(rule.cancel, rule.cancel_caption, MessageIcon::kStop);
    return EngineStatus::kCancelled;
  };
  if (target == ResultTarget::kCancelled) return cancelled();

  if (target == ResultTarget::kFile) {
    const std::string name =
        importing && uu ? detail::SuggestedFileName(converted.file_name) : std::string();
    const std::optional<std::string> path = ui.AskSavePath(name);
    if (!path || path->empty()) return cancelled();
    const SaveOutcome saved = ui.SaveText(*path, converted.result.bytes);
    if (!saved.ok()) {
      std::string message(strings::kSaveResultFailed);
      message.append("\n").append(*path).append("\n").append(saved.reason);
      host.ShowMessage(message, strings::kAppTitle, MessageIcon::kStop);
      return EngineStatus::kSaveFailed;
    }
    return EngineStatus::kDone;
  }

  DocumentHost* window = host.OpenNewDocumentWindow();
  if (window == nullptr) {
    wait.Close();
    host.ShowMessage(strings::kNotEnoughMemory, strings::kAppTitle, MessageIcon::kStop);
    return EngineStatus::kNoMemory;
  }
  if (!ui.PutText(*window, converted.result.bytes)) {
    window->CloseWindow();
    wait.Close();
    host.ShowMessage(strings::kNotEnoughMemory, strings::kAppTitle, MessageIcon::kStop);
    return EngineStatus::kNoMemory;
  }
  std::string().swap(converted.result.bytes);
  window->SetModified(false);
  if (importing && uu) window->SetTitle(kViewCodec.ToUtf8(converted.file_name));
  wait.Close();
  ui.UpdateAllViews(view);
  return EngineStatus::kDone;
}

EngineStatus AutoImportCommand(CommandHost& host) {
  host.ShowMessage(strings::kNotImplemented, strings::kNotImplementedCaption,
                   MessageIcon::kExclamation);
  return EngineStatus::kNotImplemented;
}

}  // namespace cyrvert
