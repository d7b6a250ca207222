// A document's file as exact bytes, by the program's one reader and writer
// (fileio/text_file.h), for paths and messages as Qt holds them.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "fileio/text_file.h"

namespace cyrvert {

// Reads the whole file at `path`; devices and folders are refused.
ReadResult ReadFileBytes(const QString& path);

// Saves `bytes` to the file at `path`: a regular file is replaced whole or not at all, links
// are followed and kept, a device or FIFO is never replaced.
SaveResult WriteFileBytes(const QString& path, std::string_view bytes);

// The system's reason of a failure as text for a message.
QString ReasonText(const std::string& reason);

}  // namespace cyrvert
