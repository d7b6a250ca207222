#include "cli/repair_files.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/repair_report.h"
#include "engine/code_page.h"
#include "fileio/file_system.h"

namespace cyrvert::cli {
namespace {

// Numbered backups tried after FILE.bak before giving up.
constexpr int kMaxBackupNumber = 999;

// Whether the run writes files at all.
bool Writes(const RepairOptions& options) {
  return !options.dry_run && (options.in_place || !options.output_dir.empty());
}

// A name quoted for a message.
std::string Quoted(const std::string& name) { return "'" + Printable(name) + "'"; }

// The last component of `path`, trailing slashes ignored.
std::string BaseName(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return SplitPath(path).second;
}

// What is decided about a file before any file is read or written.
struct Plan {
  FileInfo info;       // the input, links followed
  std::string target;  // where the result goes; empty when nothing is written
  std::string error;   // why the file is refused; empty when it goes ahead
};

std::string KindName(FileKind kind) {
  switch (kind) {
    case FileKind::kDirectory:
      return "a directory";
    case FileKind::kCharacterDevice:
    case FileKind::kBlockDevice:
      return "a device";
    case FileKind::kFifo:
      return "a FIFO";
    case FileKind::kSocket:
      return "a socket";
    default:
      return "not a regular file";
  }
}

// Plans every file of the run: an input named twice (by any name) is refused, in place only
// regular files are rewritten, and no result may land on an input or on another result.
std::vector<Plan> PlanFiles(const RepairOptions& options) {
  const bool writes = Writes(options);
  std::vector<Plan> plans(options.files.size());
  std::map<FileId, std::size_t> inputs;
  for (std::size_t i = 0; i < plans.size(); ++i) {
    const std::string& file = options.files[i];
    Plan& plan = plans[i];
    if (file == "-") continue;
    int error = 0;
    plan.info = Inspect(file, error);
    if (error == 0 && plan.info.kind == FileKind::kMissing) error = ENOENT;
    if (error != 0) {
      plan.error = "cannot open: " + SystemReason(error);
      continue;
    }
    const auto [first, fresh] = inputs.emplace(plan.info.id, i);
    if (!fresh && writes) {
      plan.error = "is the same file as " + Quoted(options.files[first->second]) + "; skipped";
    } else if (options.in_place && !options.dry_run && plan.info.kind != FileKind::kRegular) {
      plan.error = "cannot rewrite in place: " + KindName(plan.info.kind) +
                   " (only regular files are rewritten)";
    } else if (options.in_place && writes) {
      plan.target = file;
    }
  }
  if (options.output_dir.empty()) return plans;
  // Results: a target is free, or an existing file that is no input, and no two meet.
  std::map<std::pair<FileId, std::string>, std::size_t> targets;
  for (std::size_t i = 0; i < plans.size(); ++i) {
    Plan& plan = plans[i];
    if (!plan.error.empty()) continue;
    const std::string target = options.output_dir + "/" + BaseName(options.files[i]);
    int error = 0;
    const std::string resolved = FollowLinks(target, error);
    FileInfo at;
    if (error == 0) at = Inspect(resolved, error);
    std::pair<FileId, std::string> key{at.id, {}};
    if (error == 0 && at.kind == FileKind::kMissing) {
      const auto [dir, name] = SplitPath(resolved);
      key = {Inspect(dir, error).id, name};
    }
    if (error != 0) {
      plan.error = "cannot write " + Quoted(target) + ": " + SystemReason(error);
    } else if (const auto input = inputs.find(at.id);
               at.kind != FileKind::kMissing && input != inputs.end()) {
      plan.error = input->second == i ? "the result would replace the input; use --in-place"
                                      : "the result would replace the input " +
                                            Quoted(options.files[input->second]) + "; skipped";
    } else if (const auto [other, fresh] = targets.emplace(key, i); !fresh) {
      plan.error = "the result would replace that of " + Quoted(options.files[other->second]) +
                   " in " + Quoted(target) + "; skipped";
    } else if (writes) {
      plan.target = target;
    }
  }
  return plans;
}

// Standard input or a file, read in slices; remembers the first error.
class Source {
 public:
  Source(const std::string& file, bool lock, const std::function<void()>& waiting) {
    if (file == "-") {
      try {
        m_input = std::make_unique<Input>(file);
      } catch (const InputFailure& failure) {
        m_error = failure.brief;
      }
      return;
    }
    m_file = std::make_unique<SourceFile>(file, lock, waiting);
    if (m_file->Error() != 0) m_error = "cannot open: " + SystemReason(m_file->Error());
  }
  const std::string& Error() const { return m_error; }
  SourceFile* File() const { return m_file.get(); }
  // Reads the next slice, counting question marks; false at the end or on an error.
  bool Read(std::string& slice, std::size_t size) {
    if (!m_error.empty()) return false;
    bool more = false;
    if (m_file != nullptr) {
      more = m_file->Read(slice, size);
      if (m_file->Error() != 0) m_error = "cannot read: " + SystemReason(m_file->Error());
    } else {
      try {
        more = m_input->Read(slice, size);
      } catch (const InputFailure& failure) {
        m_error = failure.brief;
      }
    }
    m_marks += static_cast<std::size_t>(std::count(slice.begin(), slice.end(), '?'));
    return more && m_error.empty();
  }
  // Question marks read so far.
  std::size_t Marks() const { return m_marks; }

