#include "transport/text_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <new>
#include <random>
#include <stdexcept>
#include <system_error>

namespace cyrvert {
namespace {

namespace fs = std::filesystem;

// The reason given for a device, FIFO, socket or folder.
constexpr std::string_view kNotRegularReason = "Not a regular file";
// Links followed before giving up, as the system does.
constexpr int kMaxLinkHops = 40;
// Names tried for the temporary file before giving up.
constexpr int kTemporaryNameTries = 16;

// The system's description of `error`; a failure that set no error counts as an I/O error.
std::string Reason(int error) { return std::generic_category().message(error != 0 ? error : EIO); }

// `path` with every symbolic link along the last component followed; a dangling link gives
// the path it points to, so that saving creates the target and keeps the link.
fs::path FollowLinks(const fs::path& path, std::error_code& ec) {
  fs::path at = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    const fs::file_status link = fs::symlink_status(at, ec);
    if (link.type() == fs::file_type::not_found) {
      ec.clear();
      return at;
    }
    if (ec || !fs::is_symlink(link)) return at;
    const fs::path target = fs::read_symlink(at, ec);
    if (ec) return at;
    at = target.is_absolute() ? target : at.parent_path() / target;
  }
  ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
  return at;
}

// Writes all of `text` to `file` and closes it.
SaveResult WriteAndClose(std::FILE* file, std::string_view text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fflush(file) != 0) {
    SaveResult result{SaveError::kWrite, Reason(errno)};
    std::fclose(file);
    return result;
  }
  errno = 0;
  if (std::fclose(file) != 0) return {SaveError::kClose, Reason(errno)};
  return {};
}

// Truncates and writes the file at `path` where it stands.
SaveResult WriteInPlace(const fs::path& path, std::string_view text) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return {SaveError::kOpen, Reason(errno)};
  return WriteAndClose(file, text);
}

// A new, empty file beside `path` that no one else uses; null with errno set when none
// could be made.
std::FILE* CreateTemporary(const fs::path& path, fs::path& temporary) {
  std::random_device seed;
  std::mt19937 generator(seed());
  std::uniform_int_distribution<unsigned> digit(0, 15);
  for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    std::string name = path.filename().string() + ".cyrvert-";
    for (int i = 0; i < 8; ++i) name += "0123456789abcdef"[digit(generator)];
    temporary = path.parent_path() / name;
    errno = 0;
    // "x": fails if the name exists, so another file is never truncated.
    if (std::FILE* file = std::fopen(temporary.c_str(), "wbx")) return file;
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

// Writes a temporary file beside `path` and renames it over `path`.
SaveResult ReplaceByRename(const fs::path& path, std::string_view text, bool exists) {
  fs::path temporary;
  std::FILE* file = CreateTemporary(path, temporary);
  if (file == nullptr) {
    const int error = errno;
    // A folder that admits no new file may still hold a file its owner may write.
    if (exists && (error == EACCES || error == EPERM)) return WriteInPlace(path, text);
    return {SaveError::kOpen, Reason(error)};
  }
  SaveResult result = WriteAndClose(file, text);
  std::error_code ec;
  if (result.error == SaveError::kNone && exists) {
    const fs::perms perms = fs::status(path, ec).permissions();
    if (!ec) fs::permissions(temporary, perms, fs::perm_options::replace, ec);
  }
  if (result.error == SaveError::kNone) {
    fs::rename(temporary, path, ec);
    if (ec) result = {SaveError::kWrite, ec.message()};
  }
  if (result.error != SaveError::kNone) fs::remove(temporary, ec);
  return result;
}

}  // namespace

SaveResult SaveTextToFile(const std::string& path, std::string_view text) {
  std::error_code ec;
  const fs::path target = FollowLinks(path, ec);
  if (ec) return {SaveError::kOpen, ec.message()};
  const fs::file_status status = fs::status(target, ec);
  switch (status.type()) {
    case fs::file_type::not_found:
      return ReplaceByRename(target, text, false);
    case fs::file_type::regular:
      return ReplaceByRename(target, text, true);
    case fs::file_type::character:
      return WriteInPlace(target, text);
    case fs::file_type::directory:
      return {SaveError::kNotRegular, Reason(EISDIR)};
    default:
      if (ec) return {SaveError::kOpen, ec.message()};
      return {SaveError::kNotRegular, std::string(kNotRegularReason)};
  }
}

ReadResult ReadTextFromFile(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  switch (status.type()) {
    case fs::file_type::regular:
    case fs::file_type::fifo:
    case fs::file_type::not_found:  // fopen tells why
      break;
    case fs::file_type::directory:
      return {ReadError::kNotRegular, {}, Reason(EISDIR)};
    default:
      if (ec) return {ReadError::kOpen, {}, ec.message()};
      return {ReadError::kNotRegular, {}, std::string(kNotRegularReason)};
  }
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return {ReadError::kOpen, {}, Reason(errno)};
  ReadResult result;
  try {
    // Room for the whole file at once, but pages are touched only as bytes arrive, so a file
    // too big for memory fails here or early instead of after a long read.
    if (status.type() == fs::file_type::regular) {
      const std::uintmax_t size = fs::file_size(path, ec);
      if (!ec) result.bytes.reserve(static_cast<std::size_t>(size));
    }
    char chunk[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) result.bytes.append(chunk, got);
  } catch (const std::bad_alloc&) {
    std::fclose(file);
    return {ReadError::kNoMemory, {}, Reason(ENOMEM)};
  } catch (const std::length_error&) {
    std::fclose(file);
    return {ReadError::kNoMemory, {}, Reason(ENOMEM)};
  }
  const bool failed = std::ferror(file) != 0;
  const int error = errno;
  std::fclose(file);
  if (failed) return {ReadError::kRead, {}, Reason(error)};
  return result;
}

}  // namespace cyrvert
