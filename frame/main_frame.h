// The program's main window: the MDI area with the document windows, the toolbar and status
// bar, the two menus, and the frame's own commands (options, font, stop). It keeps the window
// placement and the view font in the profile, and the flags a long search and the user meet in.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "docview/font_description.h"
#include "frame/command_ids.h"

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

namespace cyrvert {

class AppServices;
class CChildFrame;
class CCyrvertView;
class CDocTemplate;
class CClipboardWatch;
class CTrayIcon;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // Picks a font from the font dialog; nothing when cancelled. Replaceable for tests.
  using FontChooser = std::function<std::optional<QFont>(QWidget* parent, const QFont& initial)>;

  // An empty frame of `app`; OnCreate builds it.
  explicit CMainFrame(AppServices& app, QWidget* parent = nullptr);
  // Closes the document windows first, while the frame's members still exist.
  ~CMainFrame() override;

  // Builds the bars, menus and document template, shows the tray icon, then takes the stored
  // placement and font. False when the window cannot be built.
  bool OnCreate();

  // The action of a command, or null for an id the frame has none for.
  QAction* Action(CommandId id) const;
  // Makes `handler` the command's action and lets it be enabled; until then the command is
  // shown greyed. `enabled`, when given, is the command's own rule for when it may run, on
  // top of having an active document window for a view command.
  void SetCommandHandler(CommandId id, std::function<void()> handler,
                         std::function<bool()> enabled = {});
  // Recomputes every command's enabled and checked state.
  void UpdateActions();

  // Whether neither a search nor a conversion runs: the commands that start one wait for it.
  bool IsIdle() const { return !m_bEngineBusy && !m_bConversionRunning; }
  // Whether nothing is under way that holds on to windows: no command, dialog, menu or nested
  // event loop on the stack. Only then may windows be closed or opened without being asked
  // (the clipboard monitor, the end of the program).
  bool IsBetweenCommands() const;
  // The window message boxes belong to: the dialog that is up, else the view (or frame) the
  // running command is for.
  QWidget* MessageOwner() const;
  // Makes `window` the one the running command is for, until the scope ends; null keeps the
  // current one.
  class CommandWindowScope {
   public:
    CommandWindowScope(CMainFrame& frame, QWidget* window);
    ~CommandWindowScope();
    CommandWindowScope(const CommandWindowScope&) = delete;
    CommandWindowScope& operator=(const CommandWindowScope&) = delete;

   private:
    CMainFrame& m_frame;
    QPointer<QWidget> m_previous;
  };

  // The area the document windows live in.
  QMdiArea* MdiArea() const { return m_pMdiArea; }
  // Makes and lists the document windows.
  CDocTemplate& DocTemplate() const { return *m_pDocTemplate; }
  // The active document window, or null.
  CChildFrame* ActiveChild() const;
  // The view of the active document window, or null.
  CCyrvertView* ActiveView() const;
  // Opens a new empty document window and makes it active; its view, or null.
  CCyrvertView* OpenNewDocumentWindow();

  // Makes the view font from `font`; only when that works is the description kept.
  bool UpdateViewFont(const LogFont& font);
  // Takes the stored view font, or the system font when none is stored.
  void LoadViewFont();
  // Stores the view font description (nothing when its height is 0).
  void SaveViewFont();

  // Shows the notification-area icon when the Tray setting is on and the desktop has a
  // notification area (without one the window must never hide).
  void ShowTrayIcon();
  // Removes the notification-area icon; a window hidden in it comes back.
  void HideTrayIcon();
  // Brings the window back from the notification area.
  void RestoreFromTray();

