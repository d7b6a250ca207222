// import and export.
#include "transport/transport_commands.h"

#include <array>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "cli/cli.h"
#include "resources/strings.h"

namespace cyrvert::cli {
namespace {

enum class Codec { kUtf7, kUtf8, kQp, kBase64, kUu, kUnix };

struct CodecName {
  std::string_view name;
  Codec codec;
};
constexpr std::array<CodecName, 6> kCodecs = {{{"utf7", Codec::kUtf7},
                                               {"utf8", Codec::kUtf8},
                                               {"qp", Codec::kQp},
                                               {"base64", Codec::kBase64},
                                               {"uu", Codec::kUu},
                                               {"unix", Codec::kUnix}}};

// The editor's title for a document read from standard input.
constexpr std::string_view kDefaultTitle = "Cyrvert1";

struct TransportOptions {
  Codec codec = Codec::kUtf7;
  std::string path;
  std::string name;
  bool have_name = false;
};

// Fills `options` from `args`; false (with a message) on bad usage. `--name` is taken
// only by export.
bool ParseTransportArgs(std::string_view command, const Args& args, bool allow_name,
                        TransportOptions& options, std::ostream& err) {
  bool have_codec = false;
  bool have_path = false;
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!options_done && arg == "--") {
      options_done = true;
      continue;
    }
    if (!options_done && allow_name && (arg == "--name" || arg.rfind("--name=", 0) == 0)) {
      if (arg == "--name") {
        if (i + 1 >= args.size()) {
          err << "cyrvert-cli: --name needs a value\n";
          return false;
        }
        options.name = args[++i];
      } else {
        options.name = arg.substr(7);
      }
      options.have_name = true;
      continue;
    }
    if (!options_done && arg.size() > 1 && arg[0] == '-') {
      err << "cyrvert-cli: unknown option '" << arg << "' for " << command << "\n";
      return false;
    }
    if (!have_codec) {
      bool known = false;
      for (const CodecName& entry : kCodecs) {
        if (arg == entry.name) {
          options.codec = entry.codec;
          known = true;
        }
      }
      if (!known) {
        err << "cyrvert-cli: unknown encoding '" << arg << "' for " << command
            << "; use utf7, utf8, qp, base64, uu or unix\n";
        return false;
      }
      have_codec = true;
    } else if (!have_path) {
      options.path = arg;
      have_path = true;
    } else {
      err << "cyrvert-cli: " << command << " takes one FILE at most\n";
      return false;
    }
  }
  if (!have_codec) {
    err << "cyrvert-cli: " << command << " needs an encoding: utf7, utf8, qp, base64, uu or unix\n";
    return false;
  }
  return true;
}

// The message the editor shows when `codec` cannot decode the text.
std::string_view DecodeFailureMessage(Codec codec) {
  switch (codec) {
    case Codec::kUtf7:
      return strings::kUtf7DecodeError;
    case Codec::kUtf8:
      return strings::kUtf8DecodeError;
    case Codec::kQp:
      return strings::kQpDecodeError;
    case Codec::kBase64:
      return strings::kBase64DecodeError;
    case Codec::kUu:
      return strings::kUuDecodeError;
    case Codec::kUnix:
      break;
  }
  return {};
}

// The last component of a path: the title the editor gives a document read from it.
std::string_view FileTitle(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Reads the input; on success `text` holds it. Returns an exit status when the command
// ends here (unreadable or empty input), kExitOk to go on.
int ReadText(const TransportOptions& options, std::string& text, std::ostream& err) {
  auto input = ReadInput(options.path, err);
  if (!input) return kExitUsage;
  if (input->empty()) {
    err << strings::kNoText << "\n";
    return kExitTooLittle;
  }
  text = std::move(*input);
  return kExitOk;
}

int Import(const Args& args, std::ostream& out, std::ostream& err) {
  TransportOptions options;
  if (!ParseTransportArgs("import", args, false, options, err)) return kExitUsage;
  std::string text;
  if (const int status = ReadText(options, text, err); status != kExitOk) return status;
  ImportResult imported;
  switch (options.codec) {
    case Codec::kUtf7:
      imported = ImportUtf7(text);
      break;
    case Codec::kUtf8:
      imported = ImportUtf8(text);
      break;
    case Codec::kQp:
      imported = ImportQuotedPrintable(text);
      break;
    case Codec::kBase64:
      imported = ImportBase64(text);
      break;
    case Codec::kUu:
      imported = ImportUu(text);
      break;
    case Codec::kUnix:
      imported = ImportUnix(text);
      break;
  }
  if (!imported.result.ok()) {
    err << DecodeFailureMessage(options.codec) << "\n"
        << "cyrvert-cli: " << DecodeErrorName(imported.result.error) << " at byte "
        << imported.result.position << "\n";
    return kExitNotDecoded;
  }
  if (options.codec == Codec::kUu) err << imported.file_name << "\n";
  WriteBytes(out, imported.result.bytes);
  return kExitOk;
}

int Export(const Args& args, std::ostream& out, std::ostream& err) {
  TransportOptions options;
  if (!ParseTransportArgs("export", args, true, options, err)) return kExitUsage;
  std::string text;
  if (const int status = ReadText(options, text, err); status != kExitOk) return status;
  std::string exported;
  switch (options.codec) {
    case Codec::kUtf7:
      exported = ExportUtf7(text);
      break;
    case Codec::kUtf8:
      exported = ExportUtf8(text);
      break;
    case Codec::kQp:
      exported = ExportQuotedPrintable(text);
      break;
    case Codec::kBase64:
      exported = ExportBase64(text);
      break;
    case Codec::kUu: {
      std::string_view title = kDefaultTitle;
      if (options.have_name) {
        title = options.name;
      } else if (!options.path.empty() && options.path != "-") {
        title = FileTitle(options.path);
      }
      exported = ExportUu(text, title);
      break;
    }
    case Codec::kUnix:
      exported = ExportUnix(text);
      break;
  }
  WriteBytes(out, exported);
  return kExitOk;
}

}  // namespace

int RunImport(const Args& args, std::ostream& out, std::ostream& err) {
  return GuardMemory([&] { return Import(args, out, err); }, strings::kNotEnoughMemory, err);
}

int RunExport(const Args& args, std::ostream& out, std::ostream& err) {
  return GuardMemory([&] { return Export(args, out, err); }, strings::kNotEnoughMemory, err);
}

}  // namespace cyrvert::cli
