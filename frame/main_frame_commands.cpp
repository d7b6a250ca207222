// The main frame's commands: actions from the command table, the two menus, the toolbar,
// the status bar, and the one place where enabled and checked states are computed.
#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QThread>
#include <QToolBar>
#include <QUrl>
#include <QWhatsThis>

#include "docview/child_frame.h"
#include "docview/cyrvert_doc.h"
#include "docview/cyrvert_view.h"
#include "docview/doc_template.h"
#include "frame/app_services.h"
#include "frame/clipboard_watch.h"
#include "frame/command_table.h"
#include "frame/engine_commands.h"
#include "frame/main_frame.h"
#include "frame/transport_command_handlers.h"
#include "resources/strings.h"

namespace cyrvert {

namespace {

// The README that stands in for a help file, when it is installed or beside the program.
QString HelpFile() {
  const QString dir = QCoreApplication::applicationDirPath();
  // Installed, then beside a build tree (build/<name>/ or build/<name>/<sub>/).
  for (const char* relative :
       {"/../share/doc/cyrvert/README.md", "/../../README.md", "/../../../README.md"}) {
    const QFileInfo candidate(dir + QString::fromLatin1(relative));
    if (candidate.exists()) return candidate.absoluteFilePath();
  }
  return {};
}

// The one rule for the keys of the editor control: it gives up the accelerator table's keys and
// every Ctrl (or Ctrl+Shift) letter but the editing ones (undo, select all, copy, cut, paste),
// which belong to the frame's menus. The table's keys are parsed once: every new document
// window asks this for each of the editor's bindings.
bool EditorKeepsKey(int binding) {
  static const QList<QKeySequence> keys = [] {
    QList<QKeySequence> parsed;
    for (const Accelerator& accel : Accelerators()) {
      parsed.append(QKeySequence(QString::fromLatin1(accel.key)));
    }
    return parsed;
  }();
  if (binding == 0) return true;
  if (keys.contains(QKeySequence(binding))) return false;
  const int key = binding & ~static_cast<int>(Qt::KeyboardModifierMask);
  const bool ctrl = (binding & static_cast<int>(Qt::ControlModifier)) != 0;
  const bool editing = key == Qt::Key_Z || key == Qt::Key_A || key == Qt::Key_C ||
                       key == Qt::Key_X || key == Qt::Key_V;
  return !(ctrl && key >= Qt::Key_A && key <= Qt::Key_Z && !editing);
}

bool ClipboardHasText() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data && data->hasText();
}

}  // namespace

