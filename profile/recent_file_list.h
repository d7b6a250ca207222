// The list of recently used files, newest first, kept in the profile section
// "Recent File List" as "File1".."File<n>".
#pragma once

#include <QStringList>

#include "profile/profile_store.h"

namespace cyrvert {

class CRecentFileList {
 public:
  // A list of at most `size` entries.
  explicit CRecentFileList(int size);
  // Reads the entries from the profile; empty ones are skipped.
  void ReadList(const ProfileStore& store);
  // Writes every slot ("" for the unused ones).
  void WriteList(ProfileStore& store) const;
  // Puts `path` first, dropping an earlier entry of the same file and the oldest one.
  void Add(const QString& path);
  // Drops the entry at `index`.
  void Remove(int index);
  // The entries, newest first.
  const QStringList& Files() const { return m_files; }
  // The number of slots.
  int Size() const { return m_size; }

 private:
  int m_size;
  QStringList m_files;
};

}  // namespace cyrvert
