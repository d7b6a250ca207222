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

// The integer options of decode: their bounds, where they go, and what 0 means.
struct IntOption {
  std::string_view name;
  int high;
  int DecodeOptions::*field;
  std::string_view zero;
};
constexpr std::array<IntOption, 3> kIntOptions = {{
    {"--depth", kMaxSearchDepth, &DecodeOptions::depth, "0 (automatic)"},
    {"--sense", 6, &DecodeOptions::sense, "0 (automatic)"},
    {"--best", kMaxBest, &DecodeOptions::best, "0 (all)"},
}};

// Fills `options` from the parsed arguments; false (with a message) on a bad value.
bool ReadDecodeOptions(const Invocation& call, DecodeOptions& options, std::ostream& err) {
  if (!ReadTarget(call, options.target, err)) return false;
  for (const IntOption& option : kIntOptions) {
    const std::string* value = call.Value(option.name);
    if (value != nullptr && !ParseInt(*value, 0, option.high, options.*(option.field))) {
      err << "cyrvert-cli: " << option.name << " must be " << option.zero << " to " << option.high
          << "\n";
      return false;
    }
  }
  options.big_letters = call.Has("--big-letters");
  options.list = call.Has("--list");
  if (call.Has("--best") && !options.list) {
    err << "cyrvert-cli: --best goes with --list\n";
    return false;
  }
  options.utf8 = call.Has("--utf8");
  options.path = InputPath(call, 0);
  return true;
}

// Writes `bytes`, read in `page`, as UTF-8 in slices, so the output never needs a second
// copy of a large text.
void WriteUtf8(Output& out, std::string_view bytes, int page) {
  constexpr std::size_t kSlice = 1 << 16;
  std::string buffer;
  buffer.reserve(kSlice * 3);
  for (std::size_t at = 0; at < bytes.size(); at += kSlice) {
    buffer.clear();
    PageCodec(page)->AppendUtf8(bytes.substr(at, kSlice), buffer);
    out.Write(buffer);
  }
}

// Writes the decoded text, in the target page or as UTF-8.
void WriteDecoded(Output& out, std::string_view text, const DecodeOptions& options) {
  if (options.utf8) {
    WriteUtf8(out, text, options.target);
  } else {
    out.Write(text);
  }
}

// One line of the variant list: score, history and the preview read in `page`.
void WriteListLine(Output& out, const Variant& variant, std::string preview, int page) {
  for (char& c : preview) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  std::string line = std::to_string(variant.score);
  line += '\t';
  line += VariantHistory(variant);
  line += '\t';
  PageCodec(page)->AppendUtf8(preview, line);
  line += '\n';
  out.Write(line);
}

// The start of the input that chooses the variant: read until the histogram has all the
// upper-half bytes it counts, or to the end. Up to kInMemory bytes of it are held in
// memory, more in a temporary file, so a long text with few such bytes costs no memory.
class Head {
 public:
  Head() = default;
  Head(const Head&) = delete;
  Head& operator=(const Head&) = delete;
  ~Head() {
    if (m_pSpill != nullptr) std::fclose(m_pSpill);
  }

  // Reads the head from `input`; true when that reached the end of the input.
  bool Read(Input& input) {
    std::string slice;
    while (m_high.size() < kMaxCountedBytes) {
      if (!input.Read(slice, kSliceSize)) return true;
      for (const char c : slice) {
        if (static_cast<unsigned char>(c) >= 0x80 && m_high.size() < kMaxCountedBytes) {
          m_high += c;
        }
      }
      if (m_pSpill == nullptr && m_memory.size() + slice.size() > kInMemory) {
        m_pSpill = std::tmpfile();
        if (m_pSpill == nullptr) Fail();
        Spill(m_memory);
        std::string().swap(m_memory);
      }
      if (m_pSpill != nullptr) {
        Spill(slice);
      } else {
        m_memory += slice;
      }
    }
    return false;
  }

  // The upper-half bytes the histogram counts, in order.
  std::string_view high() const { return m_high; }
  // The head held in memory (all of it unless it was spilled).
  std::string& memory() { return m_memory; }

  // Gives the spilled head to `use` slice by slice.
  template <class Use>
  void ForEachSpilled(Use use) {
    if (m_pSpill == nullptr) return;
    std::rewind(m_pSpill);
    std::string slice(kSliceSize, '\0');
    std::size_t got = 0;
    while ((got = std::fread(slice.data(), 1, slice.size(), m_pSpill)) > 0) {
      use(slice.data(), got);
    }
    if (std::ferror(m_pSpill)) Fail();
  }

 private:
  static constexpr std::size_t kInMemory = 8 << 20;

  void Spill(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_pSpill) != bytes.size()) Fail();
  }
  [[noreturn]] static void Fail() {
    throw InputFailure(std::string("cyrvert-cli: cannot keep the start of the input in a "
                                   "temporary file: ") +
                       std::strerror(errno));
  }

  std::string m_memory;
  std::string m_high;
  std::FILE* m_pSpill = nullptr;
};

