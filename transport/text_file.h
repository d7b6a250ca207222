// Reading and writing a whole text as bytes: the one way the program saves a file, for File
// Save and Save As and for the import commands' results alike, and the one way it reads one.
//
// Saving never leaves a half-written file where a good one stood and never replaces what is
// not a file:
// - the path is followed through symbolic links; the link stays and its target is written;
// - a regular file (or a new one) is written to a temporary file beside it, which then takes
//   its place by a rename, with the old file's permission bits; when the folder admits no
//   new file but the file itself may be written, it is written in place;
// - a character device (/dev/null, a terminal) is written in place, never replaced;
// - a FIFO, a socket, a block device or a folder is refused (a FIFO with no reader would
//   block the program, and a disk or folder is no text);
// - every failure carries the system's reason ("No space left on device").
#pragma once

#include <string>
#include <string_view>

namespace cyrvert {

// What went wrong while saving; kNone when the whole text was written.
enum class SaveError : int { kNone = 0, kOpen, kWrite, kClose, kNotRegular };

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
