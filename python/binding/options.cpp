// SPDX-License-Identifier: MIT
// vexaro.Options from keyword settings named like the library's setters,
// and vexaro.Statistics.
#include "options.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

#include "texts.h"

namespace vexaro::python {
namespace {

const char* const options_doc =
    R"(Options(*, case_sensitive=False, digits=False, phonetic=False, position_weighting=False, length_weighting=0, length_correlation=False, byte_difference=False, longest_substrings=False, skip=0, start_byte=0, omit=(), operating_range=None)

The settings of a run, with the command line's meaning and rules.

Each keyword gives what its option gives the program:
  case_sensitive      -v  no case folding
  digits              -n  the operating range starts at '0'
  phonetic            -m  compare Metaphone keys (implies case-sensitive
                          work and pieces of one byte)
  position_weighting  -p  weigh pieces by where they lie
  length_weighting    -aN weigh pieces by their length, divisor N (9 is
                          what -a alone gives; 0: off)
  length_correlation  -f  scale scores by the records' stored lengths
  byte_difference     -b  the byte-difference measure (wins over
                          longest_substrings)
  longest_substrings  -a9999  score the longest common substring alone
  skip                -sN leave out the first N bytes of each record
  start_byte          -cX compare behind the first byte X: an int from 1
                          to 255, or a str or bytes of one byte; 0: off
  omit                -o  up to ten strings (str, encoded as UTF-8, or
                          bytes) blanked out of every record, each cut to
                          14 bytes; none may hold ';' or a zero byte
  operating_range     -wLOW,HIGH  the byte values compared, a pair of ints
                          from 0 to 255; LOW only ever lowers the start

Options() are the program's defaults. length_weighting and
longest_substrings cannot both be given. Options are immutable values,
picklable, and equal when made the same way.)";

const char* const from_arguments_doc = R"(from_arguments(arguments, **settings) -> Options

Options from the program's own arguments, read by the same rules as its
command line: Options.from_arguments(["-p", "-a"]). Nothing is rejected.
Keyword settings, as Options() takes them, win over the same values in
`arguments`, as an argument nearer the start of a command line does; a
flag that `arguments` set stays set.)";

using Apply = void (*)(Options&, py::handle, const char*);

std::string type_name(py::handle value) { return Py_TYPE(value.ptr())->tp_name; }

// An int within [low, high], else TypeError or ValueError naming the setting.
long long int_in(py::handle value, const char* name, long long low, long long high) {
  if (!PyLong_Check(value.ptr())) {
    throw py::type_error(std::string(name) + " must be an int, not " + type_name(value));
  }
  int overflow = 0;
  const long long number = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
  if (overflow != 0 || number < low || number > high) {
    throw py::value_error(std::string(name) + " must lie from " + std::to_string(low) + " to " +
                          std::to_string(high));
  }
  return number;
}

template <Options& (Options::*setter)(bool)>
void flag(Options& options, py::handle value, const char* name) {
  if (!PyBool_Check(value.ptr())) {
    throw py::type_error(std::string(name) + " must be a bool, not " + type_name(value));
  }
  (options.*setter)(value.ptr() == Py_True);
}

void length_weighting(Options& options, py::handle value, const char* name) {
  options.length_weighting(static_cast<unsigned>(int_in(value, name, 0, UINT_MAX)));
}

void skip(Options& options, py::handle value, const char* name) {
  options.skip(static_cast<int>(int_in(value, name, INT_MIN, INT_MAX)));
}

void start_byte(Options& options, py::handle value, const char* name) {
  if (PyLong_Check(value.ptr())) {
    options.start_byte(static_cast<unsigned char>(int_in(value, name, 0, 255)));
    return;
  }
  const std::string_view byte = text_of(value, {name, std::nullopt});
  if (byte.size() != 1) throw py::value_error(std::string(name) + " must be one byte");
  options.start_byte(static_cast<unsigned char>(byte[0]));
}

void omit(Options& options, py::handle value, const char* name) {
  const Texts strings = texts_of(value, "omit string", name);
  options.omit(strings.strings());
}

void operating_range(Options& options, py::handle value, const char* name) {
  const py::tuple bounds = py::tuple(py::reinterpret_borrow<py::object>(value));
  if (bounds.size() != 2) throw py::value_error(std::string(name) + " must be a (low, high) pair");
  options.operating_range(static_cast<unsigned>(int_in(bounds[0], name, 0, 255)),
                          static_cast<unsigned>(int_in(bounds[1], name, 0, 255)));
}

// The settings in the order they are applied.
const std::pair<const char*, Apply> setters[] = {
    {"case_sensitive", flag<&Options::case_sensitive>},
    {"digits", flag<&Options::digits>},
    {"phonetic", flag<&Options::phonetic>},
    {"position_weighting", flag<&Options::position_weighting>},
    {"length_weighting", length_weighting},
    {"length_correlation", flag<&Options::length_correlation>},
    {"byte_difference", flag<&Options::byte_difference>},
    {"longest_substrings", flag<&Options::longest_substrings>},
    {"skip", skip},
    {"start_byte", start_byte},
    {"omit", omit},
    {"operating_range", operating_range},
};

