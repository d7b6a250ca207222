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
  return path == "-" ? std::string("standard input") : "'" + path + "'";
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
      throw InputFailure("cyrvert-cli: cannot open " + Describe(path) + ": " +
                         std::strerror(errno));
    }
  }
  // A directory opens, but holds no text.
  struct stat status {};
  if (::fstat(m_nFd, &status) == 0 && S_ISDIR(status.st_mode)) {
    if (m_nFd != STDIN_FILENO) ::close(m_nFd);
    m_nFd = -1;
    throw InputFailure("cyrvert-cli: cannot open " + Describe(path) + ": " + std::strerror(EISDIR));
  }
}

Input::~Input() {
  if (m_nFd > STDIN_FILENO) ::close(m_nFd);
}

bool Input::Read(std::string& slice, std::size_t size) {
  slice.resize(size);
  std::size_t got = 0;
  // Until the slice is full or the input ends: pipes and special files give less at a
  // time, and only a read of nothing is the end.
  while (got < size) {
    const ssize_t n = ::read(m_nFd, slice.data() + got, size - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw InputFailure("cyrvert-cli: cannot read " + Describe(m_path) + ": " +
                         std::strerror(errno));
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  slice.resize(got);
  return got > 0;
}

std::string Input::ReadAll() {
  std::string all;
  std::string slice;
  while (Read(slice, kSliceSize)) all += slice;
  return all;
}

std::string InputPath(const Invocation& call, std::size_t before) {
  return call.operands.size() > before ? call.operands[before] : std::string("-");
}

std::string OneLine(std::string_view message) {
  std::string line;
  for (std::size_t i = 0; i < message.size(); ++i) {
    const char c = message[i];
    if (c != '\n') {
      line += c;
      continue;
    }
    // A break after the end of a sentence stays; one inside a sentence joins its halves.
    const char before = line.empty() ? '.' : line.back();
    if (before == '.' || before == '!' || before == '?' || i + 1 == message.size()) {
      line += c;
    } else if (before != ' ') {
      line += ' ';
    }
  }
  return line;
}

}  // namespace cyrvert::cli
