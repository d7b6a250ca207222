// Sub-commands of cyrvert-cli. Each takes its arguments (after the sub-command name) and
// returns the process exit status.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cyrvert::cli {

// Exit statuses shared by every sub-command.
enum ExitStatus : int {
  kExitOk = 0,
  kExitUsage = 2,       // bad usage or unreadable input
  kExitNotDecoded = 3,  // nothing found / decoding failed
  kExitTooLittle = 4,   // empty input or too few upper-half bytes
};

using Args = std::vector<std::string>;

int RunDecode(const Args& args, std::ostream& out, std::ostream& err);
int RunTranslate(const Args& args, std::ostream& out, std::ostream& err);
int RunSet8Bit(const Args& args, std::ostream& out, std::ostream& err);
int RunImport(const Args& args, std::ostream& out, std::ostream& err);
int RunExport(const Args& args, std::ostream& out, std::ostream& err);

// The whole usage text of --help.
void PrintUsage(std::ostream& out);

// Reads FILE, or standard input when `path` is empty, as bytes. On failure writes a message
// naming the file to `err` and returns nothing.
std::optional<std::string> ReadInput(const std::string& path, std::ostream& err);

// Writes bytes unchanged to standard output (binary safe).
void WriteBytes(std::ostream& out, std::string_view bytes);

// Runs `command`; a text too large for memory ends it with `message` and kExitUsage instead
// of an abort.
int GuardMemory(const std::function<int()>& command, std::string_view message, std::ostream& err);

}  // namespace cyrvert::cli
