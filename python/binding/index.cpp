// SPDX-License-Identifier: MIT
// vexaro.Index: the library's index of choices, with the choices as given.
// It travels (pickle) as its choices, options and statistics, and is built
// again where it lands.
#include <pybind11/stl.h>

#include <optional>

#include "calls.h"
#include "docs.h"
#include "options.h"
#include "texts.h"

namespace vexaro::python {
namespace {

int thread_count(std::optional<int> threads) {
  if (threads && *threads < 1) throw py::value_error("threads must be 1 or more");
  return threads.value_or(0);  // 0: VEXARO_THREADS or the machine's cores
}

class PythonIndex {
 public:
  PythonIndex(py::handle choices, py::object options, const std::optional<Statistics>& statistics,
              std::optional<int> threads)
      : texts_(texts_of(choices, "choice", "choices")),
        options_(std::move(options)),
        index_(build(texts_, options_of(given_options()), statistics, thread_count(threads))) {}

  py::object best_match(py::handle query) const {
    const std::string_view text = text_of(query, {"query", std::nullopt});
    std::optional<Match> best;
    {
      py::gil_scoped_release unlocked;
      best = index_.best_match(text);
    }
    return best ? match(*best, query) : py::none();
  }

  py::list extract(py::handle query, long long limit) const {
    const std::size_t most = limit_of(limit);
    const std::string_view text = text_of(query, {"query", std::nullopt});
    std::vector<Match> found;
    {
      py::gil_scoped_release unlocked;
      found = index_.extract(text, most);
    }
    return matches_of(found, texts_.given, longest_substrings(), PyUnicode_Check(query.ptr()));
  }

  py::list matches(py::handle query, int min_score) const {
    const std::string_view text = text_of(query, {"query", std::nullopt});
    std::vector<Match> found;
    {
      py::gil_scoped_release unlocked;
      found = index_.matches(text, min_score);
    }
    return matches_of(found, texts_.given, longest_substrings(), PyUnicode_Check(query.ptr()));
  }

  py::list best_matches(py::handle queries) const {
    const Texts texts = texts_of(queries, "query", "queries");
    std::vector<std::optional<Match>> found;
    {
      py::gil_scoped_release unlocked;
      found = index_.best_matches(texts.views);
    }
    py::list list(found.size());
    for (std::size_t q = 0; q < found.size(); ++q) {
      list[q] = found[q] ? match(*found[q], texts.given[q]) : py::none();
    }
    return list;
  }

  const py::tuple& choices() const { return texts_.given; }
  std::size_t size() const { return index_.size(); }
  int threads() const { return index_.threads(); }
  const Statistics& statistics() const { return index_.statistics(); }
  py::object options() const {
    return options_.is_none() ? py::type::of<PythonOptions>()() : options_;
  }
  // What the index is made again from where it lands: not its threads,
  // which are the new machine's own.
  py::tuple state() const { return py::make_tuple(texts_.given, options_, statistics()); }

 private:
  static Index build(const Texts& texts, const Options& options,
                     const std::optional<Statistics>& statistics, int threads) {
    py::gil_scoped_release unlocked;
    return Index(options, texts.views, statistics, threads);
  }

  const PythonOptions* given_options() const {
    return options_.is_none() ? nullptr : &options_.cast<const PythonOptions&>();
  }
  bool longest_substrings() const { return index_.options().longest_substrings(); }
  py::object match(const Match& found, py::handle query) const {
    return match_of(found, texts_.given[found.index], longest_substrings(),
                    PyUnicode_Check(query.ptr()));
  }

  Texts texts_;
  py::object options_;  // a vexaro.Options, or None for the defaults
  Index index_;
};

// The options argument checked as a vexaro.Options, or None.
py::object options_argument(py::object options) {
  if (!options.is_none() && !py::isinstance<PythonOptions>(options)) {
    throw py::type_error("options must be a vexaro.Options or None, not " +
                         std::string(Py_TYPE(options.ptr())->tp_name));
  }
  return options;
}

}  // namespace

void bind_index(py::module_& module) {
  py::class_<PythonIndex>(module, "Index", docs::index)
      .def(py::init([](py::handle choices, py::object options,
                       const std::optional<Statistics>& statistics, std::optional<int> threads) {
             return new PythonIndex(choices, options_argument(std::move(options)), statistics,
                                    threads);
           }),
           py::arg("choices"), py::arg("options") = py::none(), py::arg("statistics") = py::none(),
           py::arg("threads") = py::none())
      .def("best_match", &PythonIndex::best_match, py::arg("query"), docs::best_match)
      .def("extract", &PythonIndex::extract, py::arg("query"), py::arg("limit") = 5,
           docs::index_extract)
      .def("matches", &PythonIndex::matches, py::arg("query"), py::arg("min_score"), docs::matches)
      .def("best_matches", &PythonIndex::best_matches, py::arg("queries"), docs::best_matches)
      .def_property_readonly("choices", &PythonIndex::choices, "The choices, as given (a tuple).")
      .def_property_readonly("options", &PythonIndex::options, "The Options of the index.")
      .def_property_readonly("statistics", &PythonIndex::statistics,
                             "The Statistics the scores read: those given, or the choices'.")
      .def_property_readonly("threads", &PythonIndex::threads,
                             "The threads of the index's pool, the caller's own included.")
      .def("__len__", &PythonIndex::size)
      .def("__repr__",
           [](const PythonIndex& index) {
             return "<vexaro.Index of " + std::to_string(index.size()) + " choices>";
           })
      .def(py::pickle([](const PythonIndex& index) { return index.state(); },
                      [](const py::tuple& state) {
                        return new PythonIndex(state[0], options_argument(state[1]),
                                               state[2].cast<Statistics>(), std::nullopt);
                      }));
}

}  // namespace vexaro::python
