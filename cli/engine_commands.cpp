// decode, translate and set8bit.
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/cli.h"
#include "engine/code_page.h"
#include "engine/scoring.h"
#include "engine/unicode_codec.h"
#include "engine/variant_search.h"
#include "resources/strings.h"

namespace cyrvert::cli {
namespace {

// Options of decode, as the Settings of the same names.
struct DecodeOptions {
  int target = kWindows;
  int depth = 0;
  int sense = 0;
  int best = 0;
  bool big_letters = false;
  bool list = false;
  bool utf8 = false;
  std::string path;
};

// Parses a whole decimal integer within [low, high].
bool ParseInt(std::string_view text, int low, int high, int& value) {
  int parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  if (parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

int ParseTarget(std::string_view name) {
  constexpr std::array<std::string_view, kCodePageCount> kNames = {"win", "dos", "koi", "iso"};
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (name == kNames[i]) return static_cast<int>(i);
  }
  return -1;
}

// The integer options of decode: their bounds, where they go, and the range as told.
struct IntOption {
  std::string_view name;
  int low;
  int high;
  int DecodeOptions::*field;
  std::string_view range;
};
constexpr std::array<IntOption, 3> kIntOptions = {{
    {"--depth", 0, 5, &DecodeOptions::depth, "0 (automatic) to 5"},
    {"--sense", 0, 6, &DecodeOptions::sense, "0 (automatic) to 6"},
    {"--best", 0, 500, &DecodeOptions::best, "0 (all) to 500"},
}};

const IntOption* FindIntOption(std::string_view arg) {
  for (const IntOption& option : kIntOptions) {
    if (arg == option.name) return &option;
  }
  return nullptr;
}

// Fills `options` from `args`; false (with a message) on bad usage.
bool ParseDecodeArgs(const Args& args, DecodeOptions& options, std::ostream& err) {
  bool have_path = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value_of = [&](std::string_view name, std::string_view& value) {
      if (i + 1 >= args.size()) {
        err << "cyrvert-cli: " << name << " needs a value\n";
        return false;
      }
      value = args[++i];
      return true;
    };
    std::string_view value;
    if (arg == "--target") {
      if (!value_of(arg, value)) return false;
      options.target = ParseTarget(value);
      if (options.target < 0) {
        err << "cyrvert-cli: --target must be win, dos, koi or iso\n";
        return false;
      }
    } else if (const IntOption* option = FindIntOption(arg)) {
      if (!value_of(arg, value) ||
          !ParseInt(value, option->low, option->high, options.*(option->field))) {
        err << "cyrvert-cli: " << option->name << " must be " << option->range << "\n";
        return false;
      }
    } else if (arg == "--big-letters") {
      options.big_letters = true;
    } else if (arg == "--list") {
      options.list = true;
    } else if (arg == "--utf8") {
      options.utf8 = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      err << "cyrvert-cli: unknown option '" << arg << "'\n";
      return false;
    } else if (have_path) {
      err << "cyrvert-cli: more than one input file\n";
      return false;
    } else {
      options.path = arg;
      have_path = true;
    }
  }
  return true;
}

// Takes the optional FILE argument of translate and set8bit; false on bad usage.
bool ParsePathOnly(const Args& args, std::size_t first, std::string& path, std::ostream& err) {
  if (args.size() > first + 1) {
    err << "cyrvert-cli: more than one input file\n";
    return false;
  }
  if (args.size() == first + 1) {
    if (args[first].size() > 1 && args[first][0] == '-') {
      err << "cyrvert-cli: unknown option '" << args[first] << "'\n";
      return false;
    }
    path = args[first];
  }
  return true;
}

// Writes `bytes`, read in `page`, as UTF-8 in slices, so the output never needs a second
// copy of a large text.
void WriteUtf8(std::ostream& out, std::string_view bytes, int page) {
  constexpr std::size_t kSlice = 1 << 16;
  std::string buffer;
  buffer.reserve(kSlice * 3);
  for (std::size_t at = 0; at < bytes.size(); at += kSlice) {
    buffer.clear();
    PageCodec(page)->AppendUtf8(bytes.substr(at, kSlice), buffer);
    WriteBytes(out, buffer);
  }
}

// FILE or standard input, read slice by slice.
class SliceReader {
 public:
  ~SliceReader() {
    if (m_pFile != nullptr && m_pFile != stdin) std::fclose(m_pFile);
  }
  // Opens `path` (standard input when empty or "-"); false with a message on failure.
  bool Open(const std::string& path, std::ostream& err) {
    m_name = path.empty() || path == "-" ? std::string("standard input") : "'" + path + "'";
    if (path.empty() || path == "-") {
      m_pFile = std::freopen(nullptr, "rb", stdin);
      if (m_pFile == nullptr) m_pFile = stdin;
      return true;
    }
    m_pFile = std::fopen(path.c_str(), "rb");
    if (m_pFile == nullptr) {
      err << "cyrvert-cli: cannot open " << m_name << ": " << std::strerror(errno) << "\n";
      return false;
    }
    return true;
  }
  // Appends up to `size` bytes to `out`; 0 at the end of the input or on an error.
  std::size_t AppendTo(std::string& out, std::size_t size) {
    const std::size_t old_size = out.size();
    out.resize(old_size + size);
    const std::size_t got = std::fread(out.data() + old_size, 1, size, m_pFile);
    out.resize(old_size + got);
    return got;
  }
  // Whether reading failed; writes the message once.
  bool Failed(std::ostream& err) const {
    if (!std::ferror(m_pFile)) return false;
    err << "cyrvert-cli: cannot read " << m_name << "\n";
    return true;
  }

