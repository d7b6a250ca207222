// cyrvert-cli: the recoding engine and the transport codecs on the command line.
#include <csignal>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "resources/project_info.h"
#include "resources/strings.h"

int main(int argc, char** argv) {
  using namespace cyrvert::cli;
  // A closed pipe is reported as a failed write, with its reason and status, rather than
  // ending the process silently.
  std::signal(SIGPIPE, SIG_IGN);
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << "cyrvert-cli: no command given; see cyrvert-cli --help\n";
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    PrintUsage(std::cout);
    return kExitOk;
  }
  if (args[0] == "--version") {
    std::cout << "cyrvert-cli " << cyrvert::project::kVersion << "\n";
    return kExitOk;
  }
  const Command* command = nullptr;
  for (const Command& entry : Commands()) {
    if (args[0] == entry.name) command = &entry;
  }
  if (command == nullptr) {
    std::cerr << "cyrvert-cli: unknown command '" << Printable(args[0])
              << "'; see cyrvert-cli --help\n";
    return kExitUsage;
  }
  Invocation call;
  if (!ParseArguments(*command, std::span(args).subspan(1), call, std::cerr)) return kExitUsage;
  if (call.help) {
    PrintUsage(std::cout);
    return kExitOk;
  }
  Output out(1);
  try {
    const int status = command->run(call, out, std::cerr);
    out.Flush();
    return status;
  } catch (const WriteFailure& failure) {
    std::cerr << "cyrvert-cli: cannot write to standard output: " << std::strerror(failure.error)
              << "\n";
    return kExitWriteFailed;
  } catch (const InputFailure& failure) {
    std::cerr << failure.what() << "\n";
    try {
      out.Flush();  // what was made before the failure
    } catch (const WriteFailure&) {
    }
    return kExitUsage;
  } catch (const std::bad_alloc&) {
    std::cerr << cyrvert::strings::kNotEnoughMemory << "\n";
    return kExitUsage;
  }
}
