// SPDX-License-Identifier: MIT
// The extension module vexaro._vexaro, which the package vexaro re-exports.
#include <pybind11/pybind11.h>

#include "calls.h"
#include "docs.h"
#include "options.h"
#include "texts.h"

#ifndef VEXARO_VERSION
#error "the build gives the project's version as VEXARO_VERSION"
#endif

PYBIND11_MODULE(_vexaro, module) {
  namespace python = vexaro::python;
  // Each docstring opens with the signature as the caller writes it.
  pybind11::options options;
  options.disable_function_signatures();
  module.doc() = python::docs::module;
  module.attr("__version__") = VEXARO_VERSION;
  python::translate_errors();
  python::define_result_types(module);
  python::bind_options(module);
  python::bind_statistics(module);
  python::bind_calls(module);
  python::bind_index(module);
  // help(), repr() and pickles name the package the user imports.
  for (const char* name :
       {"Options", "Statistics", "Scorer", "Index", "score", "extract_one", "extract", "order"}) {
    module.attr(name).attr("__module__") = "vexaro";
  }
}
