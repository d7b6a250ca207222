// cyrvert-cli: sub-commands, the one argument parser they share, and streamed input and
// output.
//
// Adding a sub-command: write `int RunX(const Invocation&, Output&, std::ostream& err)`
// and add one Command line to the table in command_table.cpp (its name, its options, how
// many operands it takes, its usage text). The parser then checks every argument against
// that line, so the run function sees only options it declared and an operand count in
// range; "--help" never reaches it. Input is read and output written in slices through
// Input and Output; a failed read or write throws, and main() turns that into the message
// and exit status below, so a sub-command needs no error path of its own for them.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "api/cyrvert_api.h"

namespace cyrvert::cli {

// Exit statuses shared by every sub-command.
enum ExitStatus : int {
  kExitOk = 0,
  kExitUsage = 2,        // bad usage, unreadable input, or too little memory
  kExitNotDecoded = 3,   // nothing found / decoding failed
  kExitTooLittle = 4,    // empty input or too few upper-half bytes
  kExitWriteFailed = 5,  // standard output could not be written (full disk, closed pipe)
};

// An option: its long name with the dashes ("--name"), and whether it takes a value
// ("--name VALUE" or "--name=VALUE").
struct Option {
  std::string_view name;
  bool takes_value = false;
};

// A sub-command's arguments, checked against its Command line.
struct Invocation {
  std::vector<std::pair<std::string, std::string>> options;  // name and value, as given
  std::vector<std::string> operands;  // the other arguments, in order; "-" is standard input
  bool help = false;                  // --help or -h stood where an option may

  // Whether the option was given.
  bool Has(std::string_view option) const;
  // The value the option was given last, or null when it was not given.
  const std::string* Value(std::string_view option) const;
};

// Standard output written through a buffer. A failed write throws WriteFailure at once.
class Output {
 public:
  explicit Output(int fd) : m_nFd(fd) {}
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  void Write(std::string_view bytes);
  // Writes `bytes` of a slice of input; a short slice (the input is slow) goes out at once.
  void WriteSlice(std::string_view bytes, std::size_t input_size);
  void Flush();

 private:
  void WriteAll(std::string_view bytes);
  int m_nFd;
  std::string m_buffer;
};

// A write to standard output failed; `error` is the errno value.
struct WriteFailure {
  int error;
};

// A file, or standard input, read to its end in slices whatever size the file system
// reports. Failing to open or read throws InputFailure.
class Input {
 public:
  // `path` "-" is standard input.
  explicit Input(const std::string& path);
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;
  ~Input();
  // Replaces `slice` by up to `size` next bytes (fewer when a pipe has no more yet); false
  // at the end of the input.
  bool Read(std::string& slice, std::size_t size);
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
  int m_nFd = -1;
};

// Opening or reading an input failed; what() is the whole message, `brief` the part after
// the name ("cannot open: No such file or directory").
struct InputFailure : std::runtime_error {
  InputFailure(const std::string& message, std::string brief_text = {})
      : std::runtime_error(message), brief(std::move(brief_text)) {}
  std::string brief;
};

// Bytes read at a time by the streaming sub-commands.
inline constexpr std::size_t kSliceSize = 1 << 18;

// A sub-command.
struct Command {
  std::string_view name;
  std::span<const Option> options;
  std::size_t min_operands;
  std::size_t max_operands;  // SIZE_MAX for any number (FILE...)
  int (*run)(const Invocation& call, Output& out, std::ostream& err);
  std::string_view synopsis;  // what follows the name on the usage line
  std::string_view help;      // its part of --help, indented
};

// Every sub-command, in the order of --help.
std::span<const Command> Commands();

// Fills `call` from `args` (the words after the sub-command's name) by the rules every
// sub-command shares: --opt=value or --opt value, "--" ends the options, "-" is standard
// input, an empty argument is refused, --help (or -h) where an option may stand sets
// `help` (as an option's value it is that value). False after one message on `err` for the
// first mistake.
bool ParseArguments(const Command& command, std::span<const std::string> args, Invocation& call,
                    std::ostream& err);

// The code page --target names (win, dos, koi or iso); `page` is left as it is when the
// option is absent. False after one message on `err` for any other name.
bool ReadTarget(const Invocation& call, int& page, std::ostream& err);

// The whole usage text of --help.
void PrintUsage(std::ostream& out);

// The input operand of a sub-command whose operands end in an optional FILE: "-" when
// there are no more than `before` operands.
std::string InputPath(const Invocation& call, std::size_t before);

// Messages of the editor on one line, as every front end prints them.
using api::OneLine;

// A name for the terminal: control characters and backslashes escaped as \xHH, so a name
// cannot move the cursor or pass for more than one line.
std::string Printable(std::string_view name);

// `bytes` as a JSON string. Bytes that are not UTF-8 become "\udcHH" (HH the byte, as
// Python's surrogateescape reads them back); control characters become "\u00HH".
std::string JsonString(std::string_view bytes);

// Sub-commands.
int RunDecode(const Invocation& call, Output& out, std::ostream& err);
int RunTranslate(const Invocation& call, Output& out, std::ostream& err);
int RunSet8Bit(const Invocation& call, Output& out, std::ostream& err);
int RunImport(const Invocation& call, Output& out, std::ostream& err);
int RunExport(const Invocation& call, Output& out, std::ostream& err);

}  // namespace cyrvert::cli
