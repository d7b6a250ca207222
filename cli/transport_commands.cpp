// import and export, streamed a slice at a time.
#include "transport/transport_commands.h"

#include <array>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/cli.h"
#include "resources/strings.h"
#include "transport/uucode.h"

namespace cyrvert::cli {
namespace {

// One encoding of import and export: its name on the command line, and the message the
// editor shows when the text cannot be decoded (empty for unix, which cannot fail).
struct Codec {
  std::string_view name;
  TransportFormat codec;
  std::string_view failure;
};
constexpr std::array<Codec, 6> kCodecs = {{
    {"utf7", TransportFormat::kUtf7, strings::kUtf7DecodeError},
    {"utf8", TransportFormat::kUtf8, strings::kUtf8DecodeError},
    {"qp", TransportFormat::kQuotedPrintable, strings::kQpDecodeError},
    {"base64", TransportFormat::kBase64, strings::kBase64DecodeError},
    {"uu", TransportFormat::kUu, strings::kUuDecodeError},
    {"unix", TransportFormat::kUnix, {}},
}};

// The editor's title for a document read from standard input.
constexpr std::string_view kDefaultTitle = "Cyrvert1";

const Codec* FindCodec(std::string_view command, const std::string& name, std::ostream& err) {
  for (const Codec& codec : kCodecs) {
    if (name == codec.name) return &codec;
  }
  err << "cyrvert-cli: unknown encoding '" << name << "' for " << command
      << "; use utf7, utf8, qp, base64, uu or unix\n";
  return nullptr;
}

// The last component of a path: the title the editor gives a document read from it.
std::string_view FileTitle(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Streams the input through `coder` to `out`. Returns kExitTooLittle (with the editor's
// message) for an empty input, else kExitOk; the coder tells whether it failed.
int Stream(const std::string& path, StreamCoder& coder, Output& out, std::ostream& err) {
  Input input(path);
  std::string slice;
  std::string coded;
  if (!input.Read(slice, kSliceSize)) {
    err << strings::kNoText << "\n";
    return kExitTooLittle;
  }
  do {
    coded.clear();
    coder.Put(slice, coded);
    out.WriteSlice(coded, slice.size());
  } while (coder.ok() && input.Read(slice, kSliceSize));
  coded.clear();
  coder.Finish(coded);
  out.Write(coded);
  return kExitOk;
}

}  // namespace

int RunImport(const Invocation& call, Output& out, std::ostream& err) {
  const Codec* codec = FindCodec("import", call.operands[0], err);
  if (codec == nullptr) return kExitUsage;
  ImportStream stream(codec->codec, ImportStart::kAfterOwnHeader);
  if (const int status = Stream(InputPath(call, 1), stream, out, err); status != kExitOk) {
    return status;
  }
  if (!stream.ok()) {
    out.Flush();
    err << codec->failure << "\n"
        << "cyrvert-cli: " << DecodeErrorName(stream.error()) << " at byte "
        << stream.error_position() << "\n";
    return kExitNotDecoded;
  }
  if (codec->codec == TransportFormat::kUu) err << Printable(stream.file_name()) << "\n";
  return kExitOk;
}

int RunExport(const Invocation& call, Output& out, std::ostream& err) {
  const Codec* codec = FindCodec("export", call.operands[0], err);
  if (codec == nullptr) return kExitUsage;
  if (call.Has("--name") && codec->codec != TransportFormat::kUu) {
    err << "cyrvert-cli: --name goes with export uu\n";
    return kExitUsage;
  }
  const std::string path = InputPath(call, 1);
  std::string_view title = kDefaultTitle;
  if (const std::string* name = call.Value("--name")) {
    title = *name;
  } else if (path != "-") {
    title = FileTitle(path);
  }
  // The begin line must read back as it was written.
  if (codec->codec == TransportFormat::kUu && !IsUuFileName(title)) {
    err << "cyrvert-cli: the uuencode file name '" << Printable(title)
        << "' is empty or holds control characters; give another with --name\n";
    return kExitUsage;
  }
  ExportStream stream(codec->codec, title);
  return Stream(path, stream, out, err);
}

}  // namespace cyrvert::cli
