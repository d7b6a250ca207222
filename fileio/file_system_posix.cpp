// The system calls behind file_system.h, for POSIX systems (Linux: extended attributes).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "fileio/file_system.h"

namespace cyrvert {
namespace {

// Links followed before giving up, as the system does.
constexpr int kMaxLinkHops = 40;
// Names tried for a temporary file before giving up.
constexpr int kTemporaryNameTries = 16;
// Times a locked file is reopened because it was replaced while we waited for the lock.
constexpr int kLockRetries = 16;
// The reason given when the file to be replaced is no longer the one read.
constexpr std::string_view kChangedReason = "the file was changed or replaced meanwhile";

FileKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::kRegular;
  if (S_ISDIR(mode)) return FileKind::kDirectory;
  if (S_ISCHR(mode)) return FileKind::kCharacterDevice;
  if (S_ISBLK(mode)) return FileKind::kBlockDevice;
  if (S_ISFIFO(mode)) return FileKind::kFifo;
  if (S_ISSOCK(mode)) return FileKind::kSocket;
  return FileKind::kOther;
}

FileInfo InfoOf(const struct stat& st) {
  FileInfo info;
  info.kind = KindOf(st.st_mode);
  info.id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  info.mode = static_cast<std::uint32_t>(st.st_mode & 07777);
  info.owner = st.st_uid;
  info.group = st.st_gid;
  info.size = static_cast<std::uint64_t>(st.st_size);
  return info;
}

int CloseKeepingErrno(int fd) {
  const int saved = errno;
  const int result = ::close(fd);
  errno = saved;
  return result;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Syncs `fd`; a file system or device that cannot sync (EINVAL, EROFS) is no failure.
bool Sync(int fd) {
  if (::fsync(fd) == 0) return true;
  return errno == EINVAL || errno == EROFS || errno == ENOTSUP;
}

// Temporary files under way, for the signal handler: the folder's descriptor (-1 for a free
// slot) and the name in it. Written before the descriptor is published.
struct TemporarySlot {
  std::atomic<bool> taken{false};
  std::atomic<int> dir{-1};
  char name[32] = {};
};
constexpr int kSlots = 16;
TemporarySlot g_slots[kSlots];
static_assert(std::atomic<int>::is_always_lock_free);

int ClaimSlot(int dir, const std::string& name) {
  if (name.size() >= sizeof g_slots[0].name) return -1;
  for (int i = 0; i < kSlots; ++i) {
    bool expected = false;
    if (!g_slots[i].taken.compare_exchange_strong(expected, true)) continue;
    std::memcpy(g_slots[i].name, name.c_str(), name.size() + 1);
    g_slots[i].dir.store(dir);
    return i;
  }
  return -1;
}

void ReleaseSlot(int slot) {
  if (slot < 0) return;
  g_slots[slot].dir.store(-1);
  g_slots[slot].taken.store(false);
}

extern "C" void RemoveTemporariesAndDie(int signal_number) {
  for (TemporarySlot& slot : g_slots) {
    const int dir = slot.dir.load();
    if (dir >= 0) ::unlinkat(dir, slot.name, 0);
  }
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

// A short name of our own for a temporary file: a long target name never makes it too long.
std::string TemporaryName() {
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<unsigned> digit(0, 15);
  std::string name = ".cyrvert-";
  for (int i = 0; i < 8; ++i) name += "0123456789abcdef"[digit(generator)];
  return name + ".tmp";
}

// Copies the extended attributes of `from` onto `fd`; notes those that could not be set.
void CopyExtendedAttributes(const std::string& from, int fd, std::vector<std::string>& not_kept) {
  ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
  if (size <= 0) return;  // none, or the file system has none
  std::string names(static_cast<std::size_t>(size), '\0');
  size = ::listxattr(from.c_str(), names.data(), names.size());
  if (size <= 0) return;
  names.resize(static_cast<std::size_t>(size));
  for (std::size_t at = 0; at < names.size();) {
    const std::string name(names.c_str() + at);
    at += name.size() + 1;
    ssize_t length = ::getxattr(from.c_str(), name.c_str(), nullptr, 0);
    std::string value(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0) length = ::getxattr(from.c_str(), name.c_str(), value.data(), value.size());
    if (length < 0 ||
        ::fsetxattr(fd, name.c_str(), value.data(), static_cast<std::size_t>(length), 0) != 0) {
      not_kept.push_back("extended attribute " + name + ": " + SystemReason(errno));
    }
  }
}

}  // namespace

std::string SystemReason(int error) {
  return std::generic_category().message(error != 0 ? error : EIO);
}

std::string FollowLinks(const std::string& path, int& error) {
  error = 0;
  std::string at = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(at.c_str(), &st) != 0) {
      if (errno != ENOENT) error = errno;
      return error != 0 ? path : at;
    }
    if (!S_ISLNK(st.st_mode)) return at;
    std::string target(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096, '\0');
    const ssize_t got = ::readlink(at.c_str(), target.data(), target.size());
    if (got < 0) {
      error = errno;
      return path;
    }
    target.resize(static_cast<std::size_t>(got));
    if (!target.empty() && target.front() == '/') {
      at = target;
    } else {
      const std::size_t slash = at.rfind('/');
      at = slash == std::string::npos ? target : at.substr(0, slash + 1) + target;
    }
  }
  error = ELOOP;
  return path;
}

