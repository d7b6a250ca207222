// A plain single-byte text document: its title, file, modified flag and views. The text
// itself lives in the view; the document moves it to and from files as exact bytes.
#pragma once

#include <QObject>
#include <QString>
#include <vector>

namespace cyrvert {

class CCyrvertView;
class DocumentPrompts;

class CCyrvertDoc : public QObject {
  Q_OBJECT

 public:
  // A document with no view yet; `prompts` asks the user and must outlive it.
  explicit CCyrvertDoc(DocumentPrompts& prompts, QObject* parent = nullptr);
  ~CCyrvertDoc() override;

  // Starts an empty document titled "Cyrvert<number>".
  void OnNewDocument(int number);
  // Loads the file at `path` into the first view; false (after a message) when it fails.
  bool OnOpenDocument(const QString& path);
  // Writes the first view's text to `path`; false (after a message) when it fails.
  bool OnSaveDocument(const QString& path);

  // File Save: saves under the current path, or asks for one.
  bool DoFileSave();
  // File Save As (empty `path`: ask for one); on success the document takes the new name.
  bool DoSave(const QString& path = {});
  // Asks to save a modified document; false when the user cancels or saving fails.
  bool SaveModified();
  // Closes every window of the document without asking; the document deletes itself.
  void OnCloseDocument();

  // The title shown on the document's windows.
  QString GetTitle() const { return m_strTitle; }
  // Renames the document.
  void SetTitle(const QString& title);
  // The file the document was loaded from or saved to; empty for a new one.
  QString GetPathName() const { return m_strPathName; }
  // Takes `path` as the document's file and its file name as the title.
  void SetPathName(const QString& path);

  // Whether the text changed since it was loaded, saved or marked unchanged.
  bool IsModified() const { return m_bModified; }
  // Sets or clears the modified flag (clearing it also marks the view's text unchanged).
  void SetModifiedFlag(bool modified = true);

  // Registers a view of this document (called by the view).
  void AddView(CCyrvertView* view);
  // Unregisters a view; the last one leaving deletes the document.
  void RemoveView(CCyrvertView* view);
  // The first view, or null.
  CCyrvertView* GetFirstView() const;
  // All views, in creation order.
  const std::vector<CCyrvertView*>& Views() const { return m_views; }
  // Repaints every view.
  void UpdateAllViews();

  // Who asks the user on this document's behalf.
  DocumentPrompts& Prompts() const { return m_prompts; }

 signals:
  // The title changed.
  void TitleChanged(const QString& title);
  // The modified flag changed.
  void ModifiedChanged(bool modified);

 private:
  DocumentPrompts& m_prompts;          // message boxes and file dialogs
  QString m_strTitle;                  // shown title
  QString m_strPathName;               // file path, empty when never saved
  bool m_bModified = false;            // unsaved changes
  bool m_bClosing = false;             // OnCloseDocument under way
  std::vector<CCyrvertView*> m_views;  // views, not owned
};

}  // namespace cyrvert