QAction* CMainFrame::Action(CommandId id) const {
  const auto it = m_actions.find(id);
  return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::RunCommand(CommandId id, const std::function<void()>& run) {
  const CommandInfo* info = FindCommand(id);
  QWidget* window = info != nullptr && info->scope == CommandScope::kView
                        ? static_cast<QWidget*>(ActiveView())
                        : static_cast<QWidget*>(this);
  const CommandWindowScope owner(*this, window);
  // Counted also when memory runs out in the handler and the event is dropped.
  struct Depth {
    int& depth;
    explicit Depth(int& d) : depth(d) { ++depth; }
    ~Depth() { --depth; }
  } const depth(m_nCommandDepth);
  // A copy: the handler may replace the command's handler while it runs.
  const std::function<void()> handler = run;
  handler();
}

bool CMainFrame::IsBetweenCommands() const {
  // The program's own loop is level 1; a dialog, a menu, a drag or a conversion runs another.
  return m_nCommandDepth == 0 && !m_app.IsPumping() &&
         QApplication::activeModalWidget() == nullptr &&
         QApplication::activePopupWidget() == nullptr && QThread::currentThread()->loopLevel() <= 1;
}

QWidget* CMainFrame::MessageOwner() const {
  // A box asked for by a dialog belongs to that dialog.
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (m_pCommandWindow != nullptr) return m_pCommandWindow.data();
  return const_cast<CMainFrame*>(this);
}

CMainFrame::CommandWindowScope::CommandWindowScope(CMainFrame& frame, QWidget* window)
    : m_frame(frame), m_previous(frame.m_pCommandWindow) {
  if (window != nullptr) m_frame.m_pCommandWindow = window;
}

CMainFrame::CommandWindowScope::~CommandWindowScope() { m_frame.m_pCommandWindow = m_previous; }

void CMainFrame::SetCommandHandler(CommandId id, std::function<void()> handler,
                                   std::function<bool()> enabled) {
  QAction* action = Action(id);
  if (!action) return;
  m_handlers[id] = Command{std::move(handler), std::move(enabled)};
  UpdateActions();
}

void CMainFrame::CreateActions() {
  for (const CommandInfo& info : Commands()) {
    auto* action = new QAction(QString::fromUtf8(info.text), this);
    const QString prompt = QString::fromUtf8(info.prompt);
    const qsizetype split = prompt.indexOf('\n');
    action->setStatusTip(split < 0 ? prompt : prompt.left(split));
    if (split >= 0) action->setToolTip(prompt.mid(split + 1));
    if (info.icon) action->setIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(info.icon)));
    action->setCheckable(info.checkable);
    action->setEnabled(false);
    // Keys come from the accelerator table; the menu shows the text after the tab.
    action->setShortcutVisibleInContextMenu(false);
    action->setData(static_cast<int>(info.id));
    const CommandId id = info.id;
    connect(action, &QAction::triggered, this, [this, id] {
      const auto it = m_handlers.find(id);
      if (it != m_handlers.end() && Action(id)->isEnabled()) RunCommand(id, it->second.run);
      UpdateActions();
    });
    m_actions[info.id] = action;
    addAction(action);  // keys work while the menu bar shows the other menu
  }
  std::map<CommandId, QList<QKeySequence>> keys;
  for (const Accelerator& accel : Accelerators()) {
    keys[accel.id].append(QKeySequence(QString::fromLatin1(accel.key)));
  }
  for (auto& [id, list] : keys) {
    if (QAction* action = Action(id)) action->setShortcuts(list);
  }
  // Recent files: four slots shared by both File menus.
  for (int i = 0; i < m_app.RecentFiles().Size(); ++i) {
    auto* action = new QAction(this);
    action->setStatusTip(QStringLiteral("Open this document"));
    connect(action, &QAction::triggered, this, [this, i] {
      const QStringList& files = m_app.RecentFiles().Files();
      if (i < files.size()) OpenFile(files[i]);
    });
    m_recentActions.push_back(action);
  }
  m_recentEmpty = new QAction(QStringLiteral("Recent File"), this);
  m_recentEmpty->setEnabled(false);
}

