// SPDX-License-Identifier: MIT
// Texts in, results out.
#include "texts.h"

#include <cstring>
#include <stdexcept>

namespace vexaro::python {
namespace {

// The named tuples, made once and never freed: the module keeps them for
// the life of the process, past the point where a static destructor could
// still take the interpreter's lock.
PyObject* match_type = nullptr;
PyObject* ordering_type = nullptr;

py::object named_tuple(py::module_& module, const char* name, py::tuple fields, const char* doc) {
  py::object type = py::module_::import("collections")
                        .attr("namedtuple")(name, fields, py::arg("module") = "vexaro");
  type.attr("__doc__") = doc;
  module.attr(name) = type;
  return type;
}

// A library message without its "vexaro: " prefix, which Python shows as
// the exception's module anyway.
std::string message_of(const std::exception& error) {
  std::string_view text = error.what();
  if (text.starts_with("vexaro: ")) text.remove_prefix(8);
  return std::string(text);
}

}  // namespace

std::string Position::name() const {
  return number ? std::string(role) + " " + std::to_string(*number) : std::string(role);
}

std::string_view text_of(py::handle text, const Position& where) {
  PyObject* object = text.ptr();
  if (PyUnicode_Check(object)) {
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(object, &size);
    if (data == nullptr) {
      PyErr_Clear();
      throw py::value_error(where.name() + ": the str has no UTF-8 form (a lone surrogate?)");
    }
    return {data, static_cast<std::size_t>(size)};
  }
  if (PyBytes_Check(object)) {
    return {PyBytes_AS_STRING(object), static_cast<std::size_t>(PyBytes_GET_SIZE(object))};
  }
  throw py::type_error(where.name() + ": expected str or bytes, not " +
                       std::string(Py_TYPE(object)->tp_name));
}

std::string_view record_of(py::handle text, const Position& where) {
  const std::string_view record = text_of(text, where);
  if (record.empty()) throw py::value_error(where.name() + " is empty");
  if (record.find('\0') != std::string_view::npos) {
    throw py::value_error(where.name() + " holds a zero byte");
  }
  return record;
}

std::vector<std::string> Texts::strings() const {
  return std::vector<std::string>(views.begin(), views.end());
}

Texts texts_of(py::handle iterable, const char* role, const char* what) {
  // A single text is an iterable too, of its characters or byte values.
  if (PyUnicode_Check(iterable.ptr()) || PyBytes_Check(iterable.ptr())) {
    throw py::type_error(std::string(what) + " must be an iterable of str or bytes, not a single " +
                         Py_TYPE(iterable.ptr())->tp_name);
  }
  Texts texts;
  texts.given = py::tuple(py::reinterpret_borrow<py::object>(iterable));
  texts.views.reserve(texts.given.size());
  for (std::size_t i = 0; i < texts.given.size(); ++i) {
    const py::handle item = texts.given[i];
    texts.views.push_back(text_of(item, {role, i}));
    texts.all_str = texts.all_str && PyUnicode_Check(item.ptr());
  }
  return texts;
}

void define_result_types(py::module_& module) {
  match_type = named_tuple(module, "Match", py::make_tuple("index", "score", "choice", "substring"),
                           "A choice and its score against the query.\n\n"
                           "index: the choice's position among the choices; score: its score;\n"
                           "choice: the choice as it was given; substring: under -a9999 the\n"
                           "longest common substring of the query and the choice, of their\n"
                           "prepared bytes (folded to lower case unless case-sensitive, only the\n"
                           "operating range's bytes), str when the query is a str, else bytes;\n"
                           "None under the other measures.")
                   .release()
                   .ptr();
  ordering_type =
      named_tuple(module, "Ordering", py::make_tuple("order", "scores", "substrings", "mean"),
                  "What the program writes for an input of the records, without the streams.\n\n"
                  "order[k]: the position among the records of the one on line k (order[0]\n"
                  "is 0); scores[k]: the score in line k's header, the record's score\n"
                  "against the one before it (0 on the first line, -1 after a row where\n"
                  "no candidate scored above -1); substrings: under -a9999 only, the text\n"
                  "line k shows instead of the record, the longest common substring the\n"
                  "search of line k-1 found (str when every record is a str, else bytes),\n"
                  "and empty otherwise; mean: the mean of the header scores, truncated.")
          .release()
          .ptr();
}

void translate_errors() {
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const std::invalid_argument& error) {
      PyErr_SetString(PyExc_ValueError, message_of(error).c_str());
    } catch (const std::length_error& error) {
      PyErr_SetString(PyExc_ValueError, message_of(error).c_str());
    }
  });
}

py::object substring_of(const std::string& bytes, bool str_substrings) {
  if (!str_substrings) return py::bytes(bytes);
  PyObject* text =
      PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "replace");
  if (text == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(text);
}

py::object match_of(const Match& match, py::handle choice, bool longest_substrings,
                    bool str_substrings) {
  py::object substring =
      longest_substrings ? substring_of(match.substring, str_substrings) : py::none();
  return py::reinterpret_borrow<py::object>(match_type)(match.index, match.score, choice,
                                                        substring);
}

py::object ordering_of(const Ordering& ordering, bool str_substrings) {
  py::list order(ordering.order.size());
  py::list scores(ordering.scores.size());
  for (std::size_t k = 0; k < ordering.order.size(); ++k) {
    order[k] = py::int_(ordering.order[k]);
    scores[k] = py::int_(ordering.scores[k]);
  }
  py::list substrings(ordering.substrings.size());
  for (std::size_t k = 0; k < ordering.substrings.size(); ++k) {
    substrings[k] = substring_of(ordering.substrings[k], str_substrings);
  }
  return py::reinterpret_borrow<py::object>(ordering_type)(order, scores, substrings,
                                                           ordering.mean);
}

}  // namespace vexaro::python
