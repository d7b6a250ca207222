#include "frame/view_tracker.h"

#include <algorithm>

#include "docview/child_frame.h"
#include "docview/cyrvert_view.h"

namespace cyrvert {

DocumentHost* CViewTracker::Track(CCyrvertView* view) {
  if (view == nullptr) return nullptr;
  // Windows that are gone are forgotten, so the list stays as short as the open windows.
  std::erase_if(m_views, [](const QPointer<CCyrvertView>& p) { return p.isNull(); });
  if (std::find(m_views.begin(), m_views.end(), view) == m_views.end()) m_views.emplace_back(view);
  return view;
}

CCyrvertView* CViewTracker::Find(const DocumentHost* document) const {
  if (document == nullptr) return nullptr;
  for (const QPointer<CCyrvertView>& view : m_views) {
    // Addresses are compared before anything is dereferenced.
    if (view.isNull() || static_cast<const DocumentHost*>(view.data()) != document) continue;
    // A closed window outlives its close until the event loop deletes it.
    const CChildFrame* child = view->GetParentFrame();
    if (child == nullptr || child->isHidden() || view->GetDocument() == nullptr) return nullptr;
    return view.data();
  }
  return nullptr;
}

}  // namespace cyrvert
