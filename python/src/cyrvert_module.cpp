// _cyrvert: the api facade as Python functions. Every call releases the GIL while the core
// works, takes bytes-like objects without copying where it can, and turns bad arguments into
// Python exceptions; bad data never raises (the core answers every input).
#include <Python.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "api/cyrvert_api.h"

namespace py = pybind11;

namespace cyrvert::python {

// An argument taken as any object and checked by Argument, so the messages are our own; the
// names are what help() shows for it.
struct BytesOrStr {
  py::handle object;
};
struct BytesLike {
  py::handle object;
};

}  // namespace cyrvert::python

namespace pybind11::detail {
template <>
struct type_caster<cyrvert::python::BytesOrStr> {
  PYBIND11_TYPE_CASTER(cyrvert::python::BytesOrStr, const_name("bytes | str"));
  bool load(handle source, bool) {
    value.object = source;
    return true;
  }
  static handle cast(const cyrvert::python::BytesOrStr& data, return_value_policy, handle) {
    return data.object.inc_ref();
  }
};
template <>
struct type_caster<cyrvert::python::BytesLike> {
  PYBIND11_TYPE_CASTER(cyrvert::python::BytesLike, const_name("bytes"));
  bool load(handle source, bool) {
    value.object = source;
    return true;
  }
  static handle cast(const cyrvert::python::BytesLike& data, return_value_policy, handle) {
    return data.object.inc_ref();
  }
};
}  // namespace pybind11::detail

namespace cyrvert::python {
namespace {

// The bytes of an argument for the length of one call: a view into a bytes object or into the
// UTF-8 a str caches, or a copy of any other buffer (which could change while the GIL is off).
class Argument {
 public:
  // Reads `data`; `accept_str` lets a str through as UTF-8, else a str is a TypeError.
  Argument(const py::handle& data, const char* function, bool accept_str) {
    PyObject* object = data.ptr();
    if (PyBytes_Check(object)) {
      m_view = std::string_view(PyBytes_AS_STRING(object),
                                static_cast<std::size_t>(PyBytes_GET_SIZE(object)));
      return;
    }
    if (PyUnicode_Check(object)) {
      if (!accept_str) {
        throw py::type_error(std::string(function) +
                             "() takes bytes; encode the str first, e.g. "
                             "text.encode(\"cp1251\")");
      }
      Py_ssize_t size = 0;
      const char* utf8 = PyUnicode_AsUTF8AndSize(object, &size);
      if (utf8 == nullptr) throw py::error_already_set();  // a lone surrogate
      m_view = std::string_view(utf8, static_cast<std::size_t>(size));
      m_is_text = true;
      return;
    }
    if (PyObject_CheckBuffer(object)) {
      Py_buffer buffer;
      if (PyObject_GetBuffer(object, &buffer, PyBUF_SIMPLE) != 0) throw py::error_already_set();
      m_copy.assign(static_cast<const char*>(buffer.buf), static_cast<std::size_t>(buffer.len));
      PyBuffer_Release(&buffer);
      m_view = m_copy;
      return;
    }
    throw py::type_error(std::string(function) + "() takes " +
                         (accept_str ? "bytes or str" : "bytes") + ", not " +
                         std::string(py::str(data.get_type().attr("__name__"))));
  }

  std::string_view View() const { return m_view; }
  bool IsText() const { return m_is_text; }

