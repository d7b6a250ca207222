#include "commands/auto_decode.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>

#include "engine/scoring.h"
#include "resources/strings.h"

namespace cyrvert {
namespace detail {
namespace {

// The search's view of the host: the frame's stop flag, the event pump, the minimised
// state and the progress window.
class HostSearchHooks : public SearchHooks {
 public:
  explicit HostSearchHooks(CommandHost& host) : m_host(host) {}
  bool StopRequested() override { return m_host.StopRequested(); }
  bool Pump() override { return m_host.PumpPendingMessages(); }
  bool Minimised() override { return m_host.IsMinimised(); }
  void OpenProgress(int lower, int upper, int position) override {
    m_host.OpenProgress(lower, upper, position);
  }
  void SetProgress(int position) override { m_host.SetProgress(position); }
  void CloseProgress() override { m_host.CloseProgress(); }

 private:
  CommandHost& m_host;
};

// Frequency of the beep after a deep search, and its length.
constexpr int kDeepSearchBeepHz = 800;
constexpr int kDeepSearchBeepMs = 400;
// Searches deeper than this end with a beep.
constexpr int kBeepAboveDepth = 3;

// Protects the searched document while a run lasts.
void LockDocument(DocumentHost& document, bool locked) {
  document.SetCloseAllowed(!locked);
  document.SetReadOnly(locked);
}

// The end-of-run message of a status; empty for none.
struct StatusMessage {
  std::string_view text;
  MessageIcon icon = MessageIcon::kStop;
};

StatusMessage MessageFor(EngineStatus status) {
  switch (status) {
    case EngineStatus::kNothingFound:
      return {strings::kNothingFound, MessageIcon::kExclamation};
    case EngineStatus::kStopped:
      return {strings::kStoppedByUser, MessageIcon::kStop};
    case EngineStatus::kNoMemory:
      return {strings::kNoMemory, MessageIcon::kStop};
    default:
      return {};
  }
}

}  // namespace
}  // namespace detail

DocumentHost* OpenVariantWindow(DocumentHost& source, CommandHost& host, const Variant& variant,
                                bool want_view, EngineStatus& status) {
  std::string block;
  try {
    const std::string text = source.GetViewText();
    if (!host.Allocate(block, text.size())) {
      status = EngineStatus::kNoMemory;
      return nullptr;
    }
    std::copy(text.begin(), text.end(), block.begin());
  } catch (const std::bad_alloc&) {
    status = EngineStatus::kNoMemory;
    return nullptr;
  }
  const std::string path =
      host.CurrentSettings().ShowTranslateWay != 0 ? VariantHistory(variant) : std::string();
  DecodeByVariant(block.data(), block.size(), variant);

  DocumentHost* window = host.OpenNewDocumentWindow();
  if (window == nullptr) {
    status = EngineStatus::kNoMemory;
    return nullptr;
  }
  if (!window->PutViewText(block)) {
    // An empty window would only stand in the way of the ones already open.
    window->CloseWindow();
    status = EngineStatus::kNoMemory;
    return nullptr;
  }
  window->SetTitle(window->Title() + path);
  window->SetModified(false);
  block.clear();
  block.shrink_to_fit();
  source.Redraw();

  if (host.StopRequested()) status = EngineStatus::kStopped;
  return want_view ? window : nullptr;
}

AutoDecodeResult AutoDecode(DocumentHost& document, CommandHost& host,
                            const AutoDecodeOptions& options) {
  // Preparation: the run's limits, and the document locked against edits and closing.
  const bool silent = options.silent;
  const bool minimised = host.IsMinimised();
  const bool quiet = silent || minimised;
  const int n_limit = silent ? 1 : options.n_best;
  bool dialog_mode = !silent && !minimised && options.out_to != 0;
  const bool big_letters = host.CurrentSettings().BigLetters != 0;

  host.ClearStopRequest();
  detail::LockDocument(document, true);

  std::string text;
  try {
    text = document.GetViewText();
  } catch (const std::bad_alloc&) {
    if (!quiet) host.ShowMessage(strings::kNoMemory, strings::kAppTitle, MessageIcon::kStop);
    detail::LockDocument(document, false);
    return {EngineStatus::kNoMemory, nullptr};
  }
  HighByteHistogram histogram;
  if (BuildHighByteHistogram(histogram, text) < kMinCountedBytes) {
    if (!quiet) {
      host.ShowMessage(strings::kTooFewLetters, strings::kAppTitle, MessageIcon::kStop);
    }
    detail::LockDocument(document, false);
    return {EngineStatus::kTooFewLetters, nullptr};
  }

  host.SetEngineBusy(true);

  SearchParams params;
  params.depth = options.depth;
  params.sense = options.sense;
  params.n_limit = n_limit;
  params.big_letters = big_letters;
  params.target = [&host] { return host.CurrentSettings().Target; };
  detail::HostSearchHooks hooks(host);

  // Quitting: no message and no further window. The busy flag and the document are given
  // back first: the program closes only once no run holds them, and a close the user then
  // cancels must not leave the editor locked.
  const auto quit = [&host, &document] {
    host.SetEngineBusy(false);
    detail::LockDocument(document, false);
    host.PostQuit();
    return AutoDecodeResult{EngineStatus::kQuitting, nullptr};
  };
  EngineStatus status = EngineStatus::kDone;
  DocumentHost* result_view = nullptr;
  // Whatever the search, the previews or the windows cannot get memory for ends the run
  // with the program's message; the windows already open stay.
  try {
    FindResult found = FindVariants(histogram, params, hooks);
    if (found.status == EngineStatus::kQuitting) return quit();
    status = found.status;
    if (status == EngineStatus::kDone) {
      if (found.depth > detail::kBeepAboveDepth && !silent) {
        host.Beep(detail::kDeepSearchBeepHz, detail::kDeepSearchBeepMs);
      }
      if (found.variants.size() < 2) dialog_mode = false;

      if (dialog_mode) {
        const std::size_t start = FindPreviewOffset(text);
        std::vector<std::string> previews =
            MakeVariantPreviews(text, found.variants, found.variants.size(), start);
        host.ShowVariantList(previews, found.variants, [&](const Variant& variant) {
          // The list reports no status of its own, but a pick that opens nothing says why.
          EngineStatus picked = EngineStatus::kDone;
          OpenVariantWindow(document, host, variant, false, picked);
          if (picked == EngineStatus::kNoMemory) {
            host.ShowMessage(strings::kNoMemory, strings::kAppTitle, MessageIcon::kStop);
          }
        });
      } else {
        // Lowest score first, so the best window opens last and ends up on top.
        for (auto it = found.variants.rbegin();
             it != found.variants.rend() && status == EngineStatus::kDone; ++it) {
          if (DocumentHost* view = OpenVariantWindow(document, host, *it, silent, status)) {
            result_view = view;
          }
          if (!host.PumpPendingMessages()) return quit();
        }
      }
    }
  } catch (const std::bad_alloc&) {
    host.CloseProgress();
    status = EngineStatus::kNoMemory;
  }

  // End of the run: everything given back, then the message of the status.
  host.SetEngineBusy(false);
  detail::LockDocument(document, false);
  if (!quiet) {
    const detail::StatusMessage message = detail::MessageFor(status);
    if (!message.text.empty()) host.ShowMessage(message.text, strings::kAppTitle, message.icon);
  }
  return {status, result_view};
}

}  // namespace cyrvert
