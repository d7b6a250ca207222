#include "assoc/txt_association.h"

#include <utility>

namespace cyrvert {

namespace {

// The editor's entry first in the list value (what the desktop opens .txt files with).
bool NamesCyrvert(const std::optional<std::string>& value) {
  return value && FirstDesktopId(*value) == kCyrvertDesktopId;
}

// The default application of text/plain and the list that decides it. The editor's entry
// counts as installed: a build run from its tree, and an uninstall step that removed the
// entry first, still find the association they made.
std::optional<DefaultApp> TextPlainDefault(const XdgDirs& dirs) {
  return DefaultApplication(dirs, kTextPlainType, kCyrvertDesktopId);
}

AssocResult Write(const std::filesystem::path& path, const KeyFile& file) {
  return WriteFileAtomically(path, file.Text()) == KeyFileError::kNone ? AssocResult::kWritten
                                                                       : AssocResult::kWriteFailed;
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

TxtAssociation::TxtAssociation(XdgDirs dirs) : m_dirs(std::move(dirs)) {}

bool TxtAssociation::IsAssociated() const {
  const std::optional<DefaultApp> app = TextPlainDefault(m_dirs);
  return app && app->desktop_id == kCyrvertDesktopId;
}

AssocResult TxtAssociation::Apply(bool associated) const {
  if (m_dirs.config_home.empty()) return AssocResult::kUnusable;
  if (IsAssociated() == associated) return AssocResult::kUnchanged;
  if (!associated) return GiveBack();

  // Written where the decision is made: the user's list that names the default now, else
  // the user's mimeapps.list, which outranks every list but the user's desktop-specific ones
  // (and those name nothing installed, or they would decide).
  const std::optional<DefaultApp> current = TextPlainDefault(m_dirs);
  const std::filesystem::path path = current && IsUserMimeAppsList(m_dirs, current->source)
                                         ? current->source
                                         : UserMimeAppsPath(m_dirs);
  KeyFileLoad load = LoadKeyFile(path);
  if (!load.file) return AssocResult::kUnusable;
  KeyFile& file = *load.file;
  // An empty stored value means there was no default of the user's: giving back removes ours.
  const std::string previous = file.Value(kDefaultAppsGroup, kTextPlainType).value_or("");
  file.SetValue(kDefaultAppsGroup, kTextPlainType, std::string(kCyrvertDesktopId) + ";");
  file.SetValue(kPreviousDefaultsGroup, kTextPlainType, previous);
  return Write(path, file);
}

AssocResult TxtAssociation::Uninstall() const {
  if (m_dirs.config_home.empty()) return AssocResult::kUnusable;
  // A default that the user or another program set since is left alone.
  if (!IsAssociated()) return AssocResult::kUnchanged;
  return GiveBack();
}

AssocResult TxtAssociation::GiveBack() const {
  // Each list given back can uncover an older entry of ours in a list further down.
  AssocResult result = AssocResult::kUnchanged;
  for (const std::filesystem::path& path : MimeAppsLists(m_dirs)) {
    const std::optional<DefaultApp> current = TextPlainDefault(m_dirs);
    if (!current || current->desktop_id != kCyrvertDesktopId) break;
    // A system list that names the editor is the administrator's; ours cannot outrank it.
    if (!IsUserMimeAppsList(m_dirs, current->source)) break;
    if (path != current->source) continue;
    KeyFileLoad load = LoadKeyFile(path);
    if (!load.file) return AssocResult::kUnusable;
    KeyFile& file = *load.file;
    if (!NamesCyrvert(file.Value(kDefaultAppsGroup, kTextPlainType))) break;
    // The stored default stays in our group after it is given back.
    const std::optional<std::string> previous = file.Value(kPreviousDefaultsGroup, kTextPlainType);
    if (previous && !previous->empty()) {
      file.SetValue(kDefaultAppsGroup, kTextPlainType, *previous);
    } else {
      file.RemoveValue(kDefaultAppsGroup, kTextPlainType);
    }
    result = Write(path, file);
    if (result != AssocResult::kWritten) return result;
  }
  return result;
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
