// The clipboard monitor and the clipboard decode command: what becomes of text that lands on
// the clipboard, however the platform tells the program about it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "commands/command_host.h"
#include "engine/smart_repair.h"

namespace cyrvert {

// Title of the one window that holds the latest automatically decoded clipboard text.
inline constexpr std::string_view kClipWindowTitle = "CyrClip";

// What the clipboard commands need of the program around them; its message boxes among them.
class ClipboardHost : public MessageBoxes {
 public:
  virtual ~ClipboardHost() = default;
  // Whether the clipboard holds text.
  virtual bool ClipboardHasText() const = 0;
  // The clipboard's text as the characters it holds (UTF-8); none when it holds no text.
  virtual std::optional<std::string> ClipboardUnicodeText() const = 0;
  // Opens a new empty document window and makes it active; null if none could be made.
  virtual DocumentHost* OpenNewDocumentWindow() = 0;
  // Inserts the clipboard text into `document` at the end of its selection.
  virtual void PasteClipboardText(DocumentHost& document) = 0;
  // The first open document whose title is exactly `title`, or null.
  virtual DocumentHost* FindDocument(std::string_view title) = 0;
  // Closes `document` and its windows without asking to save it.
  virtual void CloseDocument(DocumentHost& document) = 0;
  // Whether `document` is still open: windows can close while a run pumps events.
  virtual bool IsOpen(const DocumentHost* document) const = 0;
  // The auto-decode command on `document` with the current options. Silent: one result, no
  // messages, and the result window returned (null when none, or when it closed meanwhile).
  virtual DocumentHost* RunAutoDecode(DocumentHost& document, bool silent) = 0;
  // Whether an auto-decode run is under way.
  virtual bool EngineBusy() const = 0;
  // The current options; read again each time a value is needed, never kept.
  virtual const Settings& CurrentSettings() const = 0;
  // Whether nothing is under way that holds on to windows (a command, a dialog, a nested
  // event loop); only then may the monitor open and close windows.
  virtual bool IsBetweenCommands() const = 0;
};

// One clipboard-change notice, as far as the monitor cares.
struct ClipboardNotice {
  bool has_text = false;  // the clipboard offers text
  bool empty = false;     // ...and that text is empty
  // The title of the document the program itself copied the text from; empty for a copy
  // made by another program.
  std::string copied_from;
};

// Decodes text put on the clipboard into the "CyrClip" window while AutoClip is on.
class ClipboardMonitor {
 public:
  // Repairs text given as characters (UTF-8): the smart engine's, or a stand-in in tests.
  using UnicodeRepairer = std::function<UnicodeRepair(std::string_view utf8)>;

  // Starts held: notices that arrive while the program starts up are not decoded.
  explicit ClipboardMonitor(ClipboardHost& host, UnicodeRepairer repair = RepairUnicodeText)
      : m_host(host), m_repair(std::move(repair)) {}

  // Ignores notices until the matching Release (holds nest).
  void Hold() { ++m_holds; }
  void Release();
  // Whether notices are ignored now, whatever AutoClip says.
  bool IsHeld() const { return m_holds > 0 || m_running; }

  // A clipboard-change notice: with AutoClip on, the engine idle and new text from anywhere
  // but the "CyrClip" window, opens the text and its best decoding as the new "CyrClip" (with
  // ClipOnlyDamaged, the text's repair, and only when it was damaged). A notice that arrives
  // while a command or dialog is under way waits for it to end; a later one replaces it.
  void OnClipboardChanged(const ClipboardNotice& notice);
  // Whether a notice waits for the command or dialog under way to end.
  bool HasWaitingNotice() const { return m_waiting.has_value(); }
  // Handles the waiting notice, if the program is between commands now.
  void HandleWaitingNotice();

  // Cyrvert clipboard: the clipboard text in a new window, decoded as an ordinary document;
  // with ClipOnlyDamaged, its repair in a new window when it was damaged, else nothing.
  void DecodeClipboard();

  // Whether the clipboard decode command can run now.
  bool CanDecodeClipboard() const { return !m_host.EngineBusy() && m_host.ClipboardHasText(); }

 private:
  // Pastes into a new window and decodes it silently; the window kept is titled "CyrClip".
  void AutomaticDecode();
  // The clipboard's text repaired as characters, in a new window; none when it was clean or
  // cannot be repaired (told in a message unless automatic). `automatic`: the window
  // replaces the "CyrClip" window.
  void RepairUnicodeClipboard(bool automatic);

  ClipboardHost& m_host;
  UnicodeRepairer m_repair;
  std::optional<ClipboardNotice> m_waiting;  // the latest notice met during a command
  int m_holds = 1;                           // the start-up hold, then nested holds
  bool m_running = false;                    // an automatic decode is under way
};

}  // namespace cyrvert
