#include "commands/clipboard_decode.h"

#include <new>

#include "commands/smart_repair_command.h"
#include "engine/unicode_codec.h"
#include "resources/strings.h"

namespace cyrvert {
namespace {

// Marks `document` as the "CyrClip" window.
void NameClipWindow(DocumentHost& document) {
  document.SetTitle(kClipWindowTitle);
  document.SetModified(false);
}

}  // namespace

void ClipboardMonitor::Release() {
  if (m_holds > 0) --m_holds;
}

void ClipboardMonitor::OnClipboardChanged(const ClipboardNotice& notice) {
  m_waiting.reset();
  if (IsHeld() || m_host.CurrentSettings().AutoClip == 0 || m_host.EngineBusy()) return;
  // An empty text would only replace the last result with an empty window.
  if (!notice.has_text || notice.empty) return;
  // Copying out of the result must not decode it again.
  if (notice.copied_from == kClipWindowTitle) return;
  // A window must not close under a dialog or command that still works on it.
  if (!m_host.IsBetweenCommands()) {
    m_waiting = notice;
    return;
  }
  m_running = true;
  if (m_host.CurrentSettings().ClipOnlyDamaged != 0) {
    RepairUnicodeClipboard(true);
  } else {
    AutomaticDecode();
  }
  m_running = false;
}

void ClipboardMonitor::HandleWaitingNotice() {
  if (!m_waiting) return;
  const ClipboardNotice notice = *m_waiting;
  OnClipboardChanged(notice);
}

void ClipboardMonitor::AutomaticDecode() {
  DocumentHost* pasted = m_host.OpenNewDocumentWindow();
  if (pasted == nullptr) return;
  m_host.PasteClipboardText(*pasted);
  // The new window still has its ordinary title, so it is never the one closed here.
  if (DocumentHost* previous = m_host.FindDocument(kClipWindowTitle)) {
    m_host.CloseDocument(*previous);
  }
  DocumentHost* result = m_host.RunAutoDecode(*pasted, true);
  // The run pumped events: any window may have been closed since.
  const bool pasted_open = m_host.IsOpen(pasted);
  if (result == nullptr || !m_host.IsOpen(result)) {
    // Nothing found (or the result went): the text as it came is the result.
    if (pasted_open) NameClipWindow(*pasted);
    return;
  }
  NameClipWindow(*result);
  if (pasted_open) {
    pasted->SetModified(false);
    m_host.CloseDocument(*pasted);
  }
}

void ClipboardMonitor::DecodeClipboard() {
  if (!CanDecodeClipboard()) return;
  if (m_host.CurrentSettings().ClipOnlyDamaged != 0) {
    RepairUnicodeClipboard(false);
    return;
  }
  DocumentHost* pasted = m_host.OpenNewDocumentWindow();
  if (pasted == nullptr) return;
  m_host.PasteClipboardText(*pasted);
  m_host.RunAutoDecode(*pasted, false);
}

void ClipboardMonitor::RepairUnicodeClipboard(bool automatic) {
  const auto no_memory = [this, automatic] {
    if (!automatic) {
      m_host.ShowMessage(strings::kNotEnoughMemory, strings::kAppTitle, MessageIcon::kStop);
    }
  };
  std::string bytes;
  RepairPlan plan;
  try {
    const std::optional<std::string> text = m_host.ClipboardUnicodeText();
    if (!text) return;
    UnicodeRepair repair = m_repair(*text);
    if (repair.analysis.verdict != RepairVerdict::kRepaired) {
      // Clean text is left alone without a word; a manual request hears why nothing opened
      // when the text looks damaged.
      if (!automatic && repair.analysis.verdict == RepairVerdict::kCannotRepair) {
        m_host.ShowMessage(strings::kCannotRepair, strings::kSmartRepairCaption,
                           MessageIcon::kExclamation);
      }
      return;
    }
    // Repaired as characters, then mapped to the view's bytes (characters it has no byte
    // for become "?").
    bytes = kViewCodec.FromUtf8(repair.text);
    plan = std::move(repair.analysis.plan);
  } catch (const std::bad_alloc&) {
    no_memory();
    return;
  }
  DocumentHost* window = m_host.OpenNewDocumentWindow();
  if (window != nullptr && !window->PutViewText(bytes)) {
    window->CloseWindow();
    window = nullptr;
  }
  if (window == nullptr) {
    no_memory();
    return;
  }
  if (automatic) {
    // The new window still has its ordinary title, so it is never the one closed here.
    if (DocumentHost* previous = m_host.FindDocument(kClipWindowTitle)) {
      m_host.CloseDocument(*previous);
    }
    NameClipWindow(*window);
  } else {
    window->SetTitle(window->Title() + RepairTitleSuffix(plan));
    window->SetModified(false);
  }
  window->Redraw();
}

}  // namespace cyrvert