void CMainFrame::ConnectCommands() {
  using C = CommandId;
  auto view = [this](void (CCyrvertView::*slot)()) {
    return [this, slot] {
      if (CCyrvertView* v = ActiveView()) (v->*slot)();
    };
  };
  SetCommandHandler(C::kFileNew, [this] { m_pDocTemplate->OpenNewDocument(); });
  SetCommandHandler(C::kFileOpen, [this] {
    if (CChildFrame* child = m_pDocTemplate->OnFileOpen(this)) {
      if (CCyrvertDoc* doc = child->GetActiveDocument()) {
        m_app.RecentFiles().Add(doc->GetPathName());
        UpdateRecentFileActions();
      }
    }
  });
  // The view of the active document window; the view commands only run while there is one.
  auto active = [this] { return ActiveView(); };
  SetCommandHandler(
      C::kFileClose, [this] { OnFileClose(); }, [this] { return ActiveChild()->m_bCloseAllowed; });
  SetCommandHandler(C::kFileSave, [this] {
    if (CChildFrame* child = ActiveChild()) child->GetActiveDocument()->DoFileSave();
  });
  SetCommandHandler(C::kFileSaveAs, [this] {
    if (CChildFrame* child = ActiveChild()) child->GetActiveDocument()->DoSave();
  });
  SetCommandHandler(C::kFilePrint, view(&CCyrvertView::OnFilePrint));
  SetCommandHandler(C::kFilePrintDirect, view(&CCyrvertView::OnFilePrintDirect));
  SetCommandHandler(C::kFilePrintPreview, view(&CCyrvertView::OnFilePrintPreview));
  SetCommandHandler(C::kFilePrintSetup, [this] { m_pDocTemplate->OnFilePrintSetup(this); });
  SetCommandHandler(C::kAppExit, [this] { close(); });
  SetCommandHandler(C::kEditUndo, view(&CCyrvertView::OnEditUndo),
                    [active] { return active()->isUndoAvailable() && !active()->isReadOnly(); });
  // Copy, Cut and Paste carry the view's bytes exactly.
  SetCommandHandler(C::kEditCut, view(&CCyrvertView::cut),
                    [active] { return active()->hasSelectedText() && !active()->isReadOnly(); });
  SetCommandHandler(C::kEditCopy, view(&CCyrvertView::copy),
                    [active] { return active()->hasSelectedText(); });
  SetCommandHandler(C::kEditPaste, view(&CCyrvertView::paste),
                    [this, active] { return !active()->isReadOnly() && m_bClipboardHasText; });
  SetCommandHandler(C::kEditSelectAll, view(&CCyrvertView::OnEditSelectAll));
  SetCommandHandler(C::kEditFind, view(&CCyrvertView::OnEditFind));
  SetCommandHandler(C::kEditRepeat, view(&CCyrvertView::OnEditFindNext));
  SetCommandHandler(C::kEditReplace, view(&CCyrvertView::OnEditReplace));
  SetCommandHandler(
      C::kStop, [this] { OnStop(); }, [this] { return m_bEngineBusy; });
  SetCommandHandler(C::kOptions, [this] { OnOptions(); });
  SetCommandHandler(C::kSetFont, [this] { OnSetFont(); });
  SetCommandHandler(C::kViewToolbar, [this] { m_toolBar->setVisible(!m_toolBar->isVisible()); });
  SetCommandHandler(C::kViewStatusBar,
                    [this] { statusBar()->setVisible(!statusBar()->isVisible()); });
  SetCommandHandler(C::kWindowCascade, [this] { m_pMdiArea->cascadeSubWindows(); });
  SetCommandHandler(C::kWindowTile, [this] { m_pMdiArea->tileSubWindows(); });
  SetCommandHandler(
      C::kWindowArrange, [this] { OnArrangeIcons(); },
      [this] { return !m_pMdiArea->subWindowList().isEmpty(); });
  SetCommandHandler(C::kCloseAll, [this] { OnCloseAll(); });
  SetCommandHandler(C::kCloseNonIconised, [this] { OnCloseNonIconised(); });
  SetCommandHandler(C::kNextPane, [this] { m_pMdiArea->activateNextSubWindow(); });
  SetCommandHandler(C::kPrevPane, [this] { m_pMdiArea->activatePreviousSubWindow(); });
  SetCommandHandler(C::kContextHelp, [] { QWhatsThis::enterWhatsThisMode(); });
  SetCommandHandler(C::kRestore, [this] { RestoreFromTray(); });
  SetCommandHandler(
      C::kCyrvertClipboard, [this] { m_pClipboardWatch->Monitor().DecodeClipboard(); },
      [this] { return IsIdle() && m_bClipboardHasText; });
  SetCommandHandler(C::kTxtAssociation,
                    [this] { m_app.SetTxtAssociated(!m_app.IsTxtAssociated()); });
  SetCommandHandler(C::kAppAbout, [this] { OnAppAbout(); });
  // Without a help file, or with nothing to show it, the user is told so.
  auto openHelp = [this] {
    const QString help = HelpFile();
    if (help.isEmpty()) {
      m_app.Boxes().ShowMessage(strings::kHelpNotFound, strings::kAppTitle,
                                MessageIcon::kExclamation);
    } else if (!m_openUrl(QUrl::fromLocalFile(help))) {
      m_app.Boxes().ShowMessage(
          std::string(strings::kHelpNotOpened) + QDir::toNativeSeparators(help).toStdString(),
          strings::kAppTitle, MessageIcon::kExclamation);
    }
  };
  SetCommandHandler(C::kHelpFinder, openHelp);
  SetCommandHandler(C::kHelp, openHelp);
  // Asking the clipboard can mean a round trip to its owner: ask once per change, not on
  // every update of the command states.
  m_bClipboardHasText = ClipboardHasText();
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
    m_bClipboardHasText = ClipboardHasText();
    UpdateActions();
  });
  // Cyrvert, Smart repair, Translate and Set 8-th bit.
  ConnectEngineCommands(*this, m_app);
  // Import from... and Export to...
  ConnectTransportCommands(*this, m_app);
}