FileInfo Inspect(const std::string& path, int& error) {
  error = 0;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) error = errno;
    return {};
  }
  return InfoOf(st);
}

std::pair<std::string, std::string> SplitPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? std::string("/") : path.substr(0, slash), path.substr(slash + 1)};
}

SourceFile::SourceFile(const std::string& path, bool lock, const std::function<void()>& waiting) {
  for (int attempt = 0; attempt < kLockRetries; ++attempt) {
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
      m_error = errno;
      return;
    }
    m_info = InfoOf(st);
    if (!lock || m_info.kind != FileKind::kRegular) return;
    int locked = ::flock(m_fd, LOCK_EX | LOCK_NB);
    if (locked != 0 && errno == EWOULDBLOCK) {
      if (waiting) waiting();
      do {
        locked = ::flock(m_fd, LOCK_EX);
      } while (locked != 0 && errno == EINTR);
    }
    // A file system without locks still has the check before the rename.
    if (locked != 0 && errno != ENOLCK && errno != EOPNOTSUPP) {
      m_error = errno;
      return;
    }
    // Another run may have replaced the file while we waited: lock the one the name holds.
    if (StillAt(path)) return;
    ::close(m_fd);
    m_fd = -1;
  }
  m_error = EAGAIN;
}

SourceFile::~SourceFile() {
  if (m_fd >= 0) ::close(m_fd);
}

bool SourceFile::Read(std::string& slice, std::size_t size) {
  slice.resize(size);
  if (m_fd < 0) {
    slice.clear();
    return false;
  }
  ssize_t got = 0;
  do {
    got = ::read(m_fd, slice.data(), size);
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    m_error = errno;
    got = 0;
  }
  slice.resize(static_cast<std::size_t>(got));
  return got > 0;
}

bool SourceFile::StillAt(const std::string& path) const {
  int error = 0;
  const FileInfo now = Inspect(path, error);
  return error == 0 && now.kind != FileKind::kMissing && now.id == m_info.id;
}

Replacement::Replacement(const std::string& path, const ReplaceOptions& options)
    : m_options(options) {
  int error = 0;
  m_target = FollowLinks(path, error);
  if (error != 0) {
    Fail(ReplaceStage::kOpen, error);
    return;
  }
  m_replaced = Inspect(m_target, error);
  if (error != 0) {
    Fail(ReplaceStage::kOpen, error);
    return;
  }
  switch (m_replaced.kind) {
    case FileKind::kMissing:
    case FileKind::kRegular:
      break;
    case FileKind::kCharacterDevice:
      m_inPlace = true;
      m_fd = ::open(m_target.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
      if (m_fd < 0) Fail(ReplaceStage::kOpen, errno);
      return;
    case FileKind::kDirectory:
      Fail(ReplaceStage::kNotRegular, EISDIR);
      return;
    default:
      m_stage = ReplaceStage::kNotRegular;
      m_reason = kNotRegularReason;
      return;
  }
  const bool exists = m_replaced.kind == FileKind::kRegular;
  if (exists && options.require_writable &&
      ::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0) {
    Fail(ReplaceStage::kOpen, errno);
    return;
  }
  auto [dir, name] = SplitPath(m_target);
  m_name = std::move(name);
  if (!exists && options.create_parents) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
      Fail(ReplaceStage::kOpen, ec.value());
      return;
    }
  }
  m_dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (m_dirFd < 0) {
    Fail(ReplaceStage::kOpen, errno);
    return;
  }
  for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    const std::string temporary = TemporaryName();
    // 0600 until the result is complete and given the old file's mode; a new file gets the
    // usual 0666 less the umask from the start.
    m_fd = ::openat(m_dirFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    exists ? 0600 : 0666);
    if (m_fd >= 0) {
      m_temporary = temporary;
      m_slot = ClaimSlot(m_dirFd, m_temporary);
      return;
    }
    if (errno == EEXIST) continue;
    const int failure = errno;
    if (exists && options.in_place_fallback &&
        (failure == EACCES || failure == EPERM || failure == EROFS)) {
      m_inPlace = true;
      m_fd = ::open(m_target.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
      if (m_fd < 0) Fail(ReplaceStage::kOpen, errno);
      return;
    }
    Fail(ReplaceStage::kOpen, failure);
    return;
  }
  Fail(ReplaceStage::kOpen, EEXIST);
}

Replacement::~Replacement() { Discard(); }

bool Replacement::Fail(ReplaceStage stage, int error) {
  if (m_stage == ReplaceStage::kNone) {
    m_stage = stage;
    m_reason = SystemReason(error);
  }
  Discard();
  return false;
}

