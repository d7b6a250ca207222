// Makes document windows in the main frame's MDI area: new ones numbered "Cyrvert1",
// "Cyrvert2", ... for the life of the process, or loaded from files; keeps the list of open
// documents for commands that visit them all.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "docview/font_description.h"

class QMdiArea;
class QPrinter;
class QWidget;

namespace cyrvert {

class CChildFrame;
class CCyrvertDoc;
class DocumentPrompts;

class CDocTemplate : public QObject {
  Q_OBJECT

 public:
  // Windows go into `area`; `prompts` asks the user; both must outlive the template.
  CDocTemplate(QMdiArea& area, DocumentPrompts& prompts, QObject* parent = nullptr);
  ~CDocTemplate() override;

  // Where new views take their font from (the main frame's current description).
  void SetFontSource(std::function<LogFont()> source) { m_fontSource = std::move(source); }

  // File New: an empty document "Cyrvert<n>" in a new maximised, active window.
  CChildFrame* OpenNewDocument();
  // Opens the file at `path` (or activates its window if it is open); null after a message
  // when it cannot be read.
  CChildFrame* OpenDocumentFile(const QString& path);
  // File Open: asks for a file, then OpenDocumentFile; null when cancelled or failed.
  CChildFrame* OnFileOpen(QWidget* parent);

  // Open documents, oldest first.
  std::vector<CCyrvertDoc*> Documents() const;
  // Gives the first view of every open document the font `font` describes.
  void ApplyFontToDocuments(const LogFont& font);
  // Asks to save each modified document; false when the user cancels.
  bool SaveAllModified();

  // The printer every view prints with; keeps the page setup.
  QPrinter& Printer();
  // File Print Setup: Qt's page setup dialog for the shared printer.
  void OnFilePrintSetup(QWidget* parent);

  // Running number of the last new document.
  int m_nUntitledCount = 0;

 signals:
  // A document window was made and activated.
  void DocumentWindowCreated(CChildFrame* frame);
  // Some window asked the main frame to re-evaluate its menus.
  void MainMenuRefreshRequested();

 private:
  // Makes the window for `document` and shows it maximised and active.
  CChildFrame* CreateWindow(CCyrvertDoc* document);

  QMdiArea& m_area;                       // where the windows live
  DocumentPrompts& m_prompts;             // user questions
  std::function<LogFont()> m_fontSource;  // font of new views
  std::unique_ptr<QPrinter> m_printer;    // shared printer, made on first use
};

}  // namespace cyrvert
