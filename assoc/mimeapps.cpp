#include "assoc/mimeapps.h"

#include <cstdlib>
#include <system_error>

#include "fileio/text_file.h"

namespace cyrvert {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

// The line without the '\r' of a CR LF line end.
std::string_view Content(std::string_view raw) {
  if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
  return raw;
}

}  // namespace

std::optional<KeyFile> KeyFile::Parse(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return std::nullopt;
  KeyFile file;
  if (text.empty()) return file;
  // A final '\n' ends the last line; it does not start another one.
  file.m_finalNewline = text.back() == '\n';
  if (file.m_finalNewline) text.remove_suffix(1);
  bool in_group = false;
  std::size_t start = 0;
  std::size_t end = 0;
  do {
    end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view raw = text.substr(start, end - start);
    const std::string_view content = Trim(Content(raw));
    Line line{std::string(raw), Kind::kBlank, {}};
    if (content.empty()) {
      line.kind = Kind::kBlank;
    } else if (content.front() == '#') {
      line.kind = Kind::kComment;
    } else if (content.front() == '[') {
      const std::string_view name = content.substr(1, content.size() - 1);
      if (name.empty() || name.back() != ']') return std::nullopt;
      const std::string_view inner = name.substr(0, name.size() - 1);
      if (inner.find_first_of("[]") != std::string_view::npos) return std::nullopt;
      line.kind = Kind::kGroup;
      line.name = std::string(inner);
      in_group = true;
    } else {
      const std::size_t eq = content.find('=');
      if (!in_group || eq == std::string_view::npos) return std::nullopt;
      const std::string_view key = Trim(content.substr(0, eq));
      if (key.empty()) return std::nullopt;
      line.kind = Kind::kEntry;
      line.name = std::string(key);
    }
    file.m_lines.push_back(std::move(line));
    start = end + 1;
  } while (end < text.size());
  return file;
}

std::size_t KeyFile::Find(std::string_view group, std::string_view key) const {
  bool in_group = false;
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    const Line& line = m_lines[i];
    if (line.kind == Kind::kGroup) {
      in_group = line.name == group;
    } else if (in_group && line.kind == Kind::kEntry && line.name == key) {
      return i;
    }
  }
  return std::string::npos;
}

std::optional<std::string> KeyFile::Value(std::string_view group, std::string_view key) const {
  const std::size_t i = Find(group, key);
  if (i == std::string::npos) return std::nullopt;
  const std::string_view content = Content(m_lines[i].raw);
  return std::string(Trim(content.substr(content.find('=') + 1)));
}

void KeyFile::SetValue(std::string_view group, std::string_view key, std::string_view value) {
  std::string raw = std::string(key) + "=" + std::string(value);
  const std::size_t found = Find(group, key);
  if (found != std::string::npos) {
    // Keep a CR LF line end as it was.
    if (!m_lines[found].raw.empty() && m_lines[found].raw.back() == '\r') raw += '\r';
    m_lines[found].raw = std::move(raw);
    return;
  }
  Line entry{std::move(raw), Kind::kEntry, std::string(key)};
  std::size_t header = std::string::npos;
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    if (m_lines[i].kind == Kind::kGroup && m_lines[i].name == group) {
      header = i;
      break;
    }
  }
  if (header != std::string::npos) {
    // After the group's last non-blank line, so blank separators stay before the next group.
    std::size_t at = header + 1;
    for (std::size_t i = header + 1; i < m_lines.size() && m_lines[i].kind != Kind::kGroup; ++i) {
      if (m_lines[i].kind != Kind::kBlank) at = i + 1;
    }
    if (at == m_lines.size()) m_finalNewline = true;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    return;
  }
  if (!m_lines.empty() && m_lines.back().kind != Kind::kBlank) {
    m_lines.push_back(Line{{}, Kind::kBlank, {}});
  }
  std::string group_line(1, '[');
  group_line.append(group).push_back(']');
  m_lines.push_back(Line{std::move(group_line), Kind::kGroup, std::string(group)});
  m_lines.push_back(std::move(entry));
  m_finalNewline = true;
}

bool KeyFile::RemoveValue(std::string_view group, std::string_view key) {
  const std::size_t found = Find(group, key);
  if (found == std::string::npos) return false;
  m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(found));
  return true;
}

std::string KeyFile::Text() const {
  std::string text;
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    text += m_lines[i].raw;
    if (i + 1 < m_lines.size() || m_finalNewline) text += '\n';
  }
  return text;
}

KeyFileLoad LoadKeyFile(const fs::path& path) {
  KeyFileLoad load;
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (status.type() == fs::file_type::not_found) {
    load.file = KeyFile::Parse({});
    return load;
  }
  load.existed = true;
  if (ec || status.type() == fs::file_type::directory) {
    load.error = KeyFileError::kUnreadable;
    return load;
  }
  const ReadResult read = ReadTextFromFile(path.string());
  if (read.error != ReadError::kNone) {
    load.error = KeyFileError::kUnreadable;
    return load;
  }
  load.file = KeyFile::Parse(read.bytes);
  if (!load.file) load.error = KeyFileError::kUnparsable;
  return load;
}

KeyFileError WriteFileAtomically(const fs::path& path, std::string_view text) {
  ReplaceOptions options;
  options.create_parents = true;
  options.require_writable = true;
  Replacement file(path.string(), options);
  if (file.Replaced().kind != FileKind::kRegular && file.Replaced().kind != FileKind::kMissing) {
    return KeyFileError::kWriteFailed;
  }
  if (!file.Write(text) || !file.Commit()) return KeyFileError::kWriteFailed;
  return KeyFileError::kNone;
}