void Replacement::Discard() {
  if (m_fd >= 0) {
    CloseKeepingErrno(m_fd);
    m_fd = -1;
  }
  if (!m_temporary.empty()) {
    ::unlinkat(m_dirFd, m_temporary.c_str(), 0);
    m_temporary.clear();
  }
  ReleaseSlot(m_slot);
  m_slot = -1;
  if (m_dirFd >= 0) {
    ::close(m_dirFd);
    m_dirFd = -1;
  }
}

bool Replacement::Write(std::string_view bytes) {
  if (m_stage != ReplaceStage::kNone || m_fd < 0) return false;
  if (!WriteAll(m_fd, bytes)) return Fail(ReplaceStage::kWrite, errno);
  return true;
}

void Replacement::KeepAttributes() {
  if (m_options.mode) {
    if (::fchmod(m_fd, static_cast<mode_t>(*m_options.mode)) != 0) {
      m_notKept.push_back("mode: " + SystemReason(errno));
    }
    return;
  }
  if (m_replaced.kind != FileKind::kRegular) return;
  const int chown_error = ::fchown(m_fd, m_replaced.owner, m_replaced.group) == 0 ? 0 : errno;
  struct stat st {};
  ::fstat(m_fd, &st);
  mode_t mode = m_replaced.mode;
  // Set-ID bits belong to the owner and group they were given for.
  if (st.st_uid != m_replaced.owner) {
    m_notKept.push_back("owner: " + SystemReason(chown_error));
    mode &= static_cast<mode_t>(~S_ISUID);
  }
  if (st.st_gid != m_replaced.group) {
    m_notKept.push_back("group: " + SystemReason(chown_error));
    mode &= static_cast<mode_t>(~S_ISGID);
  }
  if (::fchmod(m_fd, mode) != 0) m_notKept.push_back("mode: " + SystemReason(errno));
  CopyExtendedAttributes(m_target, m_fd, m_notKept);
}

bool Replacement::Commit(const FileId* expected) {
  if (m_stage != ReplaceStage::kNone || m_fd < 0) return false;
  if (m_inPlace) {
    const bool synced = Sync(m_fd);
    const int fd = m_fd;
    m_fd = -1;
    if (!synced) {
      CloseKeepingErrno(fd);
      return Fail(ReplaceStage::kWrite, errno);
    }
    if (::close(fd) != 0) return Fail(ReplaceStage::kClose, errno);
    Discard();
    return true;
  }
  KeepAttributes();
  if (!Sync(m_fd)) return Fail(ReplaceStage::kWrite, errno);
  const int fd = m_fd;
  m_fd = -1;
  if (::close(fd) != 0) return Fail(ReplaceStage::kClose, errno);
  if (expected != nullptr) {
    struct stat st {};
    if (::fstatat(m_dirFd, m_name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        InfoOf(st).id != *expected) {
      m_stage = ReplaceStage::kChanged;
      m_reason = kChangedReason;
      Discard();
      return false;
    }
  }
  // The folder first, so that what was made beside the file (a backup) is on disk before the
  // file is replaced; then again for the rename itself.
  Sync(m_dirFd);
  if (::renameat(m_dirFd, m_temporary.c_str(), m_dirFd, m_name.c_str()) != 0) {
    return Fail(ReplaceStage::kWrite, errno);
  }
  m_temporary.clear();
  Sync(m_dirFd);
  Discard();
  return true;
}

int KeepCopy(const SourceFile& source, const std::string& from, const std::string& to) {
  if (source.m_fd < 0) return EBADF;
  if (source.StillAt(from)) {
    if (::link(from.c_str(), to.c_str()) == 0) {
      struct stat st {};
      if (::lstat(to.c_str(), &st) == 0 && InfoOf(st).id == source.Info().id) return 0;
      // The name was replaced between the check and the link: the copy below is the file read.
      ::unlink(to.c_str());
    } else if (errno == EEXIST || errno == ENAMETOOLONG || errno == ENOENT) {
      return errno;
    }
  }
  const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  std::string buffer(1 << 16, '\0');
  off_t offset = 0;
  int error = 0;
  for (;;) {
    const ssize_t got = ::pread(source.m_fd, buffer.data(), buffer.size(), offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) error = errno;
    if (got <= 0) break;
    if (!WriteAll(fd, std::string_view(buffer.data(), static_cast<std::size_t>(got)))) {
      error = errno;
      break;
    }
    offset += got;
  }
  if (error == 0) {
    const FileInfo& info = source.Info();
    const bool owned = ::fchown(fd, info.owner, info.group) == 0;
    if (::fchmod(fd, static_cast<mode_t>(owned ? info.mode : info.mode & 0777)) != 0 || !Sync(fd)) {
      error = errno;
    }
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) ::unlink(to.c_str());
  return error;
}

int RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

void RemoveTemporariesOnSignals() {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    ::sigaction(signal_number, nullptr, &current);
    if (current.sa_handler == SIG_IGN) continue;  // as under nohup: stays ignored
    struct sigaction action {};
    action.sa_handler = RemoveTemporariesAndDie;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal_number, &action, nullptr);
  }
}

}  // namespace cyrvert
