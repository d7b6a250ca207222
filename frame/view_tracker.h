// The document windows a command host handed out, watched: events pumped during a command
// (a search, a dialog) can close any of them, and a closed one must never be touched again.
#pragma once

#include <QPointer>
#include <vector>

namespace cyrvert {

class CCyrvertView;
class DocumentHost;

class CViewTracker {
 public:
  // Starts watching `view`; returns it as a document, or null for null.
  DocumentHost* Track(CCyrvertView* view);
  // The watched view behind `document` while its window is open, else null. `document` is
  // compared by address only: it may point at a window already deleted.
  CCyrvertView* Find(const DocumentHost* document) const;

 private:
  std::vector<QPointer<CCyrvertView>> m_views;  // every window handed out
};

}  // namespace cyrvert