namespace {

fs::path AbsoluteFromEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return {};
  fs::path path(value);
  return path.is_absolute() ? path : fs::path{};
}

// The non-empty items of a colon-separated list.
std::vector<std::string_view> SplitColons(std::string_view list) {
  std::vector<std::string_view> items;
  while (!list.empty()) {
    const std::size_t colon = list.find(':');
    if (colon != 0) items.push_back(list.substr(0, colon));
    if (colon == std::string_view::npos) break;
    list.remove_prefix(colon + 1);
  }
  return items;
}

std::vector<fs::path> ListFromEnv(const char* name, std::string_view fallback) {
  const char* value = std::getenv(name);
  const std::string_view list =
      value != nullptr && *value != '\0' ? std::string_view(value) : fallback;
  std::vector<fs::path> dirs;
  for (std::string_view item : SplitColons(list)) {
    fs::path dir(item);
    if (dir.is_absolute()) dirs.push_back(std::move(dir));
  }
  return dirs;
}

// The applications folders: the user's, then the system's.
std::vector<fs::path> ApplicationsDirs(const XdgDirs& dirs) {
  std::vector<fs::path> bases;
  if (!dirs.data_home.empty()) bases.push_back(dirs.data_home / "applications");
  for (const fs::path& dir : dirs.data_dirs) bases.push_back(dir / "applications");
  return bases;
}

}  // namespace

XdgDirs XdgDirsFromEnvironment() {
  XdgDirs dirs;
  const fs::path home = AbsoluteFromEnv("HOME");
  dirs.config_home = AbsoluteFromEnv("XDG_CONFIG_HOME");
  if (dirs.config_home.empty() && !home.empty()) dirs.config_home = home / ".config";
  dirs.data_home = AbsoluteFromEnv("XDG_DATA_HOME");
  if (dirs.data_home.empty() && !home.empty()) dirs.data_home = home / ".local" / "share";
  dirs.config_dirs = ListFromEnv("XDG_CONFIG_DIRS", "/etc/xdg");
  dirs.data_dirs = ListFromEnv("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
  const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
  for (std::string_view name : SplitColons(desktops != nullptr ? desktops : "")) {
    std::string lower(name);
    for (char& c : lower) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    dirs.desktops.push_back(std::move(lower));
  }
  return dirs;
}

fs::path UserMimeAppsPath(const XdgDirs& dirs) {
  return dirs.config_home.empty() ? fs::path{} : dirs.config_home / "mimeapps.list";
}

std::vector<fs::path> MimeAppsLists(const XdgDirs& dirs) {
  std::vector<fs::path> folders;
  if (!dirs.config_home.empty()) folders.push_back(dirs.config_home);
  folders.insert(folders.end(), dirs.config_dirs.begin(), dirs.config_dirs.end());
  const std::vector<fs::path> applications = ApplicationsDirs(dirs);
  folders.insert(folders.end(), applications.begin(), applications.end());
  std::vector<fs::path> lists;
  for (const fs::path& folder : folders) {
    for (const std::string& desktop : dirs.desktops) {
      lists.push_back(folder / (desktop + "-mimeapps.list"));
    }
    lists.push_back(folder / "mimeapps.list");
  }
  return lists;
}

bool IsUserMimeAppsList(const XdgDirs& dirs, const fs::path& list) {
  if (dirs.config_home.empty()) return false;
  // Compared with a final separator on both sides, so "/a/b/" and "/a/b" agree.
  return (list.parent_path() / "").lexically_normal() == (dirs.config_home / "").lexically_normal();
}

std::string FirstDesktopId(std::string_view value) {
  return std::string(Trim(value.substr(0, value.find(';'))));
}

std::optional<fs::path> FindDesktopEntry(const XdgDirs& dirs, std::string_view desktop_id) {
  if (desktop_id.empty() || desktop_id.find('/') != std::string_view::npos) return std::nullopt;
  for (const fs::path& folder : ApplicationsDirs(dirs)) {
    const fs::path candidate = folder / desktop_id;
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec)) return candidate;
  }
  return std::nullopt;
}

std::optional<DefaultApp> DefaultApplication(const XdgDirs& dirs, std::string_view mime_type,
                                             std::string_view own_id) {
  for (const fs::path& list : MimeAppsLists(dirs)) {
    const KeyFileLoad load = LoadKeyFile(list);
    if (!load.file) continue;
    const std::optional<std::string> value = load.file->Value("Default Applications", mime_type);
    std::string_view ids = value ? std::string_view(*value) : std::string_view{};
    while (!ids.empty()) {
      std::string id = FirstDesktopId(ids);
      if ((!own_id.empty() && id == own_id) || FindDesktopEntry(dirs, id)) {
        return DefaultApp{std::move(id), list};
      }
      const std::size_t semicolon = ids.find(';');
      if (semicolon == std::string_view::npos) break;
      ids.remove_prefix(semicolon + 1);
    }
  }
  // Last, any installed program that says it opens the type.
  for (const fs::path& folder : ApplicationsDirs(dirs)) {
    const fs::path cache_path = folder / "mimeinfo.cache";
    const KeyFileLoad cache = LoadKeyFile(cache_path);
    if (!cache.file) continue;
    if (std::optional<std::string> value = cache.file->Value("MIME Cache", mime_type)) {
      std::string id = FirstDesktopId(*value);
      if (!id.empty()) return DefaultApp{std::move(id), cache_path};
    }
  }
  return std::nullopt;
}

std::optional<std::string> DesktopEntryExec(const fs::path& path) {
  const KeyFileLoad load = LoadKeyFile(path);
  if (!load.file) return std::nullopt;
  return load.file->Value("Desktop Entry", "Exec");
}

}  // namespace cyrvert
