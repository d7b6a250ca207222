// Runs cyrvert-cli as a program for the end-to-end tests.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace cyrvert::test {

// The whole file as bytes.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes `bytes` to `path`, replacing it.
inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs cyrvert-cli with `args` (shell words), standard input from the file `input`.
inline CliRun RunCli(const std::string& args, const std::string& input = "/dev/null") {
  // Per process, so test programs running side by side do not share the capture files.
  const std::string stem = ::testing::TempDir() + "cli_" + std::to_string(::getpid());
  const std::string out = stem + "_out.bin";
  const std::string err = stem + "_err.txt";
  const std::string command = std::string("'") + CYRVERT_CLI + "' " + args + " <'" + input +
                              "' >'" + out + "' 2>'" + err + "'";
  const int raw = std::system(command.c_str());
  CliRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  run.out = ReadFile(out);
  run.err = ReadFile(err);
  return run;
}

}  // namespace cyrvert::test
