#include "fileio/text_file.h"

#include <cerrno>
#include <new>
#include <stdexcept>

namespace cyrvert {

SaveResult SaveTextToFile(const std::string& path, std::string_view text) {
  ReplaceOptions options;
  options.in_place_fallback = true;
  Replacement file(path, options);
  if (file.Write(text)) file.Commit();
  if (file.Stage() == ReplaceStage::kNone) return {};
  return {file.Stage(), file.Reason()};
}

ReadResult ReadTextFromFile(const std::string& path) {
  int error = 0;
  const FileInfo info = Inspect(path, error);
  if (error != 0) return {ReadError::kOpen, {}, SystemReason(error)};
  switch (info.kind) {
    case FileKind::kRegular:
    case FileKind::kFifo:
    case FileKind::kMissing:  // opening tells why
      break;
    case FileKind::kDirectory:
      return {ReadError::kNotRegular, {}, SystemReason(EISDIR)};
    default:
      return {ReadError::kNotRegular, {}, std::string(kNotRegularReason)};
  }
  SourceFile file(path, false);
  if (file.Error() != 0) return {ReadError::kOpen, {}, SystemReason(file.Error())};
  ReadResult result;
  try {
    // Room for the whole file at once, but pages are touched only as bytes arrive, so a file
    // too big for memory fails here or early instead of after a long read.
    if (file.Info().kind == FileKind::kRegular) {
      result.bytes.reserve(static_cast<std::size_t>(file.Info().size));
    }
    std::string chunk;
    while (file.Read(chunk, std::size_t{1} << 16)) result.bytes += chunk;
  } catch (const std::bad_alloc&) {
    return {ReadError::kNoMemory, {}, SystemReason(ENOMEM)};
  } catch (const std::length_error&) {
    return {ReadError::kNoMemory, {}, SystemReason(ENOMEM)};
  }
  if (file.Error() != 0) return {ReadError::kRead, {}, SystemReason(file.Error())};
  return result;
}

}  // namespace cyrvert
