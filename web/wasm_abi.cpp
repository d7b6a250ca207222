// The WebAssembly face of the api facade: a small C ABI that JavaScript drives through the
// module's exports. Inputs are (pointer, length) pairs in the module's memory, allocated with
// cv_alloc; every call that has an answer returns a Result, which the caller reads field by
// field and gives back with cv_release. Nothing here decides anything: each entry point is one
// call of the facade, so the page, the Node module and cyrvert-cli give the same answers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "api/cyrvert_api.h"

namespace {

namespace api = cyrvert::api;

// One answer: byte strings and numbers, in an order each entry point documents.
struct Result {
  std::vector<std::string> strings;
  std::vector<double> numbers;
};

std::string_view View(const char* data, std::size_t size) {
  return size == 0 ? std::string_view() : std::string_view(data, size);
}

// The codec entry points' shared answer: strings [output, error, file name], numbers [ok].
Result* FromCodec(api::CodecResult codec) {
  auto* result = new Result;
  result->strings = {std::move(codec.output), std::move(codec.error), std::move(codec.file_name)};
  result->numbers = {codec.ok ? 1.0 : 0.0};
  return result;
}

}  // namespace

#define CV_EXPORT(name) extern "C" __attribute__((export_name(#name), used))

// Memory for an input of `size` bytes (never null for size 0).
CV_EXPORT(cv_alloc) void* cv_alloc(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }
// Gives back memory from cv_alloc.
CV_EXPORT(cv_free) void cv_free(void* memory) { std::free(memory); }

// Number of strings in a result.
CV_EXPORT(cv_string_count) std::size_t cv_string_count(const Result* result) {
  return result->strings.size();
}
// Where string `index` of a result starts.
CV_EXPORT(cv_string_data) const char* cv_string_data(const Result* result, std::size_t index) {
  return result->strings[index].data();
}
// Length in bytes of string `index` of a result.
CV_EXPORT(cv_string_size) std::size_t cv_string_size(const Result* result, std::size_t index) {
  return result->strings[index].size();
}
// Number of numbers in a result.
CV_EXPORT(cv_number_count) std::size_t cv_number_count(const Result* result) {
  return result->numbers.size();
}
// Number `index` of a result.
CV_EXPORT(cv_number) double cv_number(const Result* result, std::size_t index) {
  return result->numbers[index];
}
// Frees a result.
CV_EXPORT(cv_release) void cv_release(Result* result) { delete result; }

// Smart repair of bytes (text == 0) or of UTF-8 characters (text != 0), written in page
// `output` (OutputPage). Strings [verdict, steps, explain, output]; numbers [confidence,
// exit status].
CV_EXPORT(cv_repair)
Result* cv_repair(const char* data, std::size_t size, int output, int text) {
  const auto page = static_cast<api::OutputPage>(output);
  api::RepairReport report =
      text != 0 ? api::RepairText(View(data, size), page) : api::Repair(View(data, size), page);
  auto* result = new Result;
  result->strings = {std::move(report.verdict), std::move(report.steps), std::move(report.explain),
                     std::move(report.output)};
  result->numbers = {report.confidence, static_cast<double>(report.exit_status)};
  return result;
}

// The variant search. Numbers [status, score of each candidate...]; strings [message, then
// history, text and preview of each candidate, best first].
CV_EXPORT(cv_decode)
Result* cv_decode(const char* data, std::size_t size, int depth, int sense, int n_best, int target,
                  int big_letters) {
  api::DecodeOptions options;
  options.depth = depth;
  options.sense = sense;
  options.n_best = n_best;
  options.target = target;
  options.big_letters = big_letters != 0;
  api::DecodeReport report = api::Decode(View(data, size), options);
  auto* result = new Result;
  result->numbers.push_back(report.status);
  result->strings.push_back(std::move(report.message));
  for (api::Candidate& candidate : report.candidates) {
    result->numbers.push_back(candidate.score);
    result->strings.push_back(std::move(candidate.history));
    result->strings.push_back(std::move(candidate.text));
    result->strings.push_back(std::move(candidate.preview));
  }
  return result;
}

// A manual conversion by code; null for an unknown code. Strings [output].
CV_EXPORT(cv_translate)
Result* cv_translate(const char* data, std::size_t size, const char* code, std::size_t code_size) {
  std::optional<std::string> output = api::Translate(View(data, size), View(code, code_size));
  if (!output) return nullptr;
  auto* result = new Result;
  result->strings.push_back(std::move(*output));
  return result;
}

// Sets the eighth bit of every byte. Strings [output].
CV_EXPORT(cv_set_eighth_bit) Result* cv_set_eighth_bit(const char* data, std::size_t size) {
  auto* result = new Result;
  result->strings.push_back(api::SetEighthBit(View(data, size)));
  return result;
}

// The codec names. Strings [name...].
CV_EXPORT(cv_codec_names) Result* cv_codec_names() {
  auto* result = new Result;
  for (std::string_view name : api::CodecNames()) result->strings.emplace_back(name);
  return result;
}

// Import from a transport encoding (strings [output, error, file name], numbers [ok]).
CV_EXPORT(cv_import)
Result* cv_import(const char* codec, std::size_t codec_size, const char* data, std::size_t size) {
  return FromCodec(api::Import(View(codec, codec_size), View(data, size)));
}

// Export to a transport encoding, `name` for uuencode (strings [output, error, file name], numbers
// [ok]).
CV_EXPORT(cv_export)
Result* cv_export(const char* codec, std::size_t codec_size, const char* data, std::size_t size,
                  const char* name, std::size_t name_size) {
  return FromCodec(api::Export(View(codec, codec_size), View(data, size), View(name, name_size)));
}

// OutputPage of a page name, -1 when unknown.
CV_EXPORT(cv_page_by_name) int cv_page_by_name(const char* name, std::size_t size) {
  const std::optional<api::OutputPage> page = api::PageByName(View(name, size));
  return page ? static_cast<int>(*page) : -1;
}

// Text of page `page` (0..3) as UTF-8. Strings [utf8].
CV_EXPORT(cv_page_to_utf8) Result* cv_page_to_utf8(const char* data, std::size_t size, int page) {
  auto* result = new Result;
  result->strings.push_back(api::PageToUtf8(View(data, size), page));
  return result;
}

// UTF-8 text as bytes of page `page` (0..3), "?" where it lacks a character. Strings [bytes].
CV_EXPORT(cv_utf8_to_page) Result* cv_utf8_to_page(const char* data, std::size_t size, int page) {
  auto* result = new Result;
  result->strings.push_back(api::Utf8ToPage(View(data, size), page));
  return result;
}