 private:
  std::unique_ptr<SourceFile> m_file;
  std::unique_ptr<Input> m_input;
  std::string m_error;
  std::size_t m_marks = 0;
};

// Keeps the file read beside `target` as TARGET.bak, or TARGET.bak.1, .2, ... when that name
// is taken: an existing backup is never replaced. Sets `backup` or returns why not.
std::string MakeBackup(const SourceFile& source, const std::string& target, std::string& backup) {
  for (int number = 0; number <= kMaxBackupNumber; ++number) {
    backup = target + ".bak" + (number == 0 ? std::string() : "." + std::to_string(number));
    const int error = KeepCopy(source, target, backup);
    if (error == 0) return {};
    if (error == EEXIST) continue;
    const std::string name = backup;
    backup.clear();
    if (error == ENAMETOOLONG) {
      return "cannot back up: the name " + Quoted(name) + " is too long; use --no-backup";
    }
    return "cannot back up as " + Quoted(name) + ": " + SystemReason(error);
  }
  backup.clear();
  return "cannot back up: " + Quoted(target + ".bak") + " and its numbered forms are taken";
}

// Reads, judges and (unless --dry-run) writes one planned file.
void RepairFile(const RepairOptions& options, const std::string& file, const Plan& plan,
                const RepairHook& hook, RepairAnalysis& analysis, FileRecord& record) {
  if (!plan.error.empty()) {
    record.error = plan.error;
    return;
  }
  const bool in_place = options.in_place && !options.dry_run;
  if (hook) hook(RepairEvent::kOpening, file);
  Source source(file, in_place, [&] {
    if (hook) hook(RepairEvent::kWaiting, file);
  });
  if (!source.Error().empty()) {
    record.error = source.Error();
    return;
  }
  // The file may have been replaced since it was planned; what is rewritten is what is read.
  if (in_place && source.File()->Info().kind != FileKind::kRegular) {
    record.error = "cannot rewrite in place: " + KindName(source.File()->Info().kind);
    return;
  }
  std::string window;
  ReadWindow(source, window, kSmartRepairWindow);
  if (!source.Error().empty()) {
    record.error = source.Error();
    return;
  }
  analysis = AnalyzeForRepair(window);
  record.analysis = &analysis;
  if (hook) hook(RepairEvent::kAnalysed, file);
  if (plan.target.empty() || (in_place && analysis.verdict != RepairVerdict::kRepaired)) return;

  ReplaceOptions replace;
  if (!in_place && source.File() != nullptr && source.File()->Info().kind == FileKind::kRegular) {
    replace.mode = source.File()->Info().mode & 0777;  // the input's, without set-ID bits
  }
  Replacement result(plan.target, replace);
  const FileId read = source.File() != nullptr ? source.File()->Info().id : FileId{};
  if (result.Stage() != ReplaceStage::kNone) {
    record.error = "cannot write " + Quoted(result.Target()) + ": " + result.Reason();
    return;
  }
  if (in_place && result.Replaced().id != read) {
    record.error = "cannot rewrite in place: the file was replaced while it was read";
    return;
  }
  std::size_t written_marks = 0;
  const RepairOutput output = OutputOf(options);
  const bool wrote = StreamOut(
      source, window, WritingSteps(analysis, output), output, [&](const std::string& bytes) {
        written_marks += static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '?'));
        return result.Write(bytes);
      });
  if (!source.Error().empty()) {
    record.error = source.Error();
    return;
  }
  if (!wrote) {
    record.error = "cannot write " + Quoted(result.Target()) + ": " + result.Reason();
    return;
  }
  // A character the page lacks would be written as "?" over the only copy.
  if (in_place && written_marks > source.Marks()) {
    const std::size_t lost = written_marks - source.Marks();
    record.error = "not rewritten: the result would write \"?\" over " + std::to_string(lost) +
                   (lost == 1 ? " character" : " characters");
    if (output != RepairOutput::kUtf8) {
      record.error += " that " + std::string(CodePageName(static_cast<int>(output))) +
                      " lacks; use --utf8 or --output-dir";
    }
    return;
  }
  if (hook) hook(RepairEvent::kWritten, file);
  if (in_place && !options.no_backup) {
    record.error = MakeBackup(*source.File(), result.Target(), record.backup);
    if (!record.error.empty()) return;
  }
  if (!result.Commit(source.File() != nullptr && in_place ? &read : nullptr)) {
    if (!record.backup.empty()) RemoveFile(record.backup);
    record.backup.clear();
    record.error = "cannot write " + Quoted(result.Target()) + ": " + result.Reason();
    return;
  }
  record.output = result.Target();
  record.not_kept = result.NotKept();
}