 private:
  std::string_view m_view;
  std::string m_copy;
  bool m_is_text = false;
};

// UTF-8 bytes as a str; invalid sequences (never made by the core) become U+FFFD, not errors.
py::str Utf8ToStr(std::string_view utf8) {
  PyObject* text =
      PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "replace");
  if (text == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(text);
}

// Text of `page` (0..3, or kUtf8) as a str.
py::str PageToStr(std::string_view bytes, int page) {
  if (page == static_cast<int>(api::OutputPage::kUtf8)) return Utf8ToStr(bytes);
  std::string utf8;
  {
    py::gil_scoped_release release;
    utf8 = api::PageToUtf8(bytes, page);
  }
  return Utf8ToStr(utf8);
}

// The page a `target` name stands for; ValueError for an unknown one.
api::OutputPage PageArgument(const std::string& target, bool utf8) {
  if (utf8) return api::OutputPage::kUtf8;
  const std::optional<api::OutputPage> page = api::PageByName(target);
  if (!page) {
    throw py::value_error("unknown target '" + target +
                          "': give cp1251 (win), cp866 (dos), koi8r (koi), iso8859-5 (iso) "
                          "or utf8");
  }
  return *page;
}

// What one repair found, and the repaired text in the page asked for.
struct RepairResult {
  std::string verdict;
  std::string steps;
  std::string explain;
  double confidence = 0.0;
  std::string data;  // the repaired bytes
  int page = 0;      // the page `data` is in (kUtf8 for UTF-8)
  int exit_status = 0;
  std::optional<std::string> text_utf8;  // the whole result as UTF-8, when it says more than data
};

// repair(): bytes as cyrvert-cli repair reads a file, str as text that arrived as characters.
RepairResult RepairArgument(const BytesOrStr& data, const std::string& target, bool utf8) {
  const api::OutputPage page = PageArgument(target, utf8);
  const Argument input(data.object, "repair", true);
  RepairResult result;
  api::RepairReport report;
  {
    py::gil_scoped_release release;
    if (input.IsText()) {
      // A str keeps every character in `text`; `data` is that text in the page asked for.
      report = api::RepairText(input.View(), api::OutputPage::kUtf8);
      if (page != api::OutputPage::kUtf8) {
        result.data = api::Utf8ToPage(report.output, static_cast<int>(page));
        result.text_utf8 = std::move(report.output);
      } else {
        result.data = std::move(report.output);
      }
    } else {
      report = api::Repair(input.View(), page);
      result.data = std::move(report.output);
    }
  }
  result.verdict = std::move(report.verdict);
  result.steps = std::move(report.steps);
  result.explain = std::move(report.explain);
  result.confidence = report.confidence;
  result.page = static_cast<int>(page);
  result.exit_status = report.exit_status;
  return result;
}

// RepairResult.text.
py::str RepairText(const RepairResult& result) {
  if (result.text_utf8) return Utf8ToStr(*result.text_utf8);
  return PageToStr(result.data, result.page);
}

// "(K2W,W2D)" -> ("K2W", "W2D").
py::tuple ChainOf(std::string_view history) {
  if (!history.empty() && history.front() == '(') history.remove_prefix(1);
  if (!history.empty() && history.back() == ')') history.remove_suffix(1);
  std::vector<std::string_view> codes;
  while (!history.empty()) {
    const std::size_t comma = history.find(',');
    codes.push_back(history.substr(0, comma));
    history.remove_prefix(comma == std::string_view::npos ? history.size() : comma + 1);
  }
  py::tuple chain(codes.size());
  for (std::size_t i = 0; i < codes.size(); ++i)
    chain[i] = py::str(codes[i].data(), codes[i].size());
  return chain;
}

// One decoding the variant search found.
struct Candidate {
  std::string history;  // "(K2W,W2D)"
  int score = 0;
  std::string data;     // the whole text decoded, in the target page
  std::string preview;  // its start as the variant list shows it, UTF-8
  int page = 0;
};

// decode's message for an option out of range, in the names decode() takes.
std::string DecodeOptionMessage(std::string message) {
  if (message.rfind("--", 0) == 0) message.erase(0, 2);
  if (message.rfind("best", 0) == 0) message.insert(0, "n_");
  return "decode(): " + message;
}

// decode(): the variant search, as cyrvert-cli decode --list.
py::list DecodeArgument(const BytesLike& data, int depth, int sense, int n_best,
                        const std::string& target, bool big_letters) {
  api::DecodeOptions options;
  options.depth = depth;
  options.sense = sense;
  options.n_best = n_best;
  const api::OutputPage page = PageArgument(target, false);
  if (page == api::OutputPage::kUtf8) {
    throw py::value_error("decode(): target must be one of the four pages, not utf8");
  }
  options.target = static_cast<int>(page);
  options.big_letters = big_letters;
  const Argument input(data.object, "decode", false);
  api::DecodeReport report;
  {
    py::gil_scoped_release release;
    report = api::Decode(input.View(), options);
  }
  if (report.status == 2) throw py::value_error(DecodeOptionMessage(std::move(report.message)));
  py::list candidates;
  for (api::Candidate& found : report.candidates) {
    candidates.append(Candidate{std::move(found.history), found.score, std::move(found.text),
                                std::move(found.preview), options.target});
  }
  return candidates;
}

// translate(): one of the twelve conversions.
py::bytes TranslateArgument(const BytesLike& data, const std::string& code) {
  const Argument input(data.object, "translate", false);
  std::optional<std::string> out;
  {
    py::gil_scoped_release release;
    out = api::Translate(input.View(), code);
  }
  if (!out) {
    throw py::value_error("unknown conversion '" + code +
                          "': give one of the twelve codes such as W2K, K2W, D2W or I2K");
  }
  return py::bytes(*out);
}

// set_eighth_bit().
py::bytes SetEighthBitArgument(const BytesLike& data) {
  const Argument input(data.object, "set_eighth_bit", false);
  std::string out;
  {
    py::gil_scoped_release release;
    out = api::SetEighthBit(input.View());
  }
  return py::bytes(out);
}

// The exception a transport decode error raises; set up once by the module.
PyObject* g_codec_error = nullptr;

// ValueError for a codec cyrvert-cli does not know.
void CheckCodec(const std::string& codec, const char* function) {
  std::string known;
  for (const std::string_view name : api::CodecNames()) {
    if (name == codec) return;
    known += known.empty() ? "" : ", ";
    known += name;
  }
  throw py::value_error(std::string(function) + "(): unknown codec '" + codec + "': give one of " +
                        known);
}

// The output, or CodecError carrying the part decoded before the error.
py::bytes CodecOutput(const api::CodecResult& result, const std::string& codec) {
  if (result.ok) return py::bytes(result.output);
  py::object error = py::reinterpret_borrow<py::object>(g_codec_error)(py::str(result.error));
  error.attr("codec") = py::str(codec);
  error.attr("partial") = py::bytes(result.output);
  PyErr_SetObject(g_codec_error, error.ptr());
  throw py::error_already_set();
}

// import_(): cyrvert-cli import CODEC.
py::bytes ImportArgument(const std::string& codec, const BytesLike& data) {
  CheckCodec(codec, "import_");
  const Argument input(data.object, "import_", false);
  api::CodecResult result;
  {
    py::gil_scoped_release release;
    result = api::Import(codec, input.View());
  }
  return CodecOutput(result, codec);
}

// export(): cyrvert-cli export CODEC [--name NAME].
py::bytes ExportArgument(const std::string& codec, const BytesLike& data,
                         const std::optional<std::string>& name) {
  CheckCodec(codec, "export");
  if (name && name->empty()) throw py::value_error("export(): name must not be empty");
  const Argument input(data.object, "export", false);
  api::CodecResult result;
  {
    py::gil_scoped_release release;
    result = api::Export(codec, input.View(), name ? std::string_view(*name) : std::string_view());
  }
  return CodecOutput(result, codec);
}

// Shortens a str for a repr.
std::string Abbreviated(const py::str& text) {
  constexpr Py_ssize_t kShown = 40;
  py::object shown = text;
  if (PyUnicode_GetLength(text.ptr()) > kShown) {
    shown = py::str(text[py::slice(0, kShown, 1)]) + py::str("...");
  }
  return std::string(py::repr(shown));
}

// RepairResult and Candidate: read-only, printable, picklable (they travel to Dask workers).
void BindResults(py::module_& module) {
  py::class_<RepairResult>(module, "RepairResult",
                           "What repair() found, and the repaired text as str and as bytes.")
      .def_readonly("verdict", &RepairResult::verdict,
                    "\"repaired\", \"not damaged\", \"cannot repair\" or \"empty\".")
      .def_readonly("steps", &RepairResult::steps,
                    "Step codes in repair order, such as \"K2W,U8\"; empty when nothing was "
                    "done.")
      .def_readonly("explain", &RepairResult::explain,
                    "The damage in words, \"UTF-8 read as cp-1251, then ...\"; empty when "
                    "nothing was done.")
      .def_readonly("confidence", &RepairResult::confidence, "How sure the verdict is, 0..1.")
      .def_property_readonly(
          "data", [](const RepairResult& r) { return py::bytes(r.data); },
          "The result as bytes in the target page (UTF-8 with utf8=True): for bytes input "
          "exactly what `cyrvert-cli repair` writes. Unrepaired text comes back as it was.")
      .def_property_readonly("text", &RepairText,
                             "The result as str. For str input it keeps every character; for "
                             "bytes input it is `data` read in the target page.")
      .def_property_readonly(
          "repaired", [](const RepairResult& r) { return r.verdict == "repaired"; },
          "True when a repair was made.")
      .def_readonly("exit_status", &RepairResult::exit_status,
                    "What `cyrvert-cli repair` exits with: 0 repaired or not damaged, 3 cannot "
                    "repair, 4 empty.")
      .def("__repr__",
           [](const RepairResult& r) {
             return "RepairResult(verdict=" + std::string(py::repr(py::str(r.verdict))) +
                    ", steps=" + std::string(py::repr(py::str(r.steps))) +
                    ", confidence=" + std::string(py::repr(py::float_(r.confidence))) +
                    ", text=" + Abbreviated(RepairText(r)) + ")";
           })
      .def(py::pickle(
          [](const RepairResult& r) {
            return py::make_tuple(r.verdict, r.steps, r.explain, r.confidence, py::bytes(r.data),
                                  r.page, r.exit_status,
                                  r.text_utf8 ? py::object(py::bytes(*r.text_utf8)) : py::none());
          },
          [](const py::tuple& state) {
            if (state.size() != 8) throw py::value_error("bad RepairResult state");
            RepairResult r;
            r.verdict = state[0].cast<std::string>();
            r.steps = state[1].cast<std::string>();
            r.explain = state[2].cast<std::string>();
            r.confidence = state[3].cast<double>();
            r.data = state[4].cast<std::string>();
            r.page = state[5].cast<int>();
            r.exit_status = state[6].cast<int>();
            if (!state[7].is_none()) r.text_utf8 = state[7].cast<std::string>();
            return r;
          }));

  py::class_<Candidate>(module, "Candidate", "One decoding decode() found, best first.")
      .def_readonly("history", &Candidate::history,
                    "The conversions that decode the text, as the variant list names them: "
                    "\"(K2W,W2D)\".")
      .def_property_readonly(
          "chain", [](const Candidate& c) { return ChainOf(c.history); },
          "The same conversions as a tuple of codes: (\"K2W\", \"W2D\").")
      .def_readonly("score", &Candidate::score,
                    "How Russian the decoding looks, as decode --list prints it.")
      .def_property_readonly(
          "data", [](const Candidate& c) { return py::bytes(c.data); },
          "The whole text decoded, as bytes in the target page.")
      .def_property_readonly(
          "text", [](const Candidate& c) { return PageToStr(c.data, c.page); },
          "The whole text decoded, as str.")
      .def_property_readonly(
          "preview", [](const Candidate& c) { return Utf8ToStr(c.preview); },
          "The start of the decoded text as the variant list shows it (control characters as "
          "spaces), as str.")
      .def("__repr__",
           [](const Candidate& c) {
             return "Candidate(history=" + std::string(py::repr(py::str(c.history))) +
                    ", score=" + std::to_string(c.score) +
                    ", preview=" + Abbreviated(Utf8ToStr(c.preview)) + ")";
           })
      .def(py::pickle(
          [](const Candidate& c) {
            return py::make_tuple(c.history, c.score, py::bytes(c.data), py::bytes(c.preview),
                                  c.page);
          },
          [](const py::tuple& state) {
            if (state.size() != 5) throw py::value_error("bad Candidate state");
            return Candidate{state[0].cast<std::string>(), state[1].cast<int>(),
                             state[2].cast<std::string>(), state[3].cast<std::string>(),
                             state[4].cast<int>()};
          }));
}

// The module's functions with their keyword-only options and docstrings.
void BindFunctions(py::module_& module) {
  using namespace pybind11::literals;
  module.def(
      "repair", &RepairArgument, "data"_a, py::pos_only(), py::kw_only(), "target"_a = "cp1251",
      "utf8"_a = false,
      R"(Smart repair of a Russian text damaged by wrong code-page conversions or UTF-8 mix-ups.

data: bytes (a file's content, as `cyrvert-cli repair` reads it) or str (text that arrived as
characters, such as "РџСЂРёРІРµС‚"; clean text comes back unchanged).
target: the page of `data` in the result: cp1251 (win), cp866 (dos), koi8r (koi),
iso8859-5 (iso) or utf8; utf8=True is the same as target="utf8".
Returns a RepairResult; raises ValueError for an unknown target, TypeError for other types.)");
  module.def("decode", &DecodeArgument, "data"_a, py::pos_only(), py::kw_only(), "depth"_a = 3,
             "sense"_a = 2, "n_best"_a = 5, "target"_a = "cp1251", "big_letters"_a = false,
             R"(The variant search: chains of 8-bit conversions that make `data` read as Russian.

As `cyrvert-cli decode --list`: depth 0 (automatic) to 5, sense 0 (automatic) to 6, n_best
0 (all) to 500, target the page decoded into (not utf8). Returns a list of Candidate, best
first; empty when nothing was found or the text has fewer than 10 upper-half bytes.)");
  module.def("translate", &TranslateArgument, "data"_a, "code"_a, py::pos_only(),
             R"(One of the twelve manual conversions by its code ("W2K", "K2D", ...).

Returns the converted bytes; raises ValueError for an unknown code.)");
  module.def("set_eighth_bit", &SetEighthBitArgument, "data"_a, py::pos_only(),
             "Sets the eighth bit of every byte (text stripped to 7 bits).");
  module.def("import_", &ImportArgument, "codec"_a, "data"_a, py::pos_only(),
             R"(Decodes a transport encoding into cp-1251 text, as `cyrvert-cli import CODEC`.

codec: one of CODECS ("utf7", "utf8", "qp", "base64", "uu", "unix"). Raises ValueError for
an unknown codec and CodecError (a ValueError, with .partial holding what was decoded before
the error) for data that does not decode.)");
  module.def("export", &ExportArgument, "codec"_a, "data"_a, py::pos_only(), py::kw_only(),
             "name"_a = py::none(),
             R"(Encodes cp-1251 text in a transport encoding, as `cyrvert-cli export CODEC`.

codec: one of CODECS; name: the file name on the uuencode begin line. Raises ValueError for
an unknown codec and CodecError for an unusable name.)");
}

}  // namespace
}  // namespace cyrvert::python

PYBIND11_MODULE(_cyrvert, module) {
  using namespace cyrvert;
  module.doc() = "Cyrvert's repair, decode, translate and transport codecs (the api facade).";
  module.attr("__version__") = CYRVERT_VERSION;
  python::g_codec_error = PyErr_NewExceptionWithDoc(
      "cyrvert.CodecError",
      "Data that a transport codec cannot decode; .codec names it, .partial holds what was "
      "decoded before the error.",
      PyExc_ValueError, nullptr);
  if (python::g_codec_error == nullptr) throw py::error_already_set();
  module.attr("CodecError") = py::reinterpret_borrow<py::object>(python::g_codec_error);
  py::tuple codecs(api::CodecNames().size());
  for (std::size_t i = 0; i < codecs.size(); ++i) {
    const std::string_view name = api::CodecNames()[i];
    codecs[i] = py::str(name.data(), name.size());
  }
  module.attr("CODECS") = codecs;
  python::BindResults(module);
  python::BindFunctions(module);
}
