// SPDX-License-Identifier: MIT
// vexaro.Options and vexaro.Statistics.
#pragma once

#include <pybind11/pybind11.h>
#include <vexaro/vexaro.h>

namespace vexaro::python {

namespace py = pybind11;

// An Options value as Python holds it: the library's value, and what it was
// made of, to show it, compare it and pickle it.
struct PythonOptions {
  Options options;
  py::tuple arguments;  // as from_arguments got them
  py::dict settings;    // the keyword settings given, checked
};

// The library's options of an optional Options argument: the defaults for None.
const Options& options_of(const PythonOptions* given);

void bind_options(py::module_& module);
void bind_statistics(py::module_& module);

}  // namespace vexaro::python
