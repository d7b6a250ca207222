#include "cli/repair_report.h"

#include <iomanip>
#include <sstream>

namespace cyrvert::cli {
namespace {

std::string Confidence(double value) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(2) << value;
  return text.str();
}

}  // namespace

RepairOutput OutputOf(const RepairOptions& options) {
  return options.utf8 ? RepairOutput::kUtf8 : options.target;
}

std::string VerdictLine(const RepairAnalysis& analysis, bool explain) {
  std::string line(RepairVerdictName(analysis.verdict));
  if (analysis.verdict == RepairVerdict::kRepaired) {
    line += ": ";
    line += explain ? DescribeRepair(analysis.steps) + " (" + RepairCodes(analysis.steps) + ")"
                    : RepairCodes(analysis.steps);
  }
  if (analysis.verdict != RepairVerdict::kEmpty) {
    line += ", confidence " + Confidence(analysis.confidence);
  }
  return line;
}

std::string JsonRecord(const FileRecord& record) {
  std::string line = "{\"file\":" + JsonString(record.file);
  if (const RepairAnalysis* analysis = record.analysis) {
    line += ",\"verdict\":" + JsonString(RepairVerdictName(analysis->verdict));
    line += ",\"steps\":" + JsonString(RepairCodes(analysis->steps));
    line += ",\"explain\":" + JsonString(DescribeRepair(analysis->steps));
    line += ",\"confidence\":" + Confidence(analysis->confidence);
  }
  line +=
      ",\"output\":" + (record.output.empty() ? std::string("null") : JsonString(record.output));
  if (!record.backup.empty()) line += ",\"backup\":" + JsonString(record.backup);
  if (!record.error.empty()) line += ",\"error\":" + JsonString(record.error);
  if (!record.not_kept.empty()) {
    line += ",\"not_kept\":[";
    for (std::size_t i = 0; i < record.not_kept.size(); ++i) {
      line += (i > 0 ? "," : "") + JsonString(record.not_kept[i]);
    }
    line += "]";
  }
  return line + "}";
}

int StatusOf(RepairVerdict verdict) {
  switch (verdict) {
    case RepairVerdict::kRepaired:
    case RepairVerdict::kNotDamaged:
      return kExitOk;
    case RepairVerdict::kCannotRepair:
      return kExitNotDecoded;
    case RepairVerdict::kEmpty:
      return kExitTooLittle;
  }
  return kExitOk;
}

}  // namespace cyrvert::cli
