#include "profile/recent_file_list.h"

#include <QFileInfo>

namespace cyrvert {

namespace {
const QString kSection = QStringLiteral("Recent File List");
QString Entry(int index) { return QStringLiteral("File%1").arg(index + 1); }
}  // namespace

CRecentFileList::CRecentFileList(int size) : m_size(size) {}

void CRecentFileList::ReadList(const ProfileStore& store) {
  m_files.clear();
  for (int i = 0; i < m_size; ++i) {
    const QString path = store.GetProfileString(kSection, Entry(i), QString());
    if (!path.isEmpty()) m_files.append(path);
  }
}

void CRecentFileList::WriteList(ProfileStore& store) const {
  for (int i = 0; i < m_size; ++i) {
    store.WriteProfileString(kSection, Entry(i), i < m_files.size() ? m_files[i] : QString());
  }
}

void CRecentFileList::Add(const QString& path) {
  const QString full = QFileInfo(path).absoluteFilePath();
  m_files.removeAll(full);
  m_files.prepend(full);
  while (m_files.size() > m_size) m_files.removeLast();
}

void CRecentFileList::Remove(int index) {
  if (index >= 0 && index < m_files.size()) m_files.removeAt(index);
}

}  // namespace cyrvert
