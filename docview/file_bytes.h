// Reading and writing a document's file exactly as bytes, apart from any widget.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace cyrvert {

// What went wrong with a file.
enum class FileError { kNone, kOpen, kRead, kWrite };

// A file's bytes, or the error and the system's reason.
struct FileReadResult {
  FileError error = FileError::kNone;  // kNone when `bytes` holds the whole file
  std::string bytes;                   // the file's content
  QString reason;                      // the system's description of the failure
};

// The outcome of a write.
struct FileWriteResult {
  FileError error = FileError::kNone;  // kNone when the file holds exactly the bytes given
  QString reason;                      // the system's description of the failure
};

// Reads the whole file at `path`.
FileReadResult ReadFileBytes(const QString& path);

// Replaces the file at `path` with `bytes`; the old file stays intact if writing fails.
FileWriteResult WriteFileBytes(const QString& path, std::string_view bytes);

}  // namespace cyrvert
