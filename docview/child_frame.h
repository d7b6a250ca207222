// The document window inside the main frame's MDI area: holds one view, opens maximised,
// and refuses the window's Close while its text is being searched.
#pragma once

#include <QMdiSubWindow>

class QMdiArea;

namespace cyrvert {

class CCyrvertView;
class CCyrvertDoc;

class CChildFrame : public QMdiSubWindow {
  Q_OBJECT

 public:
  // A frame holding `view` (ownership passes to the frame); deletes itself when closed.
  explicit CChildFrame(CCyrvertView* view, QWidget* parent = nullptr);

  // The view shown.
  CCyrvertView* GetActiveView() const { return m_pView; }
  // The view's document.
  CCyrvertDoc* GetActiveDocument() const;

  // Whether the window's Close may run.
  bool IsCloseAllowed() const { return m_bCloseAllowed; }
  // Allows or forbids the window's Close, then RefreshMainMenu.
  void SetCloseAllowed(bool allowed);
  // Asks the main frame to recompute its command states.
  void RefreshMainMenu();

  // Closes the window with no question and no close rule (its document is closing).
  void CloseWithoutAsking();

  bool m_bCloseAllowed = true;  // false while the window's text is being searched

 signals:
  // The main frame should re-evaluate its menu items (Close in particular).
  void MainMenuRefreshRequested();

 protected:
  // Ignored while closing is not allowed; the last window of a modified document asks to
  // save first.
  void closeEvent(QCloseEvent* event) override;
  // Activation makes the main frame re-evaluate its menus.
  void focusInEvent(QFocusEvent* event) override;

 private:
  // Window title from the document's title and modified flag.
  void UpdateTitle();

  CCyrvertView* m_pView;       // the one view, owned as the frame's widget
  bool m_bForceClose = false;  // CloseWithoutAsking under way
};

// Closes documents from the active window on: all of them, or (include_minimised false)
// every one that has a window which is not minimised. Unmodified documents close without a
// question; a modified one asks to save, and Cancel stops there. Windows whose Close is not
// allowed are left open.
void CloseDocumentWindows(QMdiArea& area, bool include_minimised);

}  // namespace cyrvert