// The preview sample of FindPreviewOffset, found a byte at a time while keeping no more
// than a window: the first window that starts on an upper-half byte and holds enough of
// them, else the start of the text.
class PreviewWindow {
 public:
  void Add(std::string_view bytes) {
    for (const char c : bytes) {
      if (m_bFound) return;
      if (m_first.size() < kPreviewWindow) m_first += c;
      // The byte at m_nSeen - kPreviewWindow leaves the window as c enters it.
      char& slot = m_ring[m_nSeen % kPreviewWindow];
      if (m_nSeen >= kPreviewWindow && IsHigh(slot)) --m_nHigh;
      slot = c;
      if (IsHigh(c)) ++m_nHigh;
      ++m_nSeen;
      if (m_nSeen >= kPreviewWindow && m_nHigh >= kPreviewMinimum &&
          IsHigh(m_ring[m_nSeen % kPreviewWindow])) {
        m_bFound = true;
        for (std::size_t k = 0; k < kPreviewWindow; ++k) {
          m_window += m_ring[(m_nSeen + k) % kPreviewWindow];
        }
      }
    }
  }
  bool found() const { return m_bFound; }
  // The bytes the previews show.
  std::string_view sample() const { return m_bFound ? m_window : m_first; }

 private:
  static bool IsHigh(char c) { return static_cast<unsigned char>(c) >= 0x80; }

  std::string m_first;  // the start of the text
  std::array<char, kPreviewWindow> m_ring{};
  std::size_t m_nSeen = 0;
  std::size_t m_nHigh = 0;  // upper-half bytes in the window
  bool m_bFound = false;
  std::string m_window;
};

}  // namespace

int RunDecode(const Invocation& call, Output& out, std::ostream& err) {
  DecodeOptions options;
  if (!ReadDecodeOptions(call, options, err)) return kExitUsage;
  // The start of the text chooses the variant; the rest is streamed (or, for the list,
  // only searched for the preview window).
  Input input(options.path);
  Head head;
  const bool at_end = head.Read(input);
  HighByteHistogram histogram;
  if (BuildHighByteHistogram(histogram, head.high()) < kMinCountedBytes) {
    err << OneLine(strings::kTooFewLetters);
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
    PreviewWindow window;
    head.ForEachSpilled([&](char* bytes, std::size_t size) { window.Add({bytes, size}); });
    window.Add(head.memory());
    std::string slice;
    while (!at_end && !window.found() && input.Read(slice, kSliceSize)) window.Add(slice);
    const std::vector<std::string> previews =
        MakeVariantPreviews(window.sample(), found.variants, found.variants.size(), 0);
    for (std::size_t i = 0; i < previews.size(); ++i) {
      WriteListLine(out, found.variants[i], previews[i], options.target);
    }
    return kExitOk;
  }

  const Variant& best = found.variants.front();
  head.ForEachSpilled([&](char* bytes, std::size_t size) {
    DecodeByVariant(bytes, size, best);
    WriteDecoded(out, std::string_view(bytes, size), options);
  });
  std::string& text = head.memory();
  DecodeByVariant(text.data(), text.size(), best);
  WriteDecoded(out, text, options);
  while (!at_end && input.Read(text, kSliceSize)) {
    DecodeByVariant(text.data(), text.size(), best);
    WriteDecoded(out, text, options);
    if (text.size() < kSliceSize) out.Flush();  // a slow input: keep up with it
  }
  out.Flush();
  err << VariantHistory(best) << '\n';
  return kExitOk;
}

namespace {

// Streams the input through `convert`, a byte-wise conversion of a slice in place.
template <class Convert>
int ConvertStream(const std::string& path, Output& out, std::ostream& err, Convert convert) {
  Input input(path);
  std::string slice;
  if (!input.Read(slice, kSliceSize)) {
    err << strings::kNoText << '\n';
    return kExitTooLittle;
  }
  do {
    convert(slice);
    out.WriteSlice(slice, slice.size());
  } while (input.Read(slice, kSliceSize));
  return kExitOk;
}

}  // namespace

int RunTranslate(const Invocation& call, Output& out, std::ostream& err) {
  const std::string& code = call.operands[0];
  const int conversion = ConversionByCode(code);
  if (conversion < 0) {
    err << "cyrvert-cli: unknown conversion '" << code << "'; use one of";
    for (int k = 0; k < kConversionCount; ++k) err << ' ' << ConversionCode(k);
    err << '\n';
    return kExitUsage;
  }
  return ConvertStream(InputPath(call, 1), out, err, [conversion](std::string& slice) {
    ConvertHighHalf(slice.data(), slice.size(), conversion);
  });
}

int RunSet8Bit(const Invocation& call, Output& out, std::ostream& err) {
  return ConvertStream(InputPath(call, 0), out, err, [](std::string& slice) {
    for (char& c : slice) c = static_cast<char>(static_cast<unsigned char>(c) | 0x80u);
  });
}

}  // namespace cyrvert::cli
