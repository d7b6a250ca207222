// import and export, streamed a slice at a time.
#include "transport/transport_commands.h"

#include <ostream>
#include <string>
#include <string_view>

#include "cli/cli.h"
#include "resources/strings.h"
#include "transport/transport_format.h"
#include "transport/uucode.h"

namespace cyrvert::cli {
namespace {

// The editor's title for a document read from standard input.
constexpr std::string_view kDefaultTitle = "Cyrvert1";

// The encoding `name` names, or null after a message.
const TransportFormatInfo* FindCodec(std::string_view command, const std::string& name,
                                     std::ostream& err) {
  if (const TransportFormatInfo* found = FindTransportFormat(name)) return found;
  err << "cyrvert-cli: unknown encoding '" << name << "' for " << command << "; use "
      << TransportFormatNames() << "\n";
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
  const TransportFormatInfo* codec = FindCodec("import", call.operands[0], err);
  if (codec == nullptr) return kExitUsage;
  ImportStream stream(codec->format, ImportStart::kAfterOwnHeader);
  if (const int status = Stream(InputPath(call, 1), stream, out, err); status != kExitOk) {
    return status;
  }
  if (!stream.ok()) {
    out.Flush();
    err << codec->decode_error << "\n"
        << "cyrvert-cli: " << DecodeErrorName(stream.error()) << " at byte "
        << stream.error_position() << "\n";
    return kExitNotDecoded;
  }
  if (codec->format == TransportFormat::kUu) err << Printable(stream.file_name()) << "\n";
  return kExitOk;
}

int RunExport(const Invocation& call, Output& out, std::ostream& err) {
  const TransportFormatInfo* codec = FindCodec("export", call.operands[0], err);
  if (codec == nullptr) return kExitUsage;
  if (call.Has("--name") && codec->format != TransportFormat::kUu) {
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
  if (codec->format == TransportFormat::kUu && !IsUuFileName(title)) {
    err << "cyrvert-cli: the uuencode file name '" << Printable(title)
        << "' is empty or holds control characters; give another with --name\n";
    return kExitUsage;
  }
  ExportStream stream(codec->format, title);
  return Stream(path, stream, out, err);
}

}  // namespace cyrvert::cli