std::vector<QMenu*> CMainFrame::BuildMenus(bool documentMenu) {
  std::vector<QMenu*> menus;
  for (const MenuInfo& info : documentMenu ? DocumentMenu() : NoDocumentMenu()) {
    auto* menu = new QMenu(QString::fromUtf8(info.title), this);
    for (const MenuItem& item : info.items) {
      switch (item.kind) {
        case MenuItemKind::kCommand:
          menu->addAction(Action(item.id));
          break;
        case MenuItemKind::kSeparator:
          menu->addSeparator();
          break;
        case MenuItemKind::kRecentFiles:
          menu->addAction(m_recentEmpty);
          for (QAction* action : m_recentActions) menu->addAction(action);
          break;
        case MenuItemKind::kImport:
        case MenuItemKind::kExport: {
          const bool import = item.kind == MenuItemKind::kImport;
          QMenu* sub = menu->addMenu(import ? QStringLiteral("Import from...")
                                            : QStringLiteral("Export to..."));
          for (CommandId id : import ? ImportCommands() : ExportCommands()) {
            if (id == CommandId::kImportAuto) sub->addSeparator();
            sub->addAction(Action(id));
          }
          break;
        }
        case MenuItemKind::kWindowList:
          connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateWindowList(menu); });
          break;
      }
    }
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateActions);
    menus.push_back(menu);
  }
  return menus;
}

void CMainFrame::CreateMenus() {
  m_noDocumentMenus = BuildMenus(false);
  m_documentMenus = BuildMenus(true);
  m_bDocumentMenuShown = true;  // forces the first UpdateMenuBar to fill the bar
  UpdateRecentFileActions();
}

void CMainFrame::UpdateMenuBar() {
  if (!m_pMdiArea || m_bTearingDown) return;
  const bool document = !m_pMdiArea->subWindowList().isEmpty();
  if (document == m_bDocumentMenuShown && !menuBar()->actions().isEmpty()) return;
  m_bDocumentMenuShown = document;
  menuBar()->clear();
  for (QMenu* menu : document ? m_documentMenus : m_noDocumentMenus) menuBar()->addMenu(menu);
  UpdateTitle();
  UpdateActions();
}

void CMainFrame::UpdateRecentFileActions() {
  const QStringList& files = m_app.RecentFiles().Files();
  for (std::size_t i = 0; i < m_recentActions.size(); ++i) {
    QAction* action = m_recentActions[i];
    const auto index = static_cast<qsizetype>(i);
    action->setVisible(index < files.size());
    if (index < files.size()) {
      action->setText(
          QStringLiteral("&%1 %2").arg(index + 1).arg(QDir::toNativeSeparators(files[index])));
    }
  }
  m_recentEmpty->setVisible(files.isEmpty());
}

void CMainFrame::UpdateWindowList(QMenu* menu) {
  for (QAction* action : m_windowListActions) {
    menu->removeAction(action);
    action->deleteLater();
  }
  m_windowListActions.clear();
  const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList();
  if (windows.isEmpty()) return;
  m_windowListActions.push_back(menu->addSeparator());
  // The first nine windows, then one entry that lists them all.
  int number = 1;
  for (QMdiSubWindow* window : windows.mid(0, kWindowMenuEntries)) {
    QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(
        window->windowTitle().remove(QStringLiteral("[*]"))));
    action->setCheckable(true);
    action->setChecked(window == m_pMdiArea->activeSubWindow());
    connect(action, &QAction::triggered, this,
            [this, window] { m_pMdiArea->setActiveSubWindow(window); });
    m_windowListActions.push_back(action);
  }
  if (windows.size() > kWindowMenuEntries) {
    QAction* more = menu->addAction(QStringLiteral("&More Windows..."));
    connect(more, &QAction::triggered, this, &CMainFrame::OnMoreWindows);
    m_windowListActions.push_back(more);
  }
}

void CMainFrame::OnMoreWindows() {
  const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList();
  QStringList titles;
  for (QMdiSubWindow* window : windows) {
    titles << window->windowTitle().remove(QStringLiteral("[*]"));
  }
  const auto active = static_cast<int>(windows.indexOf(m_pMdiArea->activeSubWindow()));
  const std::optional<int> picked = m_pickWindow(this, titles, std::max(active, 0));
  if (picked && *picked >= 0 && *picked < windows.size()) {
    m_pMdiArea->setActiveSubWindow(windows[*picked]);
  }
}

void CMainFrame::CreateToolBar() {
  m_toolBar = addToolBar(QStringLiteral("Standard"));
  m_toolBar->setObjectName(QStringLiteral("toolbar128"));
  m_toolBar->setIconSize(QSize(16, 16));
  for (const MenuItem& item : ToolbarButtons()) {
    if (item.kind == MenuItemKind::kSeparator) {
      m_toolBar->addSeparator();
    } else {
      m_toolBar->addAction(Action(item.id));
    }
  }
}

