#include "assoc/txt_association.h"

#include <utility>

namespace cyrvert {

namespace {

// Whether the default value names the editor first (what the desktop opens .txt files with).
bool NamesCyrvert(const KeyFile& file) {
  const std::optional<std::string> value = file.Value(kDefaultAppsGroup, kTextPlainType);
  return value && FirstDesktopId(*value) == kCyrvertDesktopId;
}

}  // namespace

std::string_view AssocResultName(AssocResult result) {
  switch (result) {
    case AssocResult::kUnchanged:
      return "unchanged";
    case AssocResult::kWritten:
      return "written";
    case AssocResult::kUnusable:
      return "mimeapps.list unreadable";
    case AssocResult::kWriteFailed:
      return "mimeapps.list not writable";
  }
  return "unknown";
}

TxtAssociation::TxtAssociation(std::filesystem::path mimeappsList)
    : m_path(std::move(mimeappsList)) {}

bool TxtAssociation::IsAssociated() const {
  if (m_path.empty()) return false;
  const KeyFileLoad load = LoadKeyFile(m_path);
  return load.file && NamesCyrvert(*load.file);
}

AssocResult TxtAssociation::Apply(bool associated) const {
  if (m_path.empty()) return AssocResult::kUnusable;
  KeyFileLoad load = LoadKeyFile(m_path);
  if (!load.file) return AssocResult::kUnusable;
  KeyFile& file = *load.file;
  if (NamesCyrvert(file) == associated) return AssocResult::kUnchanged;
  if (!associated) return GiveBack(file);

  // An empty stored value means there was no default of the user's: giving back removes ours.
  const std::string previous = file.Value(kDefaultAppsGroup, kTextPlainType).value_or("");
  file.SetValue(kDefaultAppsGroup, kTextPlainType, std::string(kCyrvertDesktopId) + ";");
  file.SetValue(kPreviousDefaultsGroup, kTextPlainType, previous);
  return WriteFileAtomically(m_path, file.Text()) == KeyFileError::kNone
             ? AssocResult::kWritten
             : AssocResult::kWriteFailed;
}

AssocResult TxtAssociation::Uninstall() const {
  if (m_path.empty()) return AssocResult::kUnusable;
  KeyFileLoad load = LoadKeyFile(m_path);
  if (!load.file) return AssocResult::kUnusable;
  // A default that the user or another program set since is left alone.
  if (!NamesCyrvert(*load.file)) return AssocResult::kUnchanged;
  return GiveBack(*load.file);
}

AssocResult TxtAssociation::GiveBack(KeyFile& file) const {
  // The stored default stays in our group after it is given back.
  const std::optional<std::string> previous = file.Value(kPreviousDefaultsGroup, kTextPlainType);
  if (previous && !previous->empty()) {
    file.SetValue(kDefaultAppsGroup, kTextPlainType, *previous);
  } else {
    file.RemoveValue(kDefaultAppsGroup, kTextPlainType);
  }
  return WriteFileAtomically(m_path, file.Text()) == KeyFileError::kNone
             ? AssocResult::kWritten
             : AssocResult::kWriteFailed;
}

std::string CommandTail(int argc, const char* const* argv) {
  std::string tail;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) tail += ' ';
    tail += argv[i];
  }
  std::size_t skip = 0;
  while (skip < tail.size() && static_cast<unsigned char>(tail[skip]) <= ' ') ++skip;
  return tail.substr(skip);
}

}  // namespace cyrvert
