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

// Where a command's result goes.
enum class Delivery {
  kNewWindow,        // always a new window
  kByImportSetting,  // file, new window or ask, as the Import setting says
  kAlwaysAsk,        // the output-choice dialog every time
};

// What differs between the commands, besides the conversion.
struct CommandRule {
  TransportCommandId id;
  Delivery delivery;
  std::string_view error;  // shown when the text cannot be decoded; empty for encoders
  std::string_view error_caption;
  std::string_view cancel;  // shown when the delivery is cancelled
  std::string_view cancel_caption;
};

using Id = TransportCommandId;
namespace s = strings;

constexpr CommandRule kRules[] = {
    {Id::kImportUtf7, Delivery::kNewWindow, s::kUtf7DecodeError, s::kUtf7DecodeCaption, {}, {}},
    {Id::kImportUtf8, Delivery::kNewWindow, s::kUtf8DecodeError, s::kUtf8DecodeCaption, {}, {}},
    {Id::kImportQuotedPrintable, Delivery::kByImportSetting, s::kQpDecodeError, s::kQpDecodeCaption,
     s::kImportCanceled, s::kImportCanceledCaption},
    {Id::kImportBase64, Delivery::kByImportSetting, s::kBase64DecodeError, s::kBase64DecodeCaption,
     s::kImportCanceled, s::kImportCanceledCaption},
    {Id::kImportUu, Delivery::kByImportSetting, s::kUuDecodeError, s::kUuDecodeCaption,
     s::kImportCanceled, s::kImportCanceledCaption},
    {Id::kImportUnix, Delivery::kNewWindow, {}, {}, {}, {}},
    {Id::kExportUtf7, Delivery::kNewWindow, {}, {}, {}, {}},
    {Id::kExportUtf8,
     Delivery::kAlwaysAsk,
     {},
     {},
     s::kUtf8ExportCanceled,
     s::kUtf8ExportCanceledCaption},
    {Id::kExportQuotedPrintable, Delivery::kNewWindow, {}, {}, {}, {}},
    {Id::kExportBase64, Delivery::kNewWindow, {}, {}, {}, {}},
    {Id::kExportUu, Delivery::kNewWindow, {}, {}, {}, {}},
    {Id::kExportUnix, Delivery::kNewWindow, {}, {}, {}, {}},
};

const CommandRule& RuleOf(Id id) {
  for (const CommandRule& rule : kRules) {
    if (rule.id == id) return rule;
  }
  throw std::invalid_argument("transport command without a rule");
}

// Runs the conversion of `id`; `title` is the source document's title in the text's code
// page, which the uuencode export writes on its begin line.
ImportResult Convert(Id id, std::string_view text, std::string_view title) {
  const auto encoded = [](std::string bytes) {
    return ImportResult{DecodeResult{DecodeError::kNone, 0, std::move(bytes)}, {}};
  };
  switch (id) {
    case Id::kImportUtf7:
      return ImportUtf7(text);
    case Id::kImportUtf8:
      return ImportUtf8(text);
    case Id::kImportQuotedPrintable:
      return ImportQuotedPrintable(text);
    case Id::kImportBase64:
      return ImportBase64(text);
    case Id::kImportUu:
      return ImportUu(text);
    case Id::kImportUnix:
      return ImportUnix(text);
    case Id::kExportUtf7:
      return encoded(ExportUtf7(text));
    case Id::kExportUtf8:
      return encoded(ExportUtf8(text));
    case Id::kExportQuotedPrintable:
      return encoded(ExportQuotedPrintable(text));
    case Id::kExportBase64:
      return encoded(ExportBase64(text));
    case Id::kExportUu:
      return encoded(ExportUu(text, title));
    case Id::kExportUnix:
      return encoded(ExportUnix(text));
    case Id::kImportAuto:
      break;
  }
  throw std::invalid_argument("transport command without a conversion");
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
  if (id == TransportCommandId::kImportAuto) {
    host.ShowMessage(strings::kNotImplemented, strings::kNotImplementedCaption,
                     MessageIcon::kExclamation);
    return EngineStatus::kNotImplemented;
  }
  const detail::CommandRule& rule = detail::RuleOf(id);
  detail::WaitWindow wait(ui, !host.IsMinimised());

  // The text is taken and converted under the wait window; the copy of the source is freed
  // before the result is delivered.
  const std::function<std::string()> read = ui.TextReader(view);
  const std::string title =
      id == TransportCommandId::kExportUu ? detail::TitleInTextCodePage(view.Title()) : "";
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
    host.ShowMessage(rule.error, rule.error_caption, MessageIcon::kStop);
    return EngineStatus::kDecodeFailed;
  }

  ResultTarget target = ResultTarget::kNewWindow;
  if (rule.delivery != detail::Delivery::kNewWindow) {
    const int import = host.CurrentSettings().Import;
    const bool asks = rule.delivery == detail::Delivery::kAlwaysAsk || import == 0 || import == 2;
    if (asks) wait.Close();
    target = rule.delivery == detail::Delivery::kAlwaysAsk ? ui.AskResultTarget()
                                                           : detail::TargetFromSetting(import, ui);
  }
  const auto cancelled = [&] {
    wait.Close();
    host.ShowMessage(rule.cancel, rule.cancel_caption, MessageIcon::kStop);
    return EngineStatus::kCancelled;
  };
  if (target == ResultTarget::kCancelled) return cancelled();

  if (target == ResultTarget::kFile) {
    const std::string name = id == TransportCommandId::kImportUu
                                 ? detail::SuggestedFileName(converted.file_name)
                                 : std::string();
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
  if (id == TransportCommandId::kImportUu) window->SetTitle(kViewCodec.ToUtf8(converted.file_name));
  wait.Close();
  ui.UpdateAllViews(view);
  return EngineStatus::kDone;
}

}  // namespace cyrvert
