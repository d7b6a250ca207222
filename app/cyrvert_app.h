// The application object: owns the Settings, the recent-file list and the main frame, runs the
// start-up, and offers the services long commands use (pumping events, new windows).
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "assoc/txt_association.h"
#include "frame/app_services.h"

namespace cyrvert {

class CMainFrame;
class CCyrvertView;
class DocumentPrompts;

class CCyrvertApp : public QObject, public AppServices {
  Q_OBJECT

 public:
  // The profile store, message boxes and document prompts must outlive the object.
  CCyrvertApp(ProfileStore& store, MessageBoxes& boxes, DocumentPrompts& prompts);
  ~CCyrvertApp() override;

  // Start-up: settings, main frame, command line (`arguments` without the program name).
  // False when the program should end at once.
  bool InitInstance(const QStringList& arguments);

  // Reads the Settings from the profile.
  void LoadSettings();
  // Writes the Settings to the profile.
  void SaveSettings() override;
  // Sets m_bTxtAssociated from the user's mimeapps.list.
  void ReadTxtAssociation();
  // Makes the user's mimeapps.list agree with m_bTxtAssociated.
  void ApplyTxtAssociation();

  // Dispatches waiting events and refreshes the command states; false once the user asked
  // the program to quit, after which the caller abandons its work.
  bool PumpPendingMessages() override;
  // Asks the program to end as soon as no long command is running.
  void PostQuitRequest() override;
  // Whether a long command is inside PumpPendingMessages right now.
  bool IsPumping() const override { return m_nPumpDepth > 0; }
  // Whether a quit request is waiting for a long command to return.
  bool IsQuitRequested() const { return m_bQuitRequested; }

  // Opens a new empty document window and makes it active; its view, or null.
  CCyrvertView* OpenNewDocumentWindow();

  // The main window, or null before start-up and after it was destroyed.
  CMainFrame* MainFrame() const;
  const Settings& CurrentSettings() const override { return m_settings; }
  void SetSettings(const Settings& settings) override { m_settings = settings; }
  bool IsTxtAssociated() const override { return m_bTxtAssociated; }
  void SetTxtAssociated(bool associated) override;
  ProfileStore& Store() override { return m_store; }
  MessageBoxes& Boxes() override { return m_boxes; }
  DocumentPrompts& Prompts() override { return m_prompts; }
  CRecentFileList& RecentFiles() override { return m_recentFiles; }

  Settings m_settings;            // the one Settings record of the process
  bool m_bTxtAssociated = false;  // .txt files open with this program

 private:
  // Closes the main window once no long command is running.
  void TryDeferredQuit();

  // The user's mimeapps.list, found from the environment once.
  TxtAssociation m_txtAssociation{XdgDirsFromEnvironment()};
  ProfileStore& m_store;
  MessageBoxes& m_boxes;
  DocumentPrompts& m_prompts;
  CRecentFileList m_recentFiles{4};
  QPointer<CMainFrame> m_pMainFrame;  // deletes itself when closed
  int m_nPumpDepth = 0;               // nesting of PumpPendingMessages
  bool m_bQuitRequested = false;      // the main window was closed during a long command
  QTimer m_quitTimer;                 // retries the deferred close
};

}  // namespace cyrvert