// The bar on a terminal: "[####....] 3/10", sized to the terminal's width and redrawn in
// place; nothing when standard error is no terminal or the line would not fit.
class ProgressBar {
 public:
  explicit ProgressBar(std::size_t total) : m_total(total) {
    if (::isatty(STDERR_FILENO) != 1) return;
    winsize size{};
    m_columns = ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col
                                                                                  : std::size_t{80};
  }
  void Show(std::size_t done, std::ostream& err) {
    if (m_columns == 0) return;
    const std::string count = std::to_string(done) + '/' + std::to_string(m_total);
    // One column stays free, so the line never wraps.
    if (count.size() + 1 >= m_columns) return;
    const std::size_t room = m_columns - count.size() - 1;
    const std::size_t width = room > 3 + 4 ? std::min<std::size_t>(30, room - 3) : 0;
    err << "\r\033[K";
    if (width > 0) {
      const std::size_t filled = m_total == 0 ? width : done * width / m_total;
      err << '[' << std::string(filled, '#') << std::string(width - filled, '.') << "] ";
    }
    err << count << std::flush;
  }
  void Clear(std::ostream& err) {
    if (m_columns != 0) err << "\r\033[K" << std::flush;
  }

 private:
  std::size_t m_total;
  std::size_t m_columns = 0;  // 0: no bar
};

struct Summary {
  int repaired = 0;
  int not_damaged = 0;
  int cannot_repair = 0;
  int empty = 0;
  int failed = 0;
};

void Count(const FileRecord& record, Summary& summary) {
  if (!record.error.empty() || record.analysis == nullptr) {
    ++summary.failed;
    return;
  }
  switch (record.analysis->verdict) {
    case RepairVerdict::kRepaired:
      ++summary.repaired;
      break;
    case RepairVerdict::kNotDamaged:
      ++summary.not_damaged;
      break;
    case RepairVerdict::kCannotRepair:
      ++summary.cannot_repair;
      break;
    case RepairVerdict::kEmpty:
      ++summary.empty;
      break;
  }
}

// The lines a file gets on standard error.
void Report(const RepairOptions& options, const FileRecord& record, std::ostream& err) {
  const std::string name = record.file == "-" ? "standard input" : Printable(record.file);
  if (!record.error.empty()) {
    err << name << ": " << record.error << '\n';
    return;
  }
  if (!options.json) {
    err << name << ": " << VerdictLine(*record.analysis, options.explain);
    const std::string usual = record.output + ".bak";
    if (!record.backup.empty() && record.backup != usual) {
      err << " (original kept as " << Quoted(record.backup) << ")";
    }
    err << '\n';
  }
  for (const std::string& attribute : record.not_kept) {
    err << name << ": could not keep the " << attribute << '\n';
  }
}

}  // namespace

int RepairFiles(const RepairOptions& options, Output& out, std::ostream& err,
                const RepairHook& hook) {
  if (!options.output_dir.empty()) {
    int error = 0;
    const FileInfo dir = Inspect(options.output_dir, error);
    if (error == 0 && dir.kind == FileKind::kMissing) error = ENOENT;
    if (error == 0 && dir.kind != FileKind::kDirectory) error = ENOTDIR;
    if (error != 0) {
      err << "cyrvert-cli repair: cannot write to " << Quoted(options.output_dir) << ": "
          << SystemReason(error) << '\n';
      return kExitUsage;
    }
  }
  const std::vector<Plan> plans = PlanFiles(options);
  if (Writes(options)) RemoveTemporariesOnSignals();
  Summary summary;
  ProgressBar bar(plans.size());
  for (std::size_t index = 0; index < plans.size(); ++index) {
    bar.Show(index, err);
    RepairAnalysis analysis;
    FileRecord record;
    record.file = options.files[index];
    RepairFile(options, options.files[index], plans[index], hook, analysis, record);
    bar.Clear(err);
    if (options.json) {
      out.Write(JsonRecord(record) + "\n");
      out.Flush();
    }
    Report(options, record, err);
    Count(record, summary);
  }
  bar.Show(plans.size(), err);
  bar.Clear(err);
  err << plans.size() << (plans.size() == 1 ? " file: " : " files: ") << summary.repaired
      << " repaired, " << summary.not_damaged << " not damaged, " << summary.cannot_repair
      << " cannot repair";
  if (summary.empty > 0) err << ", " << summary.empty << " empty";
  if (summary.failed > 0) err << ", " << summary.failed << " failed";
  err << (options.dry_run ? " (dry run, nothing written)\n" : "\n");
  if (summary.failed > 0) return kExitUsage;
  if (summary.cannot_repair > 0) return kExitNotDecoded;
  if (summary.empty == static_cast<int>(plans.size())) return kExitTooLittle;
  return kExitOk;
}

}  // namespace cyrvert::cli
