// The sub-commands of cyrvert-cli, their options and their usage text.
#include <array>
#include <ostream>

#include "cli/cli.h"

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
};

}  // namespace

std::span<const Command> Commands() { return kCommands; }

void PrintUsage(std::ostream& out) {
  out << "Usage:\n";
  for (const Command& command : kCommands) {
    out << "  cyrvert-cli " << command.name << ' ' << command.synopsis << '\n';
  }
  out << R"(  cyrvert-cli --help

Input is FILE, or standard input when FILE is absent or "-", read as bytes to its
end in slices, so texts of any size take little memory. Results go to standard
output as bytes as they are made; messages go to standard error. Options take
their value as --opt VALUE or --opt=VALUE; "--" ends the options.
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
