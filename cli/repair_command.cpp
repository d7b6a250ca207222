// repair: smart repair of one text, streamed to standard output, or of many files.
#include "cli/repair_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/repair_writing.h"
#include "engine/smart_repair.h"

namespace cyrvert::cli {
namespace {

namespace fs = std::filesystem;

struct RepairOptions {
  RepairOutput target = RepairOutput::kWindows;  // the page written without --utf8
  bool utf8 = false;
  bool explain = false;
  bool json = false;
  bool in_place = false;
  bool no_backup = false;
  bool dry_run = false;
  std::string output_dir;
  std::vector<std::string> files;  // "-" is standard input
};

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
    if (dir->empty()) {
      err << "cyrvert-cli repair: --output-dir needs a directory\n";
      return false;
    }
    options.output_dir = *dir;
  }
  options.files = call.operands;
  if (options.in_place && !options.output_dir.empty()) {
    err << "cyrvert-cli repair: --in-place and --output-dir exclude each other\n";
    return false;
  }
  if (options.no_backup && !options.in_place) {
    err << "cyrvert-cli repair: --no-backup goes with --in-place\n";
    return false;
  }
  const bool to_files = options.in_place || !options.output_dir.empty();
  for (const std::string& file : options.files) {
    if (file == "-" && to_files) {
      err << "cyrvert-cli repair: --in-place and --output-dir need FILE names, not standard "
             "input\n";
      return false;
    }
  }
  if (options.files.size() > 1 && !to_files && !options.dry_run && !options.json) {
    err << "cyrvert-cli repair: with several files give --output-dir, --in-place, --dry-run "
           "or --json\n";
    return false;
  }
  return true;
}

// The form the text is written in.
RepairOutput OutputOf(const RepairOptions& options) {
  return options.utf8 ? RepairOutput::kUtf8 : options.target;
}

// Reads the start of `input`, up to `limit` bytes, into `window`.
void ReadWindow(Input& input, std::string& window, std::size_t limit) {
  std::string slice;
  while (window.size() < limit && input.Read(slice, limit - window.size())) window += slice;
}

// "standard input" or the file's name, as messages give it.
std::string DisplayName(const std::string& path) { return path == "-" ? "standard input" : path; }

// Streams the input through the steps into `write`: the window already read, then the rest
// of the input slice by slice. False when `write` fails.
template <class Write>
bool StreamOut(Input& input, const std::string& window, const RepairSteps& steps,
               RepairOutput output, Write&& write) {
  RepairStream stream(steps, output);
  std::string out;
  stream.Feed(window, out);
  if (!write(out)) return false;
  std::string slice;
  while (input.Read(slice, kSliceSize)) {
    out.clear();
    stream.Feed(slice, out);
    if (!write(out)) return false;
  }
  out.clear();
  stream.Finish(out);
  return write(out);
}

std::string Confidence(double value) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(2) << value;
  return text.str();
}

// "repaired: K2W,U8, confidence 0.93" (steps in words with --explain).
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

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20 || b == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", b);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string JsonRecord(const std::string& file, const RepairAnalysis* analysis,
                       const std::string& output, const std::string& error) {
  std::string record = "{\"file\":" + JsonString(file);
  if (analysis != nullptr) {
    record += ",\"verdict\":" + JsonString(RepairVerdictName(analysis->verdict));
    record += ",\"steps\":" + JsonString(RepairCodes(analysis->steps));
    record += ",\"explain\":" + JsonString(DescribeRepair(analysis->steps));
    record += ",\"confidence\":" + Confidence(analysis->confidence);
  }
  record += ",\"output\":" + (output.empty() ? std::string("null") : JsonString(output));
  if (!error.empty()) record += ",\"error\":" + JsonString(error);
  return record + "}";
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

// One input to standard output, streamed. A failed read or write throws (see cli.h).
int RepairOne(const RepairOptions& options, Output& out, std::ostream& err) {
  const std::string path = options.files.empty() ? "-" : options.files.front();
  Input input(path);
  std::string window;
  ReadWindow(input, window, kSmartRepairWindow);
  const RepairAnalysis analysis = AnalyzeForRepair(window);
  if (options.json) {
    out.Write(JsonRecord(path, &analysis, {}, {}) + "\n");
    return StatusOf(analysis.verdict);
  }
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

// A file written beside its final place and renamed over it once complete.
class AtomicFile {
 public:
  explicit AtomicFile(const fs::path& target) : m_target(target) {
    std::string name =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
      m_error = std::strerror(errno);
      return;
    }
    m_temp = name;
    m_file = ::fdopen(fd, "wb");
    if (m_file == nullptr) {
      m_error = std::strerror(errno);
      ::close(fd);
    }
  }
  ~AtomicFile() {
    if (m_file != nullptr) std::fclose(m_file);
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
  }
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  const std::string& Error() const { return m_error; }

  bool Write(std::string_view bytes) {
    if (m_file == nullptr) return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
      m_error = std::strerror(errno);
      return false;
    }
    return true;
  }

  // Gives the file `mode`, flushes it to disk and renames it over the target.
  bool Commit(std::optional<fs::perms> mode) {
    if (m_file == nullptr) return false;
    if (mode) ::fchmod(::fileno(m_file), static_cast<mode_t>(*mode));
    const bool flushed = std::fflush(m_file) == 0 && ::fsync(::fileno(m_file)) == 0;
    const int saved = errno;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!flushed || !closed) {
      m_error = std::strerror(flushed ? errno : saved);
      return false;
    }
    if (std::rename(m_temp.c_str(), m_target.c_str()) != 0) {
      m_error = std::strerror(errno);
      return false;
    }
    m_temp.clear();
    return true;
  }

 private:
  fs::path m_target;
  std::string m_temp;
  std::FILE* m_file = nullptr;
  std::string m_error;
};

