// What repair writes and says: the streaming of a text, the verdict
// line, the JSON record and the exit status. Shared by the one-input and the many-file runs.
#pragma once

#include <string>
#include <vector>

#include "cli/repair_command.h"
#include "engine/repair_writing.h"
#include "engine/smart_repair.h"

namespace cyrvert::cli {

// The form the text is written in.
RepairOutput OutputOf(const RepairOptions& options);

// Reads the start of `source`, up to `limit` bytes, into `window`.
template <class Source>
void ReadWindow(Source& source, std::string& window, std::size_t limit) {
  std::string slice;
  while (window.size() < limit && source.Read(slice, limit - window.size())) window += slice;
}

// Streams `source` through the steps into `write`: the window already read, then the rest
// slice by slice. False when `write` fails.
template <class Source, class Write>
bool StreamOut(Source& source, const std::string& window, const RepairSteps& steps,
               RepairOutput output, Write&& write) {
  RepairStream stream(steps, output);
  std::string out;
  stream.Feed(window, out);
  if (!write(out)) return false;
  std::string slice;
  while (source.Read(slice, kSliceSize)) {
    out.clear();
    stream.Feed(slice, out);
    if (!write(out)) return false;
  }
  out.clear();
  stream.Finish(out);
  return write(out);
}

// "repaired: K2W,U8, confidence 0.93" (steps in words with --explain).
std::string VerdictLine(const RepairAnalysis& analysis, bool explain);

// What became of one file, as its JSON record gives it.
struct FileRecord {
  std::string file;                          // the name as given
  const RepairAnalysis* analysis = nullptr;  // null when it was not read
  std::string output;                        // the file written; empty for none
  std::string backup;                        // the backup made; empty for none
  std::string error;                         // why it failed; empty on success
  std::vector<std::string> not_kept;         // attributes the rewritten file could not keep
};

// One line of JSON, without the line end.
std::string JsonRecord(const FileRecord& record);

// The exit status of one verdict.
int StatusOf(RepairVerdict verdict);

}  // namespace cyrvert::cli
