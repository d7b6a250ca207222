// The sub-commands of cyrvert-cli, their options and their usage text.
#include <array>
#include <cstdint>
#include <ostream>

#include "cli/cli.h"
#include "cli/repair_command.h"

namespace cyrvert::cli {
namespace {

constexpr std::array<Option, 7> kDecodeOptions = {{
    {"--target", true},
    {"--depth", true},
    {"--sense", true},
    {"--best", true},
    {"--big-letters", false},
    {"--list", false},
    {"--utf8", false},
}};
constexpr std::array<Option, 1> kExportOptions = {{{"--name", true}}};
constexpr std::array<Option, 8> kRepairOptions = {{
    {"--target", true},
    {"--utf8", false},
    {"--explain", false},
    {"--json", false},
    {"--dry-run", false},
    {"--output-dir", true},
    {"--in-place", false},
    {"--no-backup", false},
}};

constexpr Command kCommands[] = {
    {"decode", kDecodeOptions, 0, 1, RunDecode,
     "[--target win|dos|koi|iso] [--depth N] [--sense N] [--best N] [--big-letters] [--list] "
     "[--utf8] [FILE]",
     R"(Finds the chains of wrong code-page conversions that explain a damaged
Russian text and repairs it.
  --target    code page to decode into: win (cp-1251, default), dos (cp-866),
              koi (KOI8-R), iso (ISO-8859-5)
  --depth N   conversions deep to search: 0 automatic (1 to 4, default), 1..5 fixed
  --sense N   sensitivity: 0 automatic (default), 5 normal, 4 increased, 3 high,
              2 very high (a variant needs a score above N, 0..6)
  --best N    with --list, keep only the N best variants (0: all, default; up to 500)
  --big-letters  capital letters take part in the letter statistics
  --list      list the variants instead of decoding: one line per variant, best
              first: <score> TAB <history> TAB <preview in UTF-8>; the
              preview is 100 bytes of the text, control characters as blanks
  --utf8      write the decoded text in UTF-8 instead of the target code page
Without --list the text decoded by the best variant goes to standard output
and its history to standard error.
)"},
    {"translate",
     {},
     1,
     2,
     RunTranslate,
     "CODE [FILE]",
     R"(Converts by one table. CODE is one of D2K K2D D2W W2D W2K K2W D2I I2D K2I
I2K W2I I2W (D DOS cp-866, K KOI8-R, W WINDOWS cp-1251, I ISO-8859-5).
)"},
    {"set8bit",
     {},
     0,
     1,
     RunSet8Bit,
     "[FILE]",
     R"(Sets the eighth bit of every byte (text stripped to 7 bits in transit).
)"},
    {"import",
     {},
     1,
     2,
     RunImport,
     "utf7|utf8|qp|base64|uu|unix [FILE]",
     R"(Decodes a transport encoding into cp-1251 text: utf7, utf8, qp
(Quoted-Printable), base64, uu (uudecode; the decoded file name goes to
standard error, control characters escaped), unix (LF -> CR LF). A MIME
header exactly as export writes it is skipped, so what export writes imports
back whole. A decoding error stops the work with status 3; what was decoded
before it has been written.
)"},
    {"export", kExportOptions, 1, 2, RunExport, "utf7|utf8|qp|base64|uu|unix [--name NAME] [FILE]",
     R"(Encodes cp-1251 text: utf7, utf8, qp, base64 (each wrapped in a MIME
text/plain message), uu (--name NAME on the begin line; default: the input
file's name, or Cyrvert1 for standard input; a name must not be empty or hold
control characters), unix (CR LF -> LF).
)"},
    {"repair", kRepairOptions, 0, SIZE_MAX, RunRepair,
     "[--target win|dos|koi|iso] [--utf8] [--explain] [--json] [--dry-run] "
     "[--output-dir DIR | --in-place [--no-backup]] [FILE...]",
     R"(Smart repair: tells whether a Russian text is damaged at all and undoes
wrong 8-bit conversions and UTF-8 mix-ups (UTF-8 read as cp-1251, KOI8-R or
cp-866, text encoded to UTF-8 twice, and chains of up to 3 steps).
One input (FILE or standard input): the repaired text, or the input as it is
when it is not damaged or cannot be repaired, goes to standard output in
cp-1251 (characters cp-1251 lacks become "?"); the verdict, the steps (such as
K2W,U8) and a confidence go to standard error.
  --target    code page of the text written: win (cp-1251, default), dos
              (cp-866), koi (KOI8-R), iso (ISO-8859-5); not with --utf8
  --utf8      write UTF-8 instead (keeps every character)
  --explain   name the steps in words ("UTF-8 read as cp-1251, then ...")
  --json      one JSON record per file on standard output, printed as each
              file is done, instead of the text: file, verdict, steps,
              explain, confidence, output, and backup, error and not_kept
              when there are any. Bytes of a name that are not UTF-8 are
              written as \udcXX (XX the byte; Python reads them back with
              os.fsencode)
  --dry-run   analyse only, write no text (DIR and the targets are still
              checked)
  --output-dir DIR  write each FILE's result to DIR under the same name,
              with the FILE's permission bits
  --in-place  rewrite each repaired FILE: it is locked while it is repaired
              (another run on it waits), written beside itself and renamed
              over it (refused if it was replaced meanwhile), keeping owner,
              group, mode and extended attributes (what cannot be kept is
              reported).
              Only regular files are rewritten; a symbolic link is followed
              and the file it names is rewritten and backed up beside itself.
              A result that would write "?" over a character is refused. The
              original is kept as FILE.bak, or FILE.bak.1, FILE.bak.2, ...
              when that name is taken: a backup is never replaced
  --no-backup with --in-place, keep no FILE.bak
Several files need --output-dir, --in-place, --dry-run or --json; a progress
bar shows on a terminal and a summary ends the run. Every target is checked
before anything is written: a FILE named twice, and a result that would
replace an input or another FILE's result, are refused. A file that cannot be
read or written is reported and the others go on. Exit status: 2 bad usage or
some file could not be read or written, else 3 some file cannot be repaired,
else 4 every input was empty, else 0 (repaired or not damaged).
)"},
};

}  // namespace

std::span<const Command> Commands() { return kCommands; }

void PrintUsage(std::ostream& out) {
  out << "Usage:\n";
  for (const Command& command : kCommands) {
    out << "  cyrvert-cli " << command.name << ' ' << command.synopsis << '\n';
  }
  out << R"(  cyrvert-cli --help
  cyrvert-cli --version

Input is FILE, or standard input when FILE is absent or "-", read as bytes to its
end in slices, so texts of any size take little memory. Results go to standard
output as bytes as they are made; messages go to standard error, with control
characters and backslashes in names written as \xHH. Options take their value
as --opt VALUE or --opt=VALUE; "--" ends the options; --help anywhere an option
may stand prints this text.
)";
  for (const Command& command : kCommands) {
    out << '\n' << command.name << ":\n";
    std::string_view help = command.help;
    while (!help.empty()) {
      const std::size_t end = help.find('\n');
      out << "  " << help.substr(0, end) << '\n';
      help.remove_prefix(end == std::string_view::npos ? help.size() : end + 1);
    }
  }
  out << R"(
Exit status: 0 done; 2 bad usage, unreadable input or too little memory;
3 nothing found or the input cannot be decoded; 4 empty input or too few
upper-half bytes; 5 standard output cannot be written (disk full, pipe closed).
)";
}

}  // namespace cyrvert::cli
