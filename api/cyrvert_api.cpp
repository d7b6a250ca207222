#include "api/cyrvert_api.h"

#include <array>
#include <charconv>
#include <string>

#include "engine/code_page.h"
#include "engine/repair_writing.h"
#include "engine/scoring.h"
#include "engine/smart_repair.h"
#include "engine/unicode_codec.h"
#include "engine/variant_search.h"
#include "resources/strings.h"
#include "transport/transport_commands.h"
#include "transport/transport_format.h"
#include "transport/uucode.h"

namespace cyrvert::api {
namespace {

// The title the editor and cyrvert-cli give a text read from standard input.
constexpr std::string_view kDefaultTitle = "Cyrvert1";

CodecResult UnknownCodec(std::string_view name) {
  CodecResult result;
  result.error = "unknown encoding '" + std::string(name) + "'; use " + TransportFormatNames();
  return result;
}

int StatusOf(RepairVerdict verdict) {
  switch (verdict) {
    case RepairVerdict::kRepaired:
    case RepairVerdict::kNotDamaged:
      return 0;
    case RepairVerdict::kCannotRepair:
      return 3;
    case RepairVerdict::kEmpty:
      return 4;
  }
  return 0;
}

// The report fields every repair shares.
RepairReport ReportOf(const RepairAnalysis& analysis) {
  RepairReport report;
  report.verdict = std::string(RepairVerdictName(analysis.verdict));
  if (analysis.verdict == RepairVerdict::kRepaired) {
    report.steps = RepairCodes(analysis.steps);
    report.explain = DescribeRepair(analysis.steps);
  }
  report.confidence = analysis.confidence;
  report.exit_status = StatusOf(analysis.verdict);
  return report;
}

}  // namespace

std::string OneLine(std::string_view message) {
  std::string line;
  for (std::size_t i = 0; i < message.size(); ++i) {
    const char c = message[i];
    if (c != '\n') {
      line += c;
      continue;
    }
    // A break after the end of a sentence stays; one inside a sentence joins its halves.
    const char before = line.empty() ? '.' : line.back();
    if (before == '.' || before == '!' || before == '?' || i + 1 == message.size()) {
      line += c;
    } else if (before != ' ') {
      line += ' ';
    }
  }
  return line;
}

std::optional<OutputPage> PageByName(std::string_view name) {
  struct Name {
    std::string_view name;
    OutputPage page;
  };
  // Besides the command line's names: the usual spellings of the pages and of UTF-8.
  static constexpr std::array<Name, 9> kNames = {{
      {"cp1251", OutputPage::kWindows},
      {"cp866", OutputPage::kDos},
      {"koi8r", OutputPage::kKoi8r},
      {"koi8-r", OutputPage::kKoi8r},
      {"iso8859-5", OutputPage::kIso},
      {"iso-8859-5", OutputPage::kIso},
      {"utf8", OutputPage::kUtf8},
      {"utf-8", OutputPage::kUtf8},
      {"cp-1251", OutputPage::kWindows},
  }};
  if (const int page = CodePageByOption(name); page >= 0) return static_cast<OutputPage>(page);
  for (const Name& entry : kNames) {
    if (entry.name == name) return entry.page;
  }
  return std::nullopt;
}

RepairReport Repair(std::string_view bytes, OutputPage output) {
  const auto form = static_cast<RepairOutput>(output);
  const RepairAnalysis analysis = AnalyzeForRepair(bytes.substr(0, kSmartRepairWindow));
  RepairReport report = ReportOf(analysis);
  if (analysis.verdict != RepairVerdict::kEmpty) {
    report.output = ApplyRepair(bytes, WritingSteps(analysis, form), form);
  }
  return report;
}

RepairReport RepairText(std::string_view utf8, OutputPage output) {
  UnicodeRepair repair = RepairUnicodeText(utf8);
  RepairReport report = ReportOf(repair.analysis);
  if (output == OutputPage::kUtf8) {
    report.output = std::move(repair.text);
  } else {
    report.output = Utf8ToPage(repair.text, static_cast<int>(output));
  }
  return report;
}

DecodeReport Decode(std::string_view bytes, const DecodeOptions& options) {
  DecodeReport report;
  struct Range {
    int value, high;
    std::string_view name, zero;
  };
  const std::array<Range, 3> ranges = {{
      {options.depth, kMaxSearchDepth, "--depth", "0 (automatic)"},
      {options.sense, 6, "--sense", "0 (automatic)"},
      {options.n_best, kMaxBest, "--best", "0 (all)"},
  }};
  for (const Range& range : ranges) {
    if (range.value < 0 || range.value > range.high) {
      report.status = 2;
      report.message = std::string(range.name) + " must be " + std::string(range.zero) + " to " +
                       std::to_string(range.high);
      return report;
    }
  }
  if (PageNames(options.target) == nullptr) {
    report.status = 2;
    report.message = "--target must be " + CodePageOptions();
    return report;
  }
  HighByteHistogram histogram;
  if (BuildHighByteHistogram(histogram, bytes) < kMinCountedBytes) {
    report.status = 4;
    report.message = OneLine(strings::kTooFewLetters);
    return report;
  }
  SearchParams params;
  params.depth = options.depth;
  params.sense = options.sense;
  params.n_limit = options.n_best;
  params.big_letters = options.big_letters;
  params.target = [target = options.target] { return target; };
  NoOpSearchHooks hooks;
  const FindResult found = FindVariants(histogram, params, hooks);
  if (found.status != EngineStatus::kDone || found.variants.empty()) {
    report.status = 3;
    report.message = std::string(strings::kNothingFound);
    return report;
  }
  const std::vector<std::string> previews =
      MakeVariantPreviews(bytes, found.variants, found.variants.size(), FindPreviewOffset(bytes));
  const ByteCodec& codec = *PageCodec(options.target);
  for (std::size_t i = 0; i < found.variants.size(); ++i) {
    Candidate candidate;
    candidate.history = VariantHistory(found.variants[i]);
    candidate.score = found.variants[i].score;
    candidate.text = std::string(bytes);
    DecodeByVariant(candidate.text.data(), candidate.text.size(), found.variants[i]);
    std::string preview = previews[i];
    for (char& c : preview) {
      if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    candidate.preview = codec.ToUtf8(preview);
    report.candidates.push_back(std::move(candidate));
  }
  return report;
}

std::optional<std::string> Translate(std::string_view bytes, std::string_view code) {
  const int conversion = ConversionByCode(code);
  if (conversion < 0) return std::nullopt;
  std::string text(bytes);
  ConvertHighHalf(text.data(), text.size(), conversion);
  return text;
}

std::string SetEighthBit(std::string_view bytes) {
  std::string text(bytes);
  for (char& c : text) c = static_cast<char>(static_cast<unsigned char>(c) | 0x80u);
  return text;
}

std::vector<std::string_view> CodecNames() {
  std::vector<std::string_view> names;
  for (const TransportFormatInfo& format : TransportFormats()) names.push_back(format.name);
  return names;
}

CodecResult Import(std::string_view name, std::string_view bytes) {
  const TransportFormatInfo* codec = FindTransportFormat(name);
  if (codec == nullptr) return UnknownCodec(name);
  CodecResult result;
  if (bytes.empty()) {
    result.error = std::string(strings::kNoText);
    return result;
  }
  ImportStream stream(codec->format, ImportStart::kAfterOwnHeader);
  stream.PutAll(bytes, result.output);
  if (!stream.ok()) {
    result.error = std::string(codec->decode_error) + " (" +
                   std::string(DecodeErrorName(stream.error())) + " at byte " +
                   std::to_string(stream.error_position()) + ")";
    return result;
  }
  if (codec->format == TransportFormat::kUu) result.file_name = stream.file_name();
  result.ok = true;
  return result;
}

CodecResult Export(std::string_view name, std::string_view bytes, std::string_view title) {
  const TransportFormatInfo* codec = FindTransportFormat(name);
  if (codec == nullptr) return UnknownCodec(name);
  CodecResult result;
  if (title.empty()) title = kDefaultTitle;
  if (codec->format == TransportFormat::kUu && !IsUuFileName(title)) {
    result.error = "the uuencode file name is empty or holds control characters";
    return result;
  }
  if (bytes.empty()) {
    result.error = std::string(strings::kNoText);
    return result;
  }
  ExportStream stream(codec->format, title);
  stream.PutAll(bytes, result.output);
  result.ok = true;
  return result;
}

std::string PageToUtf8(std::string_view bytes, int page) {
  const ByteCodec* codec = PageCodec(page);
  return codec == nullptr ? std::string() : codec->ToUtf8(bytes);
}

std::string Utf8ToPage(std::string_view utf8, int page) {
  const ByteCodec* codec = PageCodec(page);
  return codec == nullptr ? std::string() : codec->FromUtf8(utf8);
}

}  // namespace cyrvert::api
