// SPDX-License-Identifier: MIT
// Python texts as the library reads them, and the library's results as
// Python values. A str is encoded as UTF-8, bytes are taken as they are;
// an item that is neither, or that no record can be, raises an error that
// names its position.
#pragma once

#include <pybind11/pybind11.h>
#include <vexaro/vexaro.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexaro::python {

namespace py = pybind11;

// Where a text stands in a call, for messages: "choice 17", "query".
struct Position {
  const char* role;
  std::optional<std::size_t> number;
  std::string name() const;
};

// The bytes of a str (its UTF-8, which the str keeps, so the view lives as
// long as the object) or of a bytes object. TypeError for anything else,
// ValueError for a str that has no UTF-8 form (a lone surrogate).
std::string_view text_of(py::handle text, const Position& where);

// The same, and ValueError when the text is no record: empty, or holding a
// zero byte.
std::string_view record_of(py::handle text, const Position& where);

// The items of an iterable of texts, kept as they were given (matches show
// them) beside their bytes, which stay valid while `given` lives.
struct Texts {
  py::tuple given;
  std::vector<std::string_view> views;
  bool all_str = true;  // results show substrings as str only then

  std::vector<std::string> strings() const;
};
// `role` names each item ("choice" gives "choice 3"); `what` names the
// iterable in a TypeError ("choices").
Texts texts_of(py::handle iterable, const char* role, const char* what);

// The result types, named tuples made once when the module is imported,
// and the library's errors as ValueError, their message without the
// library's prefix.
void define_result_types(py::module_& module);
void translate_errors();

// A Match of the library as the Python named tuple, with the choice as
// given. Under -a9999 the substring is a str (bytes cut inside a character
// become U+FFFD) when `str_substrings`, else bytes; None under the other
// measures.
py::object match_of(const Match& match, py::handle choice, bool longest_substrings,
                    bool str_substrings);
py::object substring_of(const std::string& bytes, bool str_substrings);
py::object ordering_of(const Ordering& ordering, bool str_substrings);

}  // namespace vexaro::python
