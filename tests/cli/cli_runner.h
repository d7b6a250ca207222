// Runs cyrvert-cli as a program for the end-to-end tests.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

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

// A sample of the smart-repair tests, named by its answer.
inline std::string Sample(const std::string& name) {
  return std::string(CYRVERT_TEST_DATA_DIR) + "/smart/" + name;
}

// A fresh, empty folder `name` for one test (per process, so runs side by side do not meet).
inline std::filesystem::path Scratch(const std::string& name) {
  const std::filesystem::path dir =
      std::filesystem::path(::testing::TempDir()) / (name + "_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// The names in a folder, sorted.
inline std::vector<std::string> Names(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace cyrvert::test
