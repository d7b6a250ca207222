// The freedesktop mimeapps.list and desktop-entry files as the association needs them: read a
// value, change one entry, write the file back with every other byte kept. Standard library
// and fileio/ only, so txtassoc links nothing of the editor.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cyrvert {

// An INI-style file of groups and key=value entries, kept line by line so that writing it back
// changes only the entries that were set or removed.
class KeyFile {
 public:
  // Parses `text`; nothing when a line is not blank, a comment, a group header or an entry
  // inside a group, or when the text holds a zero byte.
  static std::optional<KeyFile> Parse(std::string_view text);

  // The value of the first `key` in any group named `group`, trimmed of blanks.
  std::optional<std::string> Value(std::string_view group, std::string_view key) const;
  // Replaces the first such entry, or adds `key=value` at the end of the first such group,
  // or adds the group at the end of the file.
  void SetValue(std::string_view group, std::string_view key, std::string_view value);
  // Removes the first such entry; false when there was none.
  bool RemoveValue(std::string_view group, std::string_view key);

  // The file's text: the lines as read, with the changes.
  std::string Text() const;

 private:
  enum class Kind { kBlank, kComment, kGroup, kEntry };
  struct Line {
    std::string raw;  // the bytes of the line without its '\n'
    Kind kind;
    std::string name;  // group name, or the entry's key
  };
  // Index of the first entry `key` under a group `group`, or npos.
  std::size_t Find(std::string_view group, std::string_view key) const;

  std::vector<Line> m_lines;
  bool m_finalNewline = true;  // the text ended with '\n' (or was empty)
};

// Why a file could not be used.
enum class KeyFileError {
  kNone,
  kUnreadable,   // exists but could not be read
  kUnparsable,   // not a key file; left untouched
  kWriteFailed,  // the new text could not be put in place; the old file stands
};

// A key file read from disk: a missing file reads as an empty one.
struct KeyFileLoad {
  KeyFileError error = KeyFileError::kNone;
  std::optional<KeyFile> file;  // set exactly when error is kNone
  bool existed = false;         // the file was there
};

// Reads and parses the file at `path`.
KeyFileLoad LoadKeyFile(const std::filesystem::path& path);

// Replaces the file at `path` (or the file a symbolic link there points to) with `text`
// atomically, by the program's one file replacement (fileio/file_system.h). Keeps the old
// attributes, creates missing parent folders, and refuses a file we may not write.
KeyFileError WriteFileAtomically(const std::filesystem::path& path, std::string_view text);

// The base folders of the freedesktop base-directory rules, and the desktop names that pick
// desktop-specific lists.
struct XdgDirs {
  std::filesystem::path config_home;  // $XDG_CONFIG_HOME or ~/.config; empty if unknown
  std::vector<std::filesystem::path> config_dirs;  // $XDG_CONFIG_DIRS or /etc/xdg
  std::filesystem::path data_home;                 // $XDG_DATA_HOME or ~/.local/share
  std::vector<std::filesystem::path> data_dirs;    // $XDG_DATA_DIRS or /usr/local/share:/usr/share
  std::vector<std::string> desktops;  // $XDG_CURRENT_DESKTOP's names, lower-cased, in order
};

// The folders as the environment of this process gives them (relative paths are ignored).
XdgDirs XdgDirsFromEnvironment();

// The user's mimeapps.list.
std::filesystem::path UserMimeAppsPath(const XdgDirs& dirs);

// Every mimeapps.list that may name a default application, in the order they are consulted:
// the config folders, then the applications data folders; in each, the lists of the current
// desktops ("gnome-mimeapps.list") before the plain one.
std::vector<std::filesystem::path> MimeAppsLists(const XdgDirs& dirs);

// Whether `list` is one of the user's own lists (in the config home), which may be written.
bool IsUserMimeAppsList(const XdgDirs& dirs, const std::filesystem::path& list);

// The first desktop id of a list value such as "a.desktop;b.desktop;".
std::string FirstDesktopId(std::string_view value);

// A default application and the file that decides it.
struct DefaultApp {
  std::string desktop_id;
  std::filesystem::path source;  // the mimeapps.list (or mimeinfo.cache) that names it
};

// The default application for `mime_type` the way xdg-mime finds it: the first listed desktop
// entry that is installed, from the lists in MimeAppsLists order, else the first program
// whose mimeinfo.cache entry names the type. `own_id`, if given, counts as installed.
std::optional<DefaultApp> DefaultApplication(const XdgDirs& dirs, std::string_view mime_type,
                                             std::string_view own_id = {});

// The installed desktop entry file of `desktop_id` in the applications folders, if any.
std::optional<std::filesystem::path> FindDesktopEntry(const XdgDirs& dirs,
                                                      std::string_view desktop_id);

// The Exec line of the desktop entry at `path`.
std::optional<std::string> DesktopEntryExec(const std::filesystem::path& path);

}  // namespace cyrvert
