// Input and output helpers shared by the sub-commands, and the usage text.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <new>
#include <sstream>

#include "cli/cli.h"
#include "cli/repair_command.h"

namespace cyrvert::cli {

std::optional<std::string> ReadInput(const std::string& path, std::ostream& err) {
  std::string data;
  if (path.empty() || path == "-") {
    std::freopen(nullptr, "rb", stdin);
    char buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) data.append(buffer, got);
    if (std::ferror(stdin)) {
      err << "cyrvert-cli: cannot read standard input\n";
      return std::nullopt;
    }
    return data;
  }
  // A directory opens as a stream, but its "size" is no size of a text.
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    err << "cyrvert-cli: cannot open '" << path << "': " << std::strerror(EISDIR) << "\n";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    err << "cyrvert-cli: cannot open '" << path << "': " << std::strerror(errno) << "\n";
    return std::nullopt;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size > 0) {
    data.resize(static_cast<std::size_t>(size));
    in.seekg(0, std::ios::beg);
    in.read(data.data(), size);
    if (in.gcount() != size) {
      err << "cyrvert-cli: cannot read '" << path << "'\n";
      return std::nullopt;
    }
  } else {
    // Not seekable (a pipe or a special file): read to the end.
    in.clear();
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (in.bad()) {
    err << "cyrvert-cli: cannot read '" << path << "'\n";
    return std::nullopt;
  }
  return data;
}

void WriteBytes(std::ostream& out, std::string_view bytes) {
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int GuardMemory(const std::function<int()>& command, std::string_view message, std::ostream& err) {
  try {
    return command();
  } catch (const std::bad_alloc&) {
    err << message << '\n';
    return kExitUsage;
  }
}

void PrintUsage(std::ostream& out) {
  out << R"(Usage:
  cyrvert-cli decode [--target win|dos|koi|iso] [--depth N] [--sense N] [--best N]
                     [--big-letters] [--list] [--utf8] [FILE]
  cyrvert-cli translate CODE [FILE]
  cyrvert-cli set8bit [FILE]
  cyrvert-cli import utf7|utf8|qp|base64|uu|unix [FILE]
  cyrvert-cli export utf7|utf8|qp|base64|uu|unix [--name NAME] [FILE]
  cyrvert-cli repair [--utf8] [--explain] [--json] [--dry-run]
                     [--output-dir DIR | --in-place [--no-backup]] [FILE...]

Input is FILE, or standard input when FILE is absent, read as bytes.
Results go to standard output as bytes; messages go to standard error.

decode      Finds the chains of wrong code-page conversions that explain a damaged
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
            Without --list the text decoded by the best variant goes to standard
            output and its history to standard error.

translate   Converts by one table. CODE is one of
            D2K K2D D2W W2D W2K K2W D2I I2D K2I I2K W2I I2W
            (D DOS cp-866, K KOI8-R, W WINDOWS cp-1251, I ISO-8859-5).
set8bit     Sets the eighth bit of every byte (text stripped to 7 bits in transit).

import      Decodes a transport encoding into cp-1251 text:
            utf7, utf8, qp (Quoted-Printable), base64, uu (uudecode; the decoded
            file name goes to standard error), unix (LF -> CR LF).
export      Encodes cp-1251 text: utf7, utf8, qp, base64 (each wrapped in a MIME
            text/plain message), uu (--name NAME on the begin line; default: the
            input file's name, or Cyrvert1 for standard input), unix (CR LF -> LF).

Exit status: 0 done; 2 bad usage or unreadable input; 3 nothing found or the
input cannot be decoded; 4 empty input or too few upper-half bytes.
)";
  PrintRepairUsage(out);
}

}  // namespace cyrvert::cli
