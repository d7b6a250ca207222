#include "app/cyrvert_app.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>

#include "docview/doc_template.h"
#include "frame/main_frame.h"
#include "profile/settings_io.h"

namespace cyrvert {

CCyrvertApp::CCyrvertApp(ProfileStore& store, MessageBoxes& boxes, DocumentPrompts& prompts)
    : m_store(store), m_boxes(boxes), m_prompts(prompts) {
  m_quitTimer.setInterval(20);
  connect(&m_quitTimer, &QTimer::timeout, this, &CCyrvertApp::TryDeferredQuit);
}

CCyrvertApp::~CCyrvertApp() {
  if (m_pMainFrame) delete m_pMainFrame.data();
}

CMainFrame* CCyrvertApp::MainFrame() const { return m_pMainFrame.data(); }

bool CCyrvertApp::InitInstance(const QStringList& arguments) {
  m_recentFiles.ReadList(m_store);
  ReadTxtAssociation();
  LoadSettings();

  // Text already on the clipboard while the frame comes up is never decoded.
  const std::int32_t autoClip = m_settings.AutoClip;
  m_settings.AutoClip = 0;
  auto* frame = new CMainFrame(*this);
  m_pMainFrame = frame;
  // The program ends with its main window, also one closed while hidden behind the tray icon
  // (the toolkit ends it only when the last visible window closes).
  connect(frame, &QObject::destroyed, this, [] { QCoreApplication::quit(); });
  if (!frame->OnCreate()) {
    delete frame;
    m_settings.AutoClip = autoClip;
    return false;
  }

  // Every argument that is not a switch names a file to open (a desktop entry passes several);
  // with none, a new document. Start-up fails only when nothing could be opened.
  QStringList files;
  for (const QString& argument : arguments) {
    if (!argument.startsWith('-')) files << argument;
  }
  bool processed = false;
  if (files.isEmpty()) {
    processed = frame->DocTemplate().OpenNewDocument() != nullptr;
  }
  for (const QString& file : files) {
    if (frame->DocTemplate().OpenDocumentFile(file) != nullptr) {
      m_recentFiles.Add(file);
      processed = true;
    }
  }
  if (!processed) {
    m_settings.AutoClip = autoClip;
    return false;
  }

  frame->show();
  frame->repaint();
  m_settings.AutoClip = autoClip;
  return true;
}

void CCyrvertApp::LoadSettings() { m_settings = cyrvert::LoadSettings(m_store, m_settings); }

void CCyrvertApp::SaveSettings() { cyrvert::SaveSettings(m_store, m_settings); }

void CCyrvertApp::ReadTxtAssociation() { m_bTxtAssociated = m_txtAssociation.IsAssociated(); }

void CCyrvertApp::ApplyTxtAssociation() {
  // Failures are silent: the check mark shows the wish until the next start reads the file.
  m_txtAssociation.Apply(m_bTxtAssociated);
}

void CCyrvertApp::SetTxtAssociated(bool associated) {
  m_bTxtAssociated = associated;
  ApplyTxtAssociation();
}

bool CCyrvertApp::PumpPendingMessages() {
  ++m_nPumpDepth;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  --m_nPumpDepth;
  if (m_pMainFrame) m_pMainFrame->UpdateActions();
  return !m_bQuitRequested;
}

void CCyrvertApp::PostQuitRequest() {
  m_bQuitRequested = true;
  if (!m_quitTimer.isActive()) m_quitTimer.start();
}

void CCyrvertApp::TryDeferredQuit() {
  if (!m_pMainFrame) {
    m_quitTimer.stop();
    return;
  }
  if (m_pMainFrame->m_bEngineBusy || !m_pMainFrame->IsBetweenCommands()) {
    // A dialog holds up the command under it: it is answered with Cancel, so that the
    // command returns and the program can end.
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
    return;
  }
  m_quitTimer.stop();
  m_bQuitRequested = false;
  m_pMainFrame->close();
}

CCyrvertView* CCyrvertApp::OpenNewDocumentWindow() {
  return m_pMainFrame ? m_pMainFrame->OpenNewDocumentWindow() : nullptr;
}

}  // namespace cyrvert