  // Replaces the font dialog (tests).
  void SetFontChooser(FontChooser chooser) { m_chooseFont = std::move(chooser); }
  // Picks one of `titles` (the list of every window), or nothing when cancelled.
  using WindowPicker =
      std::function<std::optional<int>(QWidget* parent, const QStringList& titles, int current)>;
  // Replaces the window list dialog of More Windows (tests).
  void SetWindowPicker(WindowPicker picker) { m_pickWindow = std::move(picker); }
  // Shows a URL with the desktop's handler; false when none took it.
  using UrlOpener = std::function<bool(const QUrl&)>;
  // Replaces the desktop's URL handler (tests).
  void SetUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }
  // Replaces how the frame learns whether the desktop has a notification area, and how often
  // it looks again (tests).
  void SetTrayProbe(std::function<bool()> available, std::chrono::milliseconds interval);
  // Windows the Window menu lists by name; More Windows... lists the rest.
  static constexpr int kWindowMenuEntries = 9;

  LogFont m_viewLogFont;              // description of the view font
  std::optional<QFont> m_viewFont;    // the view font, when one could be made
  bool m_bStopRequested = false;      // Stop was asked for; polled by the search
  bool m_bEngineBusy = false;         // an auto-decode run is under way
  bool m_bConversionRunning = false;  // an import or export converts its text
  bool m_bTrayIconShown = false;      // the notification-area icon is present

 public slots:
  // Options: the options dialog, then the tray icon by the Tray setting.
  void OnOptions();
  // Set font: the font dialog, then the frame and the first view of every document.
  void OnSetFont();
  // Stop: asks a running search to stop.
  void OnStop();
  // About: the about box, modal.
  void OnAppAbout();
  // Close All and Close non iconised.
  void OnCloseAll();
  void OnCloseNonIconised();

 protected:
  // Closing ends the program: deferred while a long command runs, then saves state.
  void closeEvent(QCloseEvent* event) override;
  // Minimising with the tray icon shown hides the window.
  void changeEvent(QEvent* event) override;

 private:
  // One action per command, with texts, prompts, keys and icons.
  void CreateActions();
  // The handlers of the commands the frame carries now.
  void ConnectCommands();
  // Both menus; the one shown follows whether a document is open.
  void CreateMenus();
  // A menu bar's menus from a table.
  std::vector<QMenu*> BuildMenus(bool documentMenu);
  // The toolbar in its order.
  void CreateToolBar();
  // The message pane and the three key indicators.
  void CreateStatusBar();
  // Shows the document menu when a document window exists, else the other one.
  void UpdateMenuBar();
  // The recent-file entries of the File menus.
  void UpdateRecentFileActions();
  // The window list of the Window menu.
  void UpdateWindowList(QMenu* menu);
  // More Windows...: every window in a list; the one picked is activated.
  void OnMoreWindows();
  // Frame title from the active document.
  void UpdateTitle();
  // Runs the handler of command `id`, counted as a command under way for its window.
  void RunCommand(CommandId id, const std::function<void()>& run);
  // Hooks a new document window up to the frame.
  void OnDocumentWindowCreated(CChildFrame* child);
  // Opens a file and records it in the recent list.
  void OpenFile(const QString& path);
  // File Close: the active document, after asking to save it.
  void OnFileClose();
  // Arrange Icons: lines the minimised windows up along the bottom.
  void OnArrangeIcons();
  // Saves settings, placement and font, in that order.
  void OnDestroy();
  // A notification area came (the icon is shown if Tray is on) or went (the icon is taken
  // away and a hidden window comes back).
  void OnTrayAvailabilityChanged(bool available);
  // The window placement from the profile.
  void LoadPlacement();

  AppServices& m_app;
  QMdiArea* m_pMdiArea = nullptr;
  CDocTemplate* m_pDocTemplate = nullptr;   // child of the frame
  std::map<CommandId, QAction*> m_actions;  // every command's action
  // A command's handler and its enabling rule.
  struct Command {
    std::function<void()> run;
    std::function<bool()> enabled;  // empty: always, given its scope
  };
  std::map<CommandId, Command> m_handlers;  // commands available now
  std::vector<QMenu*> m_noDocumentMenus;    // menu 128
  std::vector<QMenu*> m_documentMenus;      // menu 129
  bool m_bDocumentMenuShown = false;
  std::vector<QAction*> m_recentActions;      // File1..File4, shared by menus
  QAction* m_recentEmpty = nullptr;           // "Recent File" when none
  std::vector<QAction*> m_windowListActions;  // Window menu's window list
  QToolBar* m_toolBar = nullptr;
  QLabel* m_idleText = nullptr;
  std::vector<QLabel*> m_indicators;  // CAP, NUM, SCRL
  FontChooser m_chooseFont;
  WindowPicker m_pickWindow;
  UrlOpener m_openUrl;
  CTrayIcon* m_pTrayIcon = nullptr;              // child of the frame
  CClipboardWatch* m_pClipboardWatch = nullptr;  // child of the frame
  bool m_bDestroyed = false;                     // OnDestroy ran
  bool m_bTearingDown = false;                   // the destructor is running
  bool m_bClipboardHasText = false;              // the clipboard held text at its last change
  int m_nCommandDepth = 0;                       // commands under way, nested ones included
  QPointer<QWidget> m_pCommandWindow;            // the window the running command is for
};

}  // namespace cyrvert
