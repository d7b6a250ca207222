// The auto-decode command: finds the conversion chains that repair a document and shows
// the repaired text in new windows or in the variant list.
#pragma once

#include "commands/command_host.h"
#include "engine/variant_search.h"

namespace cyrvert {

// The settings a run takes when it starts.
struct AutoDecodeOptions {
  int depth = 0;        // 0 automatic, otherwise the fixed depth
  int sense = 0;        // 0 automatic, otherwise the score threshold
  int n_best = 0;       // 0 keeps every Variant found
  int out_to = 0;       // non-zero: variant list dialog instead of windows
  bool silent = false;  // one result, no messages, the result view returned
};

// What a run ended with.
struct AutoDecodeResult {
  EngineStatus status = EngineStatus::kDone;
  DocumentHost* view = nullptr;  // the last result window, set only when silent
};

// Decodes `document`'s text by every good chain found and shows the results. The document
// is read-only and cannot be closed while the run lasts; its text is never changed.
AutoDecodeResult AutoDecode(DocumentHost& document, CommandHost& host,
                            const AutoDecodeOptions& options);

// Opens `variant`'s decoding of `source`'s text in a new window. Sets `status` to -3 when
// no memory or window can be had, to -13 when a stop was requested meanwhile. Returns the
// new window when `want_view`, otherwise null.
DocumentHost* OpenVariantWindow(DocumentHost& source, CommandHost& host, const Variant& variant,
                                bool want_view, EngineStatus& status);

}  // namespace cyrvert
