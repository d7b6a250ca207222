#include "assoc/mimeapps.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

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
  bool inGroup = false;
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
      inGroup = true;
    } else {
      const std::size_t eq = content.find('=');
      if (!inGroup || eq == std::string_view::npos) return std::nullopt;
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
  bool inGroup = false;
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    const Line& line = m_lines[i];
    if (line.kind == Kind::kGroup) {
      inGroup = line.name == group;
    } else if (inGroup && line.kind == Kind::kEntry && line.name == key) {
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
  std::string groupLine(1, '[');
  groupLine.append(group).push_back(']');
  m_lines.push_back(Line{std::move(groupLine), Kind::kGroup, std::string(group)});
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
  std::ifstream in(path, std::ios::binary);
  std::string text;
  if (in) text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in.is_open() || in.bad()) {
    load.error = KeyFileError::kUnreadable;
    return load;
  }
  load.file = KeyFile::Parse(text);
  if (!load.file) load.error = KeyFileError::kUnparsable;
  return load;
}

namespace {

// Follows symbolic links at `path` so that writing replaces the file, not the link.
fs::path ResolveLinks(fs::path path) {
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec))) break;
    fs::path target = fs::read_symlink(path, ec);
    if (ec) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return path;
}

}  // namespace

KeyFileError WriteFileAtomically(const fs::path& path, std::string_view text) {
  const fs::path target = ResolveLinks(path);
  std::error_code ec;
  const fs::file_status status = fs::status(target, ec);
  const bool exists = status.type() != fs::file_type::not_found && !ec;
  if (exists) {
    if (status.type() != fs::file_type::regular) return KeyFileError::kWriteFailed;
    // Renaming would replace a file we may not write; opening it for append changes nothing.
    std::FILE* probe = std::fopen(target.c_str(), "ab");
    if (probe == nullptr) return KeyFileError::kWriteFailed;
    std::fclose(probe);
  } else if (target.has_parent_path()) {
    fs::create_directories(target.parent_path(), ec);
    if (ec) return KeyFileError::kWriteFailed;
  }

  std::random_device random;
  fs::path temporary;
  std::FILE* out = nullptr;
  for (int attempt = 0; attempt < 8 && out == nullptr; ++attempt) {
    temporary = target;
    temporary += ".tmp-" + std::to_string(random());
    out = std::fopen(temporary.c_str(), "wbx");
  }
  if (out == nullptr) return KeyFileError::kWriteFailed;
  const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  const bool flushed = std::fflush(out) == 0;
  const bool closed = std::fclose(out) == 0;
  if (written && flushed && closed) {
    if (exists) fs::permissions(temporary, status.permissions(), ec);
    if (!ec) fs::rename(temporary, target, ec);
    if (!ec) return KeyFileError::kNone;
  }
  fs::remove(temporary, ec);
  return KeyFileError::kWriteFailed;
}

namespace {

fs::path AbsoluteFromEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return {};
  fs::path path(value);
  return path.is_absolute() ? path : fs::path{};
}

std::vector<fs::path> ListFromEnv(const char* name, std::string_view fallback) {
  const char* value = std::getenv(name);
  std::string_view list = value != nullptr && *value != '\0' ? std::string_view(value) : fallback;
  std::vector<fs::path> dirs;
  while (!list.empty()) {
    const std::size_t colon = list.find(':');
    const fs::path dir(list.substr(0, colon));
    if (dir.is_absolute()) dirs.push_back(dir);
    if (colon == std::string_view::npos) break;
    list.remove_prefix(colon + 1);
  }
  return dirs;
}

}  // namespace

XdgDirs XdgDirsFromEnvironment() {
  XdgDirs dirs;
  const fs::path home = AbsoluteFromEnv("HOME");
  dirs.configHome = AbsoluteFromEnv("XDG_CONFIG_HOME");
  if (dirs.configHome.empty() && !home.empty()) dirs.configHome = home / ".config";
  dirs.dataHome = AbsoluteFromEnv("XDG_DATA_HOME");
  if (dirs.dataHome.empty() && !home.empty()) dirs.dataHome = home / ".local" / "share";
  dirs.configDirs = ListFromEnv("XDG_CONFIG_DIRS", "/etc/xdg");
  dirs.dataDirs = ListFromEnv("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
  return dirs;
}

fs::path UserMimeAppsPath(const XdgDirs& dirs) {
  return dirs.configHome.empty() ? fs::path{} : dirs.configHome / "mimeapps.list";
}

std::string FirstDesktopId(std::string_view value) {
  return std::string(Trim(value.substr(0, value.find(';'))));
}

std::optional<fs::path> FindDesktopEntry(const XdgDirs& dirs, std::string_view desktopId) {
  if (desktopId.empty() || desktopId.find('/') != std::string_view::npos) return std::nullopt;
  std::vector<fs::path> bases;
  if (!dirs.dataHome.empty()) bases.push_back(dirs.dataHome);
  bases.insert(bases.end(), dirs.dataDirs.begin(), dirs.dataDirs.end());
  for (const fs::path& base : bases) {
    const fs::path candidate = base / "applications" / desktopId;
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec)) return candidate;
  }
  return std::nullopt;
}

std::optional<std::string> DefaultApplication(const XdgDirs& dirs, std::string_view mimeType) {
  // mimeapps.list in the config folders, then in the applications data folders.
  std::vector<fs::path> lists;
  if (!dirs.configHome.empty()) lists.push_back(dirs.configHome / "mimeapps.list");
  for (const fs::path& dir : dirs.configDirs) lists.push_back(dir / "mimeapps.list");
  std::vector<fs::path> dataBases;
  if (!dirs.dataHome.empty()) dataBases.push_back(dirs.dataHome);
  dataBases.insert(dataBases.end(), dirs.dataDirs.begin(), dirs.dataDirs.end());
  for (const fs::path& base : dataBases) lists.push_back(base / "applications" / "mimeapps.list");

  for (const fs::path& list : lists) {
    const KeyFileLoad load = LoadKeyFile(list);
    if (!load.file) continue;
    std::optional<std::string> value = load.file->Value("Default Applications", mimeType);
    std::string_view ids = value ? std::string_view(*value) : std::string_view{};
    while (!ids.empty()) {
      const std::string id = FirstDesktopId(ids);
      if (FindDesktopEntry(dirs, id)) return id;
      const std::size_t semicolon = ids.find(';');
      if (semicolon == std::string_view::npos) break;
      ids.remove_prefix(semicolon + 1);
    }
  }
  // Last, any installed program that says it opens the type.
  for (const fs::path& base : dataBases) {
    const KeyFileLoad cache = LoadKeyFile(base / "applications" / "mimeinfo.cache");
    if (!cache.file) continue;
    if (std::optional<std::string> value = cache.file->Value("MIME Cache", mimeType)) {
      const std::string id = FirstDesktopId(*value);
      if (!id.empty()) return id;
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
