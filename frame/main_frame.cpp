// The main frame's life: creation, persistence, close and window-state handling.
#include "frame/main_frame.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFontDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMdiArea>
#include <QScreen>
#include <QUrl>

#include "dialogs/about_dlg.h"
#include "dialogs/desktop_link_opener.h"
#include "dialogs/options_dlg.h"
#include "docview/child_frame.h"
#include "docview/cyrvert_doc.h"
#include "docview/cyrvert_view.h"
#include "docview/doc_template.h"
#include "frame/app_services.h"
#include "frame/clipboard_watch.h"
#include "frame/frame_persistence.h"
#include "frame/tray_icon.h"
#include "resources/strings.h"

namespace cyrvert {

CMainFrame::CMainFrame(AppServices& app, QWidget* parent) : QMainWindow(parent), m_app(app) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromUtf8(strings::kAppTitle));
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128})
    icon.addFile(QStringLiteral(":/icons/cyrvert_%1.png").arg(size));
  setWindowIcon(icon);
  m_chooseFont = [](QWidget* parent_widget, const QFont& initial) -> std::optional<QFont> {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent_widget, QString(),
                                            QFontDialog::FontDialogOptions());
    if (!ok) return std::nullopt;
    return font;
  };
  m_pickWindow = [](QWidget* parent_widget, const QStringList& titles,
                    int current) -> std::optional<int> {
    QInputDialog dialog(parent_widget);
    dialog.setWindowTitle(QStringLiteral("Select Window"));
    dialog.setLabelText(QStringLiteral("&Select Window:"));
    dialog.setComboBoxItems(titles);
    dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
    dialog.setTextValue(titles.value(current));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const auto picked = static_cast<int>(titles.indexOf(dialog.textValue()));
    if (picked < 0) return std::nullopt;
    return picked;
  };
  m_openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

CMainFrame::~CMainFrame() {
  // The document windows go first, while the members their signals reach still exist.
  m_bTearingDown = true;
  if (m_pDocTemplate) m_pDocTemplate->disconnect(this);
  if (m_pMdiArea) {
    m_pMdiArea->disconnect(this);
    delete m_pMdiArea;
    m_pMdiArea = nullptr;
  }
}

bool CMainFrame::OnCreate() {
  m_pMdiArea = new QMdiArea(this);
  m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(m_pMdiArea);
  m_pDocTemplate = new CDocTemplate(*m_pMdiArea, m_app.Prompts(), this);
  m_pDocTemplate->SetFontSource([this] { return m_viewLogFont; });
  // The clipboard monitor stays held until start-up is over: text already on the clipboard
  // when the program starts is not decoded.
  m_pClipboardWatch = new CClipboardWatch(m_app, *this);
  QMetaObject::invokeMethod(
      this, [this] { m_pClipboardWatch->Monitor().Release(); }, Qt::QueuedConnection);
  m_pTrayIcon = new CTrayIcon(
      [this](CommandId id) {
        if (QAction* action = Action(id)) action->trigger();
      },
      this);

  CreateActions();
  CreateToolBar();
  CreateStatusBar();
  CreateMenus();
  ConnectCommands();

  connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, [this] {
    // After the area has merged the maximised window's title, so that ours stands.
    QMetaObject::invokeMethod(this, &CMainFrame::UpdateTitle, Qt::QueuedConnection);
    UpdateActions();
    // A closing window is still listed while it is being deactivated; look again afterwards.
    QMetaObject::invokeMethod(this, &CMainFrame::UpdateMenuBar, Qt::QueuedConnection);
  });
  connect(m_pDocTemplate, &CDocTemplate::DocumentWindowCreated, this,
          &CMainFrame::OnDocumentWindowCreated);
  connect(m_pDocTemplate, &CDocTemplate::MainMenuRefreshRequested, this,
          &CMainFrame::UpdateActions);

  ShowTrayIcon();
  m_pTrayIcon->WatchAvailability([this](bool available) { OnTrayAvailabilityChanged(available); });
  LoadPlacement();
  LoadViewFont();
  UpdateMenuBar();
  UpdateActions();
  return true;
}

CChildFrame* CMainFrame::ActiveChild() const {
  return m_pMdiArea ? qobject_cast<CChildFrame*>(m_pMdiArea->activeSubWindow()) : nullptr;
}

CCyrvertView* CMainFrame::ActiveView() const {
  CChildFrame* child = ActiveChild();
  return child ? child->GetActiveView() : nullptr;
}

CCyrvertView* CMainFrame::OpenNewDocumentWindow() {
  CChildFrame* child = m_pDocTemplate ? m_pDocTemplate->OpenNewDocument() : nullptr;
  return child ? child->GetActiveView() : nullptr;
}

void CMainFrame::LoadPlacement() {
  // Where the system would put a new window: a good part of the primary screen.
  QRect current(0, 0, 800, 600);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect avail = screen->availableGeometry();
    current.setSize(
        QSize(std::min(800, avail.width() * 3 / 4), std::min(600, avail.height() * 3 / 4)));
    current.moveCenter(avail.center());
  }
  // The stored rectangle is applied as it stands, on a screen or not.
  const NormalRect stored = LoadNormalRect(m_app.Store(), NormalRectFromQRect(current));
  setGeometry(QRectFromNormalRect(stored));
}

