// Whole-buffer entry points over the core for the front ends that are not the editor: the
// browser module and the Python package. Each gives exactly what cyrvert-cli writes for the
// same input and options, so every front end shares one behaviour. Bad data never throws;
// bad arguments come back as values.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cyrvert::api {

// A message of the editor shown on one line: a line break inside a sentence becomes a space.
std::string OneLine(std::string_view message);

// The form a result is written in: one of the four pages (numbered as CodePage) or UTF-8.
enum class OutputPage { kWindows = 0, kDos = 1, kKoi8r = 2, kIso = 3, kUtf8 = 4 };

// The page named "win", "dos", "koi", "iso" (as cyrvert-cli --target), "cp1251", "cp866",
// "koi8r", "koi8-r", "iso8859-5", "iso-8859-5", "utf8" or "utf-8"; nullopt otherwise.
std::optional<OutputPage> PageByName(std::string_view name);

// What smart repair made of one input.
struct RepairReport {
  std::string verdict;      // "repaired", "not damaged", "cannot repair", "empty", ...
  std::string steps;        // step codes in repair order ("K2W,U8"); empty when nothing done
  std::string explain;      // the damage in words; empty when nothing was done
  double confidence = 0.0;  // 0..1
  std::string output;       // the bytes cyrvert-cli repair writes to standard output
  int exit_status = 0;      // its exit status: 0 repaired or not damaged, 3 cannot, 4 empty
};

// Smart repair of bytes, as `cyrvert-cli repair [--target P | --utf8]`.
RepairReport Repair(std::string_view bytes, OutputPage output = OutputPage::kWindows);

// Smart repair of text that arrived as characters (UTF-8): mojibake is repaired, clean text
// comes back unchanged. kUtf8 keeps every character; a page writes "?" for those it lacks.
RepairReport RepairText(std::string_view utf8, OutputPage output = OutputPage::kUtf8);

// Options of the first engine, as cyrvert-cli decode takes them.
struct DecodeOptions {
  int depth = 3;   // 0 automatic, 1..5
  int sense = 2;   // 0 automatic, 1..6
  int n_best = 5;  // 0 all, up to 500
  int target = 0;  // the page the text is decoded into (CodePage)
  bool big_letters = false;
};

// One chain the first engine found.
struct Candidate {
  std::string history;  // "(K2W,W2D)", as decode --list prints it
  int score = 0;        // as decode --list prints it
  std::string text;     // the whole text decoded by the chain, in the target page
  std::string preview;  // the preview decode --list shows, as UTF-8
};

// What the first engine found.
struct DecodeReport {
  int status = 0;                     // decode's exit status: 0 found, 3 nothing, 4 too few
  std::string message;                // decode's message when status is not 0 (UTF-8)
  std::vector<Candidate> candidates;  // best first, at most n_best
};

// The variant search, as `cyrvert-cli decode --list` with the same options; an option out of
// range gives status 2 and decode's message.
DecodeReport Decode(std::string_view bytes, const DecodeOptions& options = {});

// One of the twelve conversions by code ("W2K", "K2D", ...); nullopt for an unknown code.
std::optional<std::string> Translate(std::string_view bytes, std::string_view code);

// Every byte with its eighth bit set, as cyrvert-cli set8bit.
std::string SetEighthBit(std::string_view bytes);

// The result of an import or export.
struct CodecResult {
  bool ok = false;
  std::string output;     // what cyrvert-cli writes (what was decoded before an error)
  std::string error;      // cyrvert-cli's message on failure (UTF-8), empty on success
  std::string file_name;  // uu import: the name on the begin line
};

// The encodings import and export take: "utf7", "utf8", "qp", "base64", "uu", "unix".
std::vector<std::string_view> CodecNames();

// cyrvert-cli import CODEC.
CodecResult Import(std::string_view codec, std::string_view bytes);

// cyrvert-cli export CODEC [--name NAME]; `name` is the uuencode file name (the CLI's default
// for standard input when empty).
CodecResult Export(std::string_view codec, std::string_view bytes, std::string_view name = {});

// Text of page `page` (0..3) as UTF-8; empty for a page out of range.
std::string PageToUtf8(std::string_view bytes, int page);

// UTF-8 text as bytes of page `page` (0..3), "?" for characters it lacks; empty for a page out
// of range.
std::string Utf8ToPage(std::string_view utf8, int page);

}  // namespace cyrvert::api
