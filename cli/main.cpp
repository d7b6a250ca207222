// cyrvert-cli: the recoding engine and the transport codecs on the command line.
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "cli/cli.h"
#include "cli/repair_command.h"

int main(int argc, char** argv) {
  using namespace cyrvert::cli;
  std::ios::sync_with_stdio(false);
  if (argc < 2) {
    PrintUsage(std::cerr);
    return kExitUsage;
  }
  const std::string_view command = argv[1];
  Args args(argv + 2, argv + argc);
  if (command == "--help" || command == "-h" || command == "help") {
    PrintUsage(std::cout);
    return kExitOk;
  }
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      PrintUsage(std::cout);
      return kExitOk;
    }
  }
  int status = kExitUsage;
  if (command == "decode") {
    status = RunDecode(args, std::cout, std::cerr);
  } else if (command == "translate") {
    status = RunTranslate(args, std::cout, std::cerr);
  } else if (command == "set8bit") {
    status = RunSet8Bit(args, std::cout, std::cerr);
  } else if (command == "import") {
    status = RunImport(args, std::cout, std::cerr);
  } else if (command == "export") {
    status = RunExport(args, std::cout, std::cerr);
  } else if (command == "repair") {
    status = RunRepair(args, std::cout, std::cerr);
  } else {
    std::cerr << "cyrvert-cli: unknown command '" << command << "'\n";
    PrintUsage(std::cerr);
    return kExitUsage;
  }
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "cyrvert-cli: cannot write to standard output\n";
    return kExitUsage;
  }
  return status;
}