void CMainFrame::CreateStatusBar() {
  m_idleText = new QLabel(QString::fromUtf8(strings::kIdleStatus), this);
  statusBar()->addWidget(m_idleText, 1);
  for (const char* text : {"CAP", "NUM", "SCRL"}) {
    auto* label = new QLabel(QString::fromLatin1(text), this);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    // The platform does not tell us the lock keys' state; the panes stay dimmed.
    label->setEnabled(false);
    statusBar()->addPermanentWidget(label);
    m_indicators.push_back(label);
  }
}

void CMainFrame::UpdateActions() {
  if (m_actions.empty() || m_bTearingDown) return;
  using C = CommandId;
  const CCyrvertView* view = ActiveView();
  for (const CommandInfo& info : Commands()) {
    QAction* action = Action(info.id);
    const auto it = m_handlers.find(info.id);
    bool enabled = it != m_handlers.end();
    if (info.scope == CommandScope::kView) enabled = enabled && view != nullptr;
    if (enabled && it->second.enabled) enabled = it->second.enabled();
    action->setEnabled(enabled);
  }
  Action(C::kViewToolbar)->setChecked(m_toolBar && !m_toolBar->isHidden());
  Action(C::kViewStatusBar)->setChecked(!statusBar()->isHidden());
  Action(C::kTxtAssociation)->setChecked(m_app.IsTxtAssociated());
}

void CMainFrame::UpdateTitle() {
  if (m_bTearingDown) return;
  QString title = QString::fromUtf8(strings::kAppTitle);
  // As an MDI frame shows it: "app - [doc]" over a maximised document window, else "app - doc".
  // A document still being opened has no title yet and is left out.
  CChildFrame* child = ActiveChild();
  CCyrvertDoc* doc = child ? child->GetActiveDocument() : nullptr;
  if (doc != nullptr && !doc->GetTitle().isEmpty()) {
    title += child->isMaximized() ? QStringLiteral(" - [%1]").arg(doc->GetTitle())
                                  : QStringLiteral(" - %1").arg(doc->GetTitle());
  }
  if (windowTitle() != title) setWindowTitle(title);
}

void CMainFrame::OnDocumentWindowCreated(CChildFrame* child) {
  connect(child, &CChildFrame::MainMenuRefreshRequested, this, &CMainFrame::UpdateActions);
  connect(child, &QMdiSubWindow::windowStateChanged, this, &CMainFrame::UpdateTitle);
  connect(child, &QObject::destroyed, this, [this] {
    QMetaObject::invokeMethod(this, &CMainFrame::UpdateMenuBar, Qt::QueuedConnection);
  });
  if (CCyrvertView* view = child->GetActiveView()) {
    // The editor would take keys of the frame's commands for itself (Esc in particular).
    for (QsciCommand* command : view->standardCommands()->commands()) {
      if (!EditorKeepsKey(command->key())) command->setKey(0);
      if (!EditorKeepsKey(command->alternateKey())) command->setAlternateKey(0);
    }
    connect(view, &QsciScintilla::selectionChanged, this, &CMainFrame::UpdateActions);
    connect(view, &QsciScintilla::textChanged, this, &CMainFrame::UpdateActions);
  }
  if (CCyrvertDoc* doc = child->GetActiveDocument()) {
    connect(doc, &CCyrvertDoc::TitleChanged, this, [this, doc] {
      UpdateTitle();
      // A document that took a file name (opened or saved as) joins the recent files.
      if (!doc->GetPathName().isEmpty()) {
        m_app.RecentFiles().Add(doc->GetPathName());
        UpdateRecentFileActions();
      }
    });
  }
  UpdateMenuBar();
  UpdateTitle();
  UpdateActions();
}

void CMainFrame::OpenFile(const QString& path) {
  if (m_pDocTemplate->OpenDocumentFile(path)) {
    m_app.RecentFiles().Add(path);
  } else {
    // A file that cannot be opened leaves the list, as it would be of no use there.
    m_app.RecentFiles().Remove(
        static_cast<int>(m_app.RecentFiles().Files().indexOf(QFileInfo(path).absoluteFilePath())));
  }
  UpdateRecentFileActions();
}

void CMainFrame::OnArrangeIcons() {
  const QRect area = m_pMdiArea->viewport()->rect();
  int x = 0;
  for (QMdiSubWindow* window : m_pMdiArea->subWindowList()) {
    if (!window->isMinimized()) continue;
    const QSize size = window->size();
    window->move(x, area.bottom() - size.height() + 1);
    x += size.width();
  }
}

}  // namespace cyrvert
