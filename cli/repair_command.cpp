// repair: smart repair of one text, streamed to standard output, or of many files.
#include "cli/repair_command.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/repair_files.h"
#include "cli/repair_report.h"
#include "engine/smart_repair.h"

namespace cyrvert::cli {
namespace {

// A usage mistake: one message, exit status 2.
bool Refuse(std::ostream& err, std::string_view message) {
  err << "cyrvert-cli repair: " << message << '\n';
  return false;
}

bool ParseRepairArgs(const Invocation& call, RepairOptions& options, std::ostream& err) {
  int page = static_cast<int>(options.target);
  if (!ReadTarget(call, page, err)) return false;
  options.target = static_cast<RepairOutput>(page);
  options.utf8 = call.Has("--utf8");
  options.explain = call.Has("--explain");
  options.json = call.Has("--json");
  options.in_place = call.Has("--in-place");
  options.no_backup = call.Has("--no-backup");
  options.dry_run = call.Has("--dry-run");
  if (const std::string* dir = call.Value("--output-dir")) {
    if (dir->empty()) return Refuse(err, "--output-dir needs a directory");
    options.output_dir = *dir;
  }
  options.files = call.operands;
  if (options.utf8 && call.Has("--target")) {
    return Refuse(err, "--target and --utf8 exclude each other (--utf8 writes UTF-8)");
  }
  if (options.in_place && !options.output_dir.empty()) {
    return Refuse(err, "--in-place and --output-dir exclude each other");
  }
  if (options.no_backup && !options.in_place) {
    return Refuse(err, "--no-backup goes with --in-place");
  }
  const bool to_files = options.in_place || !options.output_dir.empty();
  if (to_files && options.files.empty()) {
    return Refuse(err, "--in-place and --output-dir need FILE names");
  }
  for (const std::string& file : options.files) {
    if (file == "-" && to_files) {
      return Refuse(err, "--in-place and --output-dir need FILE names, not standard input");
    }
  }
  if (options.files.size() > 1 && !to_files && !options.dry_run && !options.json) {
    return Refuse(err, "with several files give --output-dir, --in-place, --dry-run or --json");
  }
  return true;
}

// One input to standard output, streamed. A failed read or write throws (see cli.h), except
// that with --json a file that cannot be read still gets its record.
int RepairOne(const RepairOptions& options, Output& out, std::ostream& err) {
  const std::string path = options.files.empty() ? "-" : options.files.front();
  if (options.json) {
    FileRecord record;
    record.file = path;
    RepairAnalysis analysis;
    try {
      Input input(path);
      std::string window;
      ReadWindow(input, window, kSmartRepairWindow);
      analysis = AnalyzeForRepair(window);
      record.analysis = &analysis;
    } catch (const InputFailure& failure) {
      record.error = failure.brief;
      err << failure.what() << '\n';
    }
    out.Write(JsonRecord(record) + "\n");
    return record.analysis != nullptr ? StatusOf(analysis.verdict) : kExitUsage;
  }
  Input input(path);
  std::string window;
  ReadWindow(input, window, kSmartRepairWindow);
  const RepairAnalysis analysis = AnalyzeForRepair(window);
  err << "cyrvert-cli repair: " << VerdictLine(analysis, options.explain) << '\n';
  if (analysis.verdict == RepairVerdict::kEmpty || options.dry_run) {
    return StatusOf(analysis.verdict);
  }
  StreamOut(input, window, WritingSteps(analysis, OutputOf(options)), OutputOf(options),
            [&](const std::string& bytes) {
              out.Write(bytes);
              return true;
            });
  return StatusOf(analysis.verdict);
}

}  // namespace

int RunRepair(const Invocation& call, Output& out, std::ostream& err) {
  return RunRepairWith(call, out, err, {});
}

int RunRepairWith(const Invocation& call, Output& out, std::ostream& err, const RepairHook& hook) {
  RepairOptions options;
  if (!ParseRepairArgs(call, options, err)) return kExitUsage;
  const bool many = options.files.size() > 1 || options.in_place || !options.output_dir.empty();
  if (!many) return RepairOne(options, out, err);
  return RepairFiles(options, out, err, hook);
}

}  // namespace cyrvert::cli
