// SPDX-License-Identifier: MIT
// What the module's calls and the index share, and the calls' bindings.
#pragma once

#include <pybind11/pybind11.h>
#include <vexaro/vexaro.h>

#include <cstddef>
#include <vector>

namespace vexaro::python {

namespace py = pybind11;

// A limit of results: ValueError when negative.
std::size_t limit_of(long long limit);

// The matches as a list of Match named tuples, with their choices as given.
py::list matches_of(const std::vector<Match>& found, const py::tuple& choices,
                    bool longest_substrings, bool str_substrings);

void bind_calls(py::module_& module);
void bind_index(py::module_& module);

}  // namespace vexaro::python
