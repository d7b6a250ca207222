// Reading a file and replacing one whole, the one way the program does both. Standard library
// only in this header; the system calls live in one platform file behind it.
//
// Replacing never leaves a half-written file where a good one stood and never replaces what
// is not a file:
// - the path is followed through symbolic links; the link stays and its target is written;
// - a regular file (or a new one) is written to a temporary file beside it, synced to disk,
//   and renamed over it; the folder is synced after the rename. The result keeps the old
//   file's mode, owner, group and extended attributes where the system allows (set-ID bits
//   only when owner and group are kept too); what could not be kept is reported;
// - the temporary file has a short name of its own (a 255-byte name can be replaced), is
//   removed on failure and, once RemoveTemporariesOnSignals() ran, on SIGINT/SIGTERM/SIGHUP;
// - a character device (/dev/null, a terminal) is written in place, never replaced;
// - a FIFO, a socket, a block device or a folder is refused (a FIFO with no reader would
//   block the program, and a disk or folder is no text);
// - every failure carries the system's reason ("No space left on device").
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cyrvert {

// A file's identity on this machine: its device and inode (two names of one file compare
// equal, whatever their text).
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
  friend auto operator<=>(const FileId&, const FileId&) = default;
};

// What a path names.
enum class FileKind {
  kMissing,
  kRegular,
  kDirectory,
  kCharacterDevice,
  kBlockDevice,
  kFifo,
  kSocket,
  kOther,
};

// A file's kind, identity and the attributes a replacement keeps.
struct FileInfo {
  FileKind kind = FileKind::kMissing;
  FileId id;
  std::uint32_t mode = 0;  // permission bits with set-user-ID, set-group-ID and sticky
  std::uint32_t owner = 0;
  std::uint32_t group = 0;
  std::uint64_t size = 0;
};

// The system's description of an errno value ("No such file or directory"); 0 reads as an
// I/O error, since a failure that set no error is one.
std::string SystemReason(int error);

// The reason given for a device, FIFO, socket or folder where a regular file is needed.
inline constexpr std::string_view kNotRegularReason = "Not a regular file";

// `path` with every symbolic link of its last component followed (a dangling link gives the
// path it points to, so that writing creates the target and keeps the link). Sets `error`
// (ELOOP after 40 links, or why a link could not be read) and returns `path` on failure.
std::string FollowLinks(const std::string& path, int& error);

// What `path` names, links followed; kind kMissing (error 0) when nothing is there. On any
// other failure `error` is set.
FileInfo Inspect(const std::string& path, int& error);

// The folder part of `path` ("." for a bare name) and its last component.
std::pair<std::string, std::string> SplitPath(const std::string& path);

// A file opened for reading, optionally locked against other runs of this program.
class SourceFile {
 public:
  // Opens `path`. With `lock`, takes an exclusive advisory lock (calling `waiting`, if
  // given, before it waits for another holder) and makes sure `path` still names the locked
  // file, reopening it if it was replaced meanwhile; the lock lasts as long as this object.
  SourceFile(const std::string& path, bool lock, const std::function<void()>& waiting = {});
  ~SourceFile();
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;

  // The errno of a failed open or read; 0 while all is well.
  int Error() const { return m_error; }
  // Kind, identity and attributes of the open file.
  const FileInfo& Info() const { return m_info; }
  // Replaces `slice` by up to `size` next bytes; false at the end or on an error (Error()).
  bool Read(std::string& slice, std::size_t size);
  // Whether `path` (links followed) still names this very file.
  bool StillAt(const std::string& path) const;

 private:
  friend int KeepCopy(const SourceFile& source, const std::string& from, const std::string& to);
  int m_fd = -1;
  int m_error = 0;
  FileInfo m_info;
};

// How a replacement treats the file it replaces.
struct ReplaceOptions {
  // Permission bits for the result; unset: the replaced file's mode (with owner, group and
  // extended attributes), or 0666 less the umask for a new file.
  std::optional<std::uint32_t> mode;
  // When the folder admits no new file but the file itself may be written, write it in
  // place (not atomic; for the editor, whose user asked to save there).
  bool in_place_fallback = false;
  // Create missing parent folders of a new file.
  bool create_parents = false;
  // Refuse to replace a file this process may not write, though the folder would allow it.
  bool require_writable = false;
};

// Where a replacement failed.
enum class ReplaceStage : int { kNone = 0, kOpen, kWrite, kClose, kNotRegular, kChanged };

// A file written beside its final place and renamed over it once complete (or, for a
// character device, written where it stands).
class Replacement {
 public:
  // Starts replacing the file at `path` (links followed). Check Stage() before writing.
  Replacement(const std::string& path, const ReplaceOptions& options);
  // Removes the temporary file unless Commit() succeeded.
  ~Replacement();
  Replacement(const Replacement&) = delete;
  Replacement& operator=(const Replacement&) = delete;

  // kNone while all is well; else where it failed, with Reason().
  ReplaceStage Stage() const { return m_stage; }
  // The system's reason for the failure; empty while all is well.
  const std::string& Reason() const { return m_reason; }
  // The file that is replaced: the path with its links followed.
  const std::string& Target() const { return m_target; }
  // What the file was before (kind kMissing for a new file).
  const FileInfo& Replaced() const { return m_replaced; }
  // Appends bytes; false on failure.
  bool Write(std::string_view bytes);
  // Makes the bytes written the file: attributes, sync, then the rename. With `expected`,
  // refuses (kChanged) when the target is no longer that file. False on failure.
  bool Commit(const FileId* expected = nullptr);
  // The attributes of the replaced file that could not be kept, in words ("owner: Operation
  // not permitted"); empty when all were kept.
  const std::vector<std::string>& NotKept() const { return m_notKept; }

 private:
  bool Fail(ReplaceStage stage, int error);
  void KeepAttributes();
  void Discard();

  std::string m_target;
  std::string m_name;       // the target's last component
  std::string m_temporary;  // the temporary file's name in the folder; empty when none
  FileInfo m_replaced;
  ReplaceOptions m_options;
  int m_dirFd = -1;
  int m_fd = -1;
  int m_slot = -1;  // the signal-cleanup slot of the temporary file
  bool m_inPlace = false;
  ReplaceStage m_stage = ReplaceStage::kNone;
  std::string m_reason;
  std::vector<std::string> m_notKept;
};

// Keeps what `source` holds under the name `to`: a hard link to the file `from` when that is
// still the very file read and the file system allows, else a copy of the source's bytes
// with its mode. Never replaces anything: an existing name gives EEXIST. Returns 0 or errno.
int KeepCopy(const SourceFile& source, const std::string& from, const std::string& to);

// Removes a file made by KeepCopy; 0 or errno.
int RemoveFile(const std::string& path);

// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove the temporary files of
// replacements under way, then end the process as the signal would.
void RemoveTemporariesOnSignals();

}  // namespace cyrvert
