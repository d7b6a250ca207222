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

// One encoding of import and export: its name on the command line, its coders, and the
// message the editor shows when the text cannot be decoded (empty for unix, which cannot
// fail). uu exports through ExportUu, which also takes the file name.
struct Codec {
  std::string_view name;
  ImportResult (*import)(std::string_view text);
  std::string (*export_text)(std::string_view text);
  std::string_view failure;
};
constexpr std::array<Codec, 6> kCodecs = {{
    {"utf7", ImportUtf7, ExportUtf7, strings::kUtf7DecodeError},
    {"utf8", ImportUtf8, ExportUtf8, strings::kUtf8DecodeError},
    {"qp", ImportQuotedPrintable, ExportQuotedPrintable, strings::kQpDecodeError},
    {"base64", ImportBase64, ExportBase64, strings::kBase64DecodeError},
    {"uu", ImportUu, nullptr, strings::kUuDecodeError},
    {"unix", ImportUnix, ExportUnix, {}},
}};
constexpr const Codec& kUu = kCodecs[4];

// The editor's title for a document read from standard input.
constexpr std::string_view kDefaultTitle = "Cyrvert1";

struct TransportOptions {
  const Codec* codec = nullptr;
  std::string path;
  std::string name;
  bool have_name = false;
};

// Fills `options` from `args`; false (with a message) on bad usage. `--name` is taken
// only by export.
bool ParseTransportArgs(std::string_view command, const Args& args, bool allow_name,
                        TransportOptions& options, std::ostream& err) {
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
    if (options.codec == nullptr) {
      for (const Codec& entry : kCodecs) {
        if (arg == entry.name) options.codec = &entry;
      }
      if (options.codec == nullptr) {
        err << "cyrvert-cli: unknown encoding '" << arg << "' for " << command
            << "; use utf7, utf8, qp, base64, uu or unix\n";
        return false;
      }
    } else if (!have_path) {
      options.path = arg;
      have_path = true;
    } else {
      err << "cyrvert-cli: " << command << " takes one FILE at most\n";
      return false;
    }
  }
  if (options.codec == nullptr) {
    err << "cyrvert-cli: " << command << " needs an encoding: utf7, utf8, qp, base64, uu or unix\n";
    return false;
  }
  return true;
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
  const ImportResult imported = options.codec->import(text);
  if (!imported.result.ok()) {
    err << options.codec->failure << "\n"
        << "cyrvert-cli: " << DecodeErrorName(imported.result.error) << " at byte "
        << imported.result.position << "\n";
    return kExitNotDecoded;
  }
  if (options.codec == &kUu) err << imported.file_name << "\n";
  WriteBytes(out, imported.result.bytes);
  return kExitOk;
}

int Export(const Args& args, std::ostream& out, std::ostream& err) {
  TransportOptions options;
  if (!ParseTransportArgs("export", args, true, options, err)) return kExitUsage;
  std::string text;
  if (const int status = ReadText(options, text, err); status != kExitOk) return status;
  if (options.codec != &kUu) {
    WriteBytes(out, options.codec->export_text(text));
    return kExitOk;
  }
  std::string_view title = kDefaultTitle;
  if (options.have_name) {
    title = options.name;
  } else if (!options.path.empty() && options.path != "-") {
    title = FileTitle(options.path);
  }
  WriteBytes(out, ExportUu(text, title));
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
