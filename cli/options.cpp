// The argument parser every sub-command shares.
#include <ostream>

#include "cli/cli.h"
#include "engine/code_page.h"

namespace cyrvert::cli {

bool Invocation::Has(std::string_view option) const { return Value(option) != nullptr; }

const std::string* Invocation::Value(std::string_view option) const {
  const std::string* value = nullptr;
  for (const auto& [name, given] : options) {
    if (name == option) value = &given;
  }
  return value;
}

bool ParseArguments(const Command& command, std::span<const std::string> args, Invocation& call,
                    std::ostream& err) {
  const std::string usage =
      "usage: cyrvert-cli " + std::string(command.name) + " " + std::string(command.synopsis);
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.empty()) {
      err << "cyrvert-cli: an empty argument names no file; use - for standard input\n";
      return false;
    }
    if (options_done || arg == "-" || arg[0] != '-') {
      call.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_done = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      call.help = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const Option* known = nullptr;
    for (const Option& option : command.options) {
      if (name == option.name) known = &option;
    }
    if (known == nullptr || arg[1] != '-') {
      err << "cyrvert-cli: " << command.name << " takes no option '" << Printable(name) << "'\n";
      return false;
    }
    if (!known->takes_value) {
      if (equals != std::string::npos) {
        err << "cyrvert-cli: " << name << " takes no value\n";
        return false;
      }
      call.options.emplace_back(name, std::string());
    } else if (equals != std::string::npos) {
      call.options.emplace_back(name, arg.substr(equals + 1));
    } else if (i + 1 < args.size()) {
      call.options.emplace_back(name, args[++i]);
    } else {
      err << "cyrvert-cli: " << name << " needs a value\n";
      return false;
    }
  }
  if (call.operands.size() < command.min_operands) {
    err << "cyrvert-cli: too few arguments; " << usage << "\n";
    return false;
  }
  if (call.operands.size() > command.max_operands) {
    err << "cyrvert-cli: too many arguments; " << usage << "\n";
    return false;
  }
  return true;
}

bool ReadTarget(const Invocation& call, int& page, std::ostream& err) {
  const std::string* name = call.Value("--target");
  if (name == nullptr) return true;
  if (const int found = CodePageByOption(*name); found >= 0) {
    page = found;
    return true;
  }
  err << "cyrvert-cli: --target must be " << CodePageOptions() << "\n";
  return false;
}

}  // namespace cyrvert::cli