 private:
  std::FILE* m_pFile = nullptr;
  std::string m_name;
};

constexpr std::size_t kReadSlice = 1 << 20;

// Reads the start of the input up to the point where the histogram stops counting (or the
// whole input when it holds fewer upper-half bytes); false on a read error.
bool ReadHead(SliceReader& reader, std::string& head, bool& at_end, std::ostream& err) {
  std::uint32_t high = 0;
  at_end = false;
  while (high < kMaxCountedBytes) {
    const std::size_t from = head.size();
    if (reader.AppendTo(head, kReadSlice) == 0) {
      at_end = true;
      break;
    }
    for (std::size_t i = from; i < head.size(); ++i) {
      if (static_cast<unsigned char>(head[i]) >= 0x80) ++high;
    }
  }
  return !reader.Failed(err);
}

// Writes the decoded text, in the target page or as UTF-8.
void WriteDecoded(std::ostream& out, std::string_view text, const DecodeOptions& options) {
  if (options.utf8) {
    WriteUtf8(out, text, options.target);
  } else {
    WriteBytes(out, text);
  }
}

// One line of the variant list: score, history and the preview read in `page`.
void WriteListLine(std::ostream& out, const Variant& variant, std::string preview, int page) {
  for (char& c : preview) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  std::string line = std::to_string(variant.score);
  line += '\t';
  line += VariantHistory(variant);
  line += '\t';
  PageCodec(page)->AppendUtf8(preview, line);
  line += '\n';
  WriteBytes(out, line);
}

int Decode(const Args& args, std::ostream& out, std::ostream& err) {
  DecodeOptions options;
  if (!ParseDecodeArgs(args, options, err)) return kExitUsage;
  // The list needs the whole text for its preview; plain decoding needs only the start of
  // it to choose the Variant, and streams the rest.
  SliceReader reader;
  std::string text;
  bool at_end = true;
  if (options.list) {
    std::optional<std::string> whole = ReadInput(options.path, err);
    if (!whole) return kExitUsage;
    text = std::move(*whole);
  } else if (!reader.Open(options.path, err) || !ReadHead(reader, text, at_end, err)) {
    return kExitUsage;
  }

  HighByteHistogram histogram;
  if (BuildHighByteHistogram(histogram, text) < kMinCountedBytes) {
    err << strings::kTooFewLetters;
    return kExitTooLittle;
  }
  SearchParams params;
  params.depth = options.depth;
  params.sense = options.sense;
  params.n_limit = options.list ? options.best : 1;
  params.big_letters = options.big_letters;
  params.target = [target = options.target] { return target; };
  NoOpSearchHooks hooks;
  const FindResult found = FindVariants(histogram, params, hooks);
  if (found.status != EngineStatus::kDone || found.variants.empty()) {
    err << strings::kNothingFound << '\n';
    return kExitNotDecoded;
  }

  if (options.list) {
    const std::size_t start = FindPreviewOffset(text);
    const std::vector<std::string> previews =
        MakeVariantPreviews(text, found.variants, found.variants.size(), start);
    for (std::size_t i = 0; i < previews.size(); ++i) {
      WriteListLine(out, found.variants[i], previews[i], options.target);
    }
    return kExitOk;
  }

  const Variant& best = found.variants.front();
  DecodeByVariant(text.data(), text.size(), best);
  WriteDecoded(out, text, options);
  while (!at_end) {
    text.clear();
    at_end = reader.AppendTo(text, kReadSlice) == 0;
    DecodeByVariant(text.data(), text.size(), best);
    WriteDecoded(out, text, options);
  }
  if (reader.Failed(err)) return kExitUsage;
  err << VariantHistory(best) << '\n';
  return kExitOk;
}

int Translate(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << "cyrvert-cli: translate needs a CODE (D2K K2D D2W W2D W2K K2W D2I I2D K2I I2K W2I "
           "I2W)\n";
    return kExitUsage;
  }
  int conversion = -1;
  for (int k = 0; k < kConversionCount; ++k) {
    if (args[0] == ConversionCode(k)) conversion = k;
  }
  if (conversion < 0) {
    err << "cyrvert-cli: unknown conversion '" << args[0]
        << "' (one of D2K K2D D2W W2D W2K K2W D2I I2D K2I I2K W2I I2W)\n";
    return kExitUsage;
  }
  std::string path;
  if (!ParsePathOnly(args, 1, path, err)) return kExitUsage;
  std::optional<std::string> text = ReadInput(path, err);
  if (!text) return kExitUsage;
  if (text->empty()) {
    err << strings::kNoText << '\n';
    return kExitTooLittle;
  }
  ConvertHighHalf(text->data(), text->size(), conversion);
  WriteBytes(out, *text);
  return kExitOk;
}

int Set8Bit(const Args& args, std::ostream& out, std::ostream& err) {
  std::string path;
  if (!ParsePathOnly(args, 0, path, err)) return kExitUsage;
  std::optional<std::string> text = ReadInput(path, err);
  if (!text) return kExitUsage;
  if (text->empty()) {
    err << strings::kNoText << '\n';
    return kExitTooLittle;
  }
  for (char& c : *text) c = static_cast<char>(static_cast<unsigned char>(c) | 0x80u);
  WriteBytes(out, *text);
  return kExitOk;
}

}  // namespace

int RunDecode(const Args& args, std::ostream& out, std::ostream& err) {
  return GuardMemory([&] { return Decode(args, out, err); }, strings::kNoMemory, err);
}

int RunTranslate(const Args& args, std::ostream& out, std::ostream& err) {
  return GuardMemory([&] { return Translate(args, out, err); }, strings::kNotEnoughMemory, err);
}

int RunSet8Bit(const Args& args, std::ostream& out, std::ostream& err) {
  return GuardMemory([&] { return Set8Bit(args, out, err); }, strings::kNotEnoughMemory, err);
}

}  // namespace cyrvert::cli
