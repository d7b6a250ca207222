// Streamed input and output shared by the sub-commands.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cli/cli.h"

namespace cyrvert::cli {
namespace {

// Output smaller than this is gathered before it is written.
constexpr std::size_t kOutputBuffer = 1 << 16;

std::string Describe(const std::string& path) {
  return path == "-" ? std::string("standard input") : "'" + Printable(path) + "'";
}

// The failure to `action` (open, read) the input at `path` for `error`.
InputFailure Failure(std::string_view action, const std::string& path, int error) {
  const std::string reason = std::strerror(error);
  return InputFailure(
      "cyrvert-cli: cannot " + std::string(action) + " " + Describe(path) + ": " + reason,
      "cannot " + std::string(action) + ": " + reason);
}

}  // namespace

void Output::WriteAll(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(m_nFd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      throw WriteFailure{errno};
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void Output::Write(std::string_view bytes) {
  if (m_buffer.size() + bytes.size() <= kOutputBuffer) {
    m_buffer.append(bytes);
    return;
  }
  Flush();
  if (bytes.size() < kOutputBuffer) {
    m_buffer.append(bytes);
  } else {
    WriteAll(bytes);
  }
}

void Output::WriteSlice(std::string_view bytes, std::size_t input_size) {
  Write(bytes);
  if (input_size < kSliceSize) Flush();
}

void Output::Flush() {
  // Cleared first, so a failure is not written again on the way out.
  const std::string pending = std::move(m_buffer);
  m_buffer.clear();
  WriteAll(pending);
}

Input::Input(const std::string& path) : m_path(path) {
  if (path == "-") {
    m_nFd = STDIN_FILENO;
  } else {
    m_nFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_nFd < 0) {
      throw Failure("open", path, errno);
    }
  }
  // A directory opens, but holds no text.
  struct stat status {};
  if (::fstat(m_nFd, &status) == 0 && S_ISDIR(status.st_mode)) {
    if (m_nFd != STDIN_FILENO) ::close(m_nFd);
    m_nFd = -1;
    throw Failure("open", path, EISDIR);
  }
}

Input::~Input() {
  if (m_nFd > STDIN_FILENO) ::close(m_nFd);
}

bool Input::Read(std::string& slice, std::size_t size) {
  slice.resize(size);
  // Whatever one read gives: a pipe gives what has arrived, so output keeps up with a slow
  // writer. Only a read of nothing is the end, whatever size the file system reported.
  ssize_t got = 0;
  do {
    got = ::read(m_nFd, slice.data(), size);
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    throw Failure("read", m_path, errno);
  }
  slice.resize(static_cast<std::size_t>(got));
  return got > 0;
}

std::string InputPath(const Invocation& call, std::size_t before) {
  return call.operands.size() > before ? call.operands[before] : std::string("-");
}

}  // namespace cyrvert::cli
