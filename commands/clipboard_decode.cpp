#include "commands/clipboard_decode.h"

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
  if (IsHeld() || m_host.CurrentSettings().AutoClip == 0 || m_host.EngineBusy()) return;
  // An empty text would only replace the last result with an empty window.
  if (!notice.has_text || notice.empty) return;
  // Copying out of the result must not decode it again.
  if (notice.copied_from == kClipWindowTitle) return;
  m_running = true;
  AutomaticDecode();
  m_running = false;
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
  DocumentHost* pasted = m_host.OpenNewDocumentWindow();
  if (pasted == nullptr) return;
  m_host.PasteClipboardText(*pasted);
  m_host.RunAutoDecode(*pasted, false);
}

}  // namespace cyrvert