bool CMainFrame::UpdateViewFont(const LogFont& font) {
  m_viewFont.reset();
  std::optional<QFont> made = FontFromLogFont(font);
  if (!made) return false;
  m_viewFont = *made;
  m_viewLogFont = font;
  return true;
}

void CMainFrame::LoadViewFont() {
  m_viewLogFont = LoadLogFont(m_app.Store(), SystemLogFont());
  m_viewFont = FontFromLogFont(m_viewLogFont);
}

void CMainFrame::SaveViewFont() { SaveLogFont(m_app.Store(), m_viewLogFont); }

void CMainFrame::ShowTrayIcon() {
  if (m_app.CurrentSettings().Tray == 0 || m_bTrayIconShown || !m_pTrayIcon) return;
  if (!m_pTrayIcon->IsAvailable()) return;
  m_pTrayIcon->Show();
  m_bTrayIconShown = true;
}

void CMainFrame::HideTrayIcon() {
  if (!m_bTrayIconShown) return;
  m_pTrayIcon->Hide();
  m_bTrayIconShown = false;
  // Nothing else would bring a hidden window back.
  if (isHidden() && !m_bDestroyed) RestoreFromTray();
}

void CMainFrame::OnTrayAvailabilityChanged(bool available) {
  if (m_bDestroyed) return;
  if (available) {
    ShowTrayIcon();
  } else {
    HideTrayIcon();
  }
}

void CMainFrame::SetTrayProbe(std::function<bool()> available, std::chrono::milliseconds interval) {
  m_pTrayIcon->SetAvailabilityProbe(std::move(available), interval);
}

void CMainFrame::RestoreFromTray() {
  showNormal();
  raise();
  activateWindow();
}

void CMainFrame::OnOptions() {
  COptionsDlg dlg(
      m_app.Boxes(),
      [this](const Settings& settings) {
        m_app.SetSettings(settings);
        m_app.SaveSettings();
      },
      this);
  dlg.SetFromSettings(m_app.CurrentSettings());
  if (dlg.DoModal() == QDialog::Accepted) m_app.SetSettings(dlg.GetSettings());
  if (m_app.CurrentSettings().Tray != 0) {
    ShowTrayIcon();
  } else {
    HideTrayIcon();
  }
}

void CMainFrame::OnSetFont() {
  const QFont current = m_viewFont ? *m_viewFont : font();
  const std::optional<QFont> chosen = m_chooseFont(this, current);
  if (!chosen) return;
  // Underline and strike-out are taken as the dialog gave them.
  const LogFont font = LogFontFromFont(*chosen, m_viewLogFont.CharSet);
  UpdateViewFont(font);
  m_pDocTemplate->ApplyFontToDocuments(font);
}

void CMainFrame::OnStop() { m_bStopRequested = true; }

void CMainFrame::OnAppAbout() {
  DesktopLinkOpener opener;
  CAboutDlg dialog(opener, m_app.Boxes(), this);
  dialog.exec();
}

void CMainFrame::OnCloseAll() { CloseDocumentWindows(*m_pMdiArea, true); }

void CMainFrame::OnCloseNonIconised() { CloseDocumentWindows(*m_pMdiArea, false); }

void CMainFrame::OnFileClose() {
  CChildFrame* child = ActiveChild();
  if (!child || !child->m_bCloseAllowed) return;
  CCyrvertDoc* doc = child->GetActiveDocument();
  if (doc && doc->SaveModified()) doc->OnCloseDocument();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (m_bDestroyed) {
    event->accept();
    return;
  }
  // A command, dialog or search still works on this frame and its views: end once it has
  // returned.
  if (m_bEngineBusy || !IsBetweenCommands()) {
    m_app.PostQuitRequest();
    event->ignore();
    return;
  }
  if (!m_pDocTemplate->SaveAllModified()) {
    event->ignore();
    return;
  }
  OnDestroy();
  // The document windows go with the frame, without asking again.
  for (QMdiSubWindow* window : m_pMdiArea->subWindowList()) {
    if (auto* child = qobject_cast<CChildFrame*>(window)) child->CloseWithoutAsking();
  }
  event->accept();
}

void CMainFrame::OnDestroy() {
  m_bDestroyed = true;
  // A closing frame opens no more clipboard windows.
  m_pClipboardWatch->Monitor().Hold();
  HideTrayIcon();
  m_app.SaveSettings();
  SaveNormalRect(m_app.Store(), NormalRectFromQRect(normalGeometry()));
  SaveViewFont();
  m_app.RecentFiles().WriteList(m_app.Store());
}

void CMainFrame::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && isMinimized() && m_bTrayIconShown) {
    // Minimised with the tray icon present: only the icon remains.
    QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
    return;
  }
  QMainWindow::changeEvent(event);
  // The MDI area writes its own "title - [document]" over ours whenever a window is maximised
  // (and appends to what stands there): ours is put back at once.
  if (event->type() == QEvent::WindowTitleChange) UpdateTitle();
}

}  // namespace cyrvert