// Checks each keyword setting and applies it, in the order of `setters`;
// keeps them, as given (sequences as tuples), for repr, == and pickling.
PythonOptions make_options(py::handle arguments, const py::dict& settings) {
  const Texts given = texts_of(arguments, "argument", "arguments");
  PythonOptions made{Options::from_arguments(given.strings()), given.given, py::dict()};
  for (const auto& [key, value] : settings) {
    const std::string name = py::str(key);
    const auto known = [&](const auto& setter) { return name == setter.first; };
    if (std::none_of(std::begin(setters), std::end(setters), known)) {
      throw py::type_error("Options got an unexpected keyword argument '" + name + "'");
    }
  }
  if (settings.contains("length_weighting") && settings.contains("longest_substrings")) {
    throw py::value_error("give length_weighting or longest_substrings, not both");
  }
  for (const auto& [name, apply] : setters) {
    if (!settings.contains(name)) continue;
    py::object value = settings[name];
    apply(made.options, value, name);
    const bool sequence =
        std::string_view(name) == "omit" || std::string_view(name) == "operating_range";
    made.settings[name] = sequence ? py::tuple(value) : value;
  }
  return made;
}

std::string repr(const PythonOptions& options) {
  std::string text = "vexaro.Options";
  std::string settings;
  for (const auto& [key, value] : options.settings) {
    settings += (settings.empty() ? "" : ", ") + std::string(py::str(key)) + "=" +
                std::string(py::repr(value));
  }
  if (options.arguments.empty()) return text + "(" + settings + ")";
  const std::string arguments = py::repr(py::list(options.arguments));
  return text + ".from_arguments(" + arguments + (settings.empty() ? "" : ", ") + settings + ")";
}

std::string repr(const Statistics& s) {
  return "vexaro.Statistics(min_byte=" + std::to_string(s.min_byte) +
         ", max_byte=" + std::to_string(s.max_byte) + ", records=" + std::to_string(s.records) +
         ", stored_bytes=" + std::to_string(s.stored_bytes) + ")";
}

Statistics statistics_of(py::handle records, const PythonOptions* given) {
  const Options& options = options_of(given);
  Statistics statistics;
  const Texts texts = texts_of(records, "record", "records");
  for (std::size_t i = 0; i < texts.views.size(); ++i) {
    statistics.add(options, record_of(texts.given[i], {"record", i}));
  }
  return statistics;
}

}  // namespace

const Options& options_of(const PythonOptions* given) {
  static const Options defaults;
  return given != nullptr ? given->options : defaults;
}

void bind_options(py::module_& module) {
  py::class_<PythonOptions>(module, "Options", options_doc)
      .def(py::init([](const py::kwargs& settings) { return make_options(py::tuple(), settings); }))
      .def_static(
          "from_arguments",
          [](py::handle arguments, const py::kwargs& settings) {
            return make_options(arguments, settings);
          },
          py::arg("arguments"), from_arguments_doc)
      .def_property_readonly(
          "longest_substrings",
          [](const PythonOptions& options) { return options.options.longest_substrings(); },
          "Whether order() shows longest common substrings in place of the records and\n"
          "matches carry them (-a9999; under byte_difference they are empty).")
      .def("__repr__", [](const PythonOptions& options) { return repr(options); })
      .def(
          "__eq__",
          [](const PythonOptions& options, const PythonOptions& other) {
            return options.arguments.equal(other.arguments) &&
                   options.settings.equal(other.settings);
          },
          py::is_operator())
      .def(py::pickle(
          [](const PythonOptions& options) {
            return py::make_tuple(options.arguments, options.settings);
          },
          [](const py::tuple& state) { return make_options(state[0], state[1]); }));
}

void bind_statistics(py::module_& module) {
  py::class_<Statistics>(module, "Statistics",
                         R"(Statistics(*, min_byte=255, max_byte=0, records=0, stored_bytes=0)

What three options read of the whole data set besides the two records
they compare, as the program's scan takes them from its input:
  byte_difference (-b)     the byte range, min_byte to max_byte, of the
                           records' bytes within the operating range;
  length_correlation (-f)  the mean stored length, stored_bytes / records;
  longest_substrings       the same mean.
The other options read none of it. Statistics.of(records) gathers them.
Immutable, picklable, equal when their fields are.)")
      .def(py::init([](std::uint8_t min_byte, std::uint8_t max_byte, std::uint64_t records,
                       std::uint64_t stored_bytes) {
             return Statistics{min_byte, max_byte, records, stored_bytes};
           }),
           py::kw_only(), py::arg("min_byte") = 255, py::arg("max_byte") = 0,
           py::arg("records") = 0, py::arg("stored_bytes") = 0)
      .def_static("of", &statistics_of, py::arg("records"), py::arg("options") = py::none(),
                  R"(of(records, options=None) -> Statistics

The statistics of these records, as the program gathers them from an
input of these records. Records are str (encoded as UTF-8) or bytes (as
they are), from any iterable; an empty one, or one with a zero byte,
raises ValueError naming its position.)")
      .def_readonly("min_byte", &Statistics::min_byte, "The smallest byte counted.")
      .def_readonly("max_byte", &Statistics::max_byte, "The largest byte counted.")
      .def_readonly("records", &Statistics::records, "How many records were counted.")
      .def_readonly("stored_bytes", &Statistics::stored_bytes,
                    "The sum of the records' lengths, each at most 2000.")
      .def("__repr__", [](const Statistics& s) { return repr(s); })
      .def(
          "__eq__",
          [](const Statistics& s, const Statistics& o) {
            return s.min_byte == o.min_byte && s.max_byte == o.max_byte && s.records == o.records &&
                   s.stored_bytes == o.stored_bytes;
          },
          py::is_operator())
      .def(py::pickle(
          [](const Statistics& s) {
            return py::make_tuple(s.min_byte, s.max_byte, s.records, s.stored_bytes);
          },
          [](const py::tuple& state) {
            return Statistics{state[0].cast<std::uint8_t>(), state[1].cast<std::uint8_t>(),
                              state[2].cast<std::uint64_t>(), state[3].cast<std::uint64_t>()};
          }));
}

}  // namespace vexaro::python
