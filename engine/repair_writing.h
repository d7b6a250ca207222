// How the result of an analysis is written out, shared by every front end.
#pragma once

#include "engine/smart_repair.h"

namespace cyrvert {

// The steps that write a text in `output`: the repair; or, for a text left alone, none (the
// input as it is), or reading it as the UTF-8 it is when another form than cp-1251 is asked
// for.
RepairSteps WritingSteps(const RepairAnalysis& analysis, RepairOutput output);

}  // namespace cyrvert