// Keeps the original as FILE.bak: a hard link where the file system allows, else a copy.
std::string Backup(const fs::path& path) {
  const fs::path backup = path.string() + ".bak";
  std::error_code error;
  fs::remove(backup, error);
  if (::link(path.c_str(), backup.c_str()) == 0) return {};
  fs::copy_file(path, backup, fs::copy_options::overwrite_existing, error);
  return error ? error.message() : std::string();
}

struct Summary {
  int repaired = 0;
  int not_damaged = 0;
  int cannot_repair = 0;
  int empty = 0;
  int failed = 0;
};

class ProgressBar {
 public:
  ProgressBar(std::size_t total, bool shown) : m_total(total), m_shown(shown) {}
  void Show(std::size_t done, std::ostream& err) {
    if (!m_shown) return;
    constexpr std::size_t kWidth = 30;
    const std::size_t filled = m_total == 0 ? kWidth : done * kWidth / m_total;
    err << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, '.') << "] " << done
        << '/' << m_total << std::flush;
  }
  void Clear(std::ostream& err) {
    if (m_shown) err << "\r\033[K" << std::flush;
  }

 private:
  std::size_t m_total;
  bool m_shown;
};

// Many files: each analysed and, unless --dry-run, written to --output-dir or in place.
int RepairMany(const RepairOptions& options, Output& out, std::ostream& err) {
  Summary summary;
  ProgressBar bar(options.files.size(), ::isatty(STDERR_FILENO) == 1);
  std::set<fs::path> written;
  for (std::size_t index = 0; index < options.files.size(); ++index) {
    bar.Show(index, err);
    const std::string& path = options.files[index];
    std::string error;
    std::string output;
    RepairAnalysis analysis;
    bool analysed = false;
    try {
      Input input(path);
      std::string window;
      ReadWindow(input, window, kSmartRepairWindow);
      analysis = AnalyzeForRepair(window);
      analysed = true;
      fs::path target;
      std::optional<fs::perms> mode;
      if (!options.dry_run && !options.output_dir.empty()) {
        target = fs::path(options.output_dir) / fs::path(path).filename();
        std::error_code same_error;
        if (fs::equivalent(target, path, same_error)) {
          // Writing there would replace the input itself, with no backup.
          error = "the result would replace the input; use --in-place";
          target.clear();
        } else if (!written.insert(fs::weakly_canonical(target)).second) {
          error = "another input was already written to " + target.string();
          target.clear();
        }
      } else if (!options.dry_run && options.in_place &&
                 analysis.verdict == RepairVerdict::kRepaired) {
        // Through a symbolic link, the file it points to is the one rewritten.
        std::error_code ignored;
        target = fs::canonical(path, ignored);
        if (target.empty()) target = path;
        mode = fs::status(target, ignored).permissions();
      }
      if (!target.empty()) {
        AtomicFile file(target);
        std::string failed = file.Error();
        if (failed.empty()) {
          if (!StreamOut(input, window, WritingSteps(analysis, OutputOf(options)),
                         OutputOf(options),
                         [&](const std::string& bytes) { return file.Write(bytes); })) {
            failed = "cannot write: " + file.Error();
          }
        } else {
          failed = "cannot write: " + failed;
        }
        if (failed.empty() && options.in_place && !options.no_backup) {
          if (std::string backup_error = Backup(target); !backup_error.empty()) {
            failed = "cannot back up: " + backup_error;
          }
        }
        if (failed.empty() && !file.Commit(mode)) failed = "cannot write: " + file.Error();
        if (failed.empty()) {
          output = target.string();
        } else {
          error = failed;
        }
      }
    } catch (const InputFailure& failure) {
      error = failure.what();
    }
    bar.Clear(err);
    if (options.json) {
      out.Write(JsonRecord(path, analysed ? &analysis : nullptr, output, error) + "\n");
    }
    if (!error.empty()) {
      ++summary.failed;
      err << DisplayName(path) << ": " << error << '\n';
    } else {
      if (!options.json)
        err << DisplayName(path) << ": " << VerdictLine(analysis, options.explain) << '\n';
      switch (analysis.verdict) {
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
  }
  bar.Show(options.files.size(), err);
  bar.Clear(err);
  err << options.files.size() << " files: " << summary.repaired << " repaired, "
      << summary.not_damaged << " not damaged, " << summary.cannot_repair << " cannot repair";
  if (summary.empty > 0) err << ", " << summary.empty << " empty";
  if (summary.failed > 0) err << ", " << summary.failed << " failed";
  err << (options.dry_run ? " (dry run, nothing written)\n" : "\n");
  if (summary.failed > 0) return kExitUsage;
  if (summary.cannot_repair > 0) return kExitNotDecoded;
  if (summary.empty == static_cast<int>(options.files.size())) return kExitTooLittle;
  return kExitOk;
}

}  // namespace

int RunRepair(const Invocation& call, Output& out, std::ostream& err) {
  RepairOptions options;
  if (!ParseRepairArgs(call, options, err)) return kExitUsage;
  const bool many = options.files.size() > 1 || options.in_place || !options.output_dir.empty();
  if (!many) return RepairOne(options, out, err);
  if (!options.output_dir.empty() && !options.dry_run) {
    std::error_code ignored;
    if (!fs::is_directory(options.output_dir, ignored)) {
      err << "cyrvert-cli repair: '" << options.output_dir << "' is not a directory\n";
      return kExitUsage;
    }
  }
  return RepairMany(options, out, err);
}

}  // namespace cyrvert::cli
