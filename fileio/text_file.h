// Reading and saving a whole text as bytes: the one way the program saves a file, for File
// Save and Save As and for the import commands' results alike, and the one way it reads one.
// Saving replaces the file as file_system.h describes; when the folder admits no new file but
// the file itself may be written, it is written in place.
#pragma once

#include <string>
#include <string_view>

#include "fileio/file_system.h"

namespace cyrvert {

// What went wrong while saving; kNone when the whole text was written.
using SaveError = ReplaceStage;

// The outcome of SaveTextToFile.
struct SaveResult {
  SaveError error = SaveError::kNone;
  std::string reason;  // the system's description of the failure; empty on success
  bool operator==(SaveError other) const { return error == other; }
};

// Writes `text` to the file at `path` (created if missing) as described above.
SaveResult SaveTextToFile(const std::string& path, std::string_view text);

// What went wrong while reading; kNone when the whole file was read.
enum class ReadError : int { kNone = 0, kOpen, kRead, kNotRegular, kNoMemory };

// The outcome of ReadTextFromFile.
struct ReadResult {
  ReadError error = ReadError::kNone;
  std::string bytes;   // the whole file when error is kNone, else empty
  std::string reason;  // the system's description of the failure; empty on success
};

// Reads the whole file at `path`. Regular files and FIFOs are read; devices and folders are
// refused (a device such as /dev/zero never ends). A file too big for memory gives kNoMemory.
ReadResult ReadTextFromFile(const std::string& path);

}  // namespace cyrvert
