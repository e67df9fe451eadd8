// SPDX-License-Identifier: MIT
// The one-off calls, vexaro.score, vexaro.extract_one, vexaro.extract and
// vexaro.order, and vexaro.Scorer. The engine works without the
// interpreter's lock: the texts it reads are views of objects the call
// keeps alive, or copies.
#include "calls.h"

#include <pybind11/stl.h>

#include <mutex>
#include <optional>

#include "docs.h"
#include "options.h"
#include "texts.h"

namespace vexaro::python {
namespace {

// A Scorer keeps working memory that each call changes: calls from several
// Python threads take turns.
class PythonScorer {
 public:
  PythonScorer(py::handle reference, const PythonOptions* options,
               const std::optional<Statistics>& statistics)
      : scorer_(options_of(options), record_of(reference, {"reference", std::nullopt}),
                statistics ? *statistics : alone(options_of(options), reference)) {}

  int score(py::handle candidate, std::optional<int> cutoff) {
    const std::string_view text = record_of(candidate, {"candidate", std::nullopt});
    py::gil_scoped_release unlocked;
    const std::lock_guard<std::mutex> turn(busy_);
    return cutoff ? scorer_.score(text, *cutoff) : scorer_.score(text);
  }

 private:
  static Statistics alone(const Options& options, py::handle reference) {
    Statistics statistics;
    statistics.add(options, record_of(reference, {"reference", std::nullopt}));
    return statistics;
  }

  std::mutex busy_;
  Scorer scorer_;
};

int score_pair(py::handle reference, py::handle candidate, const PythonOptions* given) {
  const std::string_view first = record_of(reference, {"reference", std::nullopt});
  const std::string_view second = record_of(candidate, {"candidate", std::nullopt});
  const Options& options = options_of(given);
  py::gil_scoped_release unlocked;
  return score(options, first, second);
}

bool is_str(py::handle text) { return PyUnicode_Check(text.ptr()); }

py::object extract_one(py::handle query, py::handle choices, const PythonOptions* given,
                       const std::optional<Statistics>& statistics) {
  const std::string_view text = text_of(query, {"query", std::nullopt});
  const Texts texts = texts_of(choices, "choice", "choices");
  const std::vector<std::string> strings = texts.strings();
  const Options& options = options_of(given);
  std::optional<Match> best;
  {
    py::gil_scoped_release unlocked;
    best = statistics ? best_match(options, text, strings, *statistics)
                      : best_match(options, text, strings);
  }
  if (!best) return py::none();
  return match_of(*best, texts.given[best->index], options.longest_substrings(), is_str(query));
}

py::list extract(py::handle query, py::handle choices, long long limit, const PythonOptions* given,
                 const std::optional<Statistics>& statistics) {
  const std::size_t most = limit_of(limit);
  const std::string_view text = text_of(query, {"query", std::nullopt});
  const Texts texts = texts_of(choices, "choice", "choices");
  const std::vector<std::string> strings = texts.strings();
  const Options& options = options_of(given);
  std::vector<Match> found;
  {
    py::gil_scoped_release unlocked;
    found = statistics ? vexaro::extract(options, text, strings, most, *statistics)
                       : vexaro::extract(options, text, strings, most);
  }
  return matches_of(found, texts.given, options.longest_substrings(), is_str(query));
}

py::object order_records(py::handle records, const PythonOptions* given) {
  const Texts texts = texts_of(records, "record", "records");
  const std::vector<std::string> strings = texts.strings();
  const Options& options = options_of(given);
  Ordering ordering;
  {
    py::gil_scoped_release unlocked;
    ordering = order(options, strings);
  }
  return ordering_of(ordering, texts.all_str);
}

}  // namespace

std::size_t limit_of(long long limit) {
  if (limit < 0) throw py::value_error("limit must be 0 or more");
  return static_cast<std::size_t>(limit);
}

py::list matches_of(const std::vector<Match>& found, const py::tuple& choices,
                    bool longest_substrings, bool str_substrings) {
  py::list list(found.size());
  for (std::size_t i = 0; i < found.size(); ++i) {
    list[i] = match_of(found[i], choices[found[i].index], longest_substrings, str_substrings);
  }
  return list;
}

void bind_calls(py::module_& module) {
  const auto options = (py::arg("options") = py::none());
  const auto statistics = (py::arg("statistics") = py::none());
  module.def("score", &score_pair, py::arg("reference"), py::arg("candidate"), options,
             docs::score);
  module.def("extract_one", &extract_one, py::arg("query"), py::arg("choices"), py::kw_only(),
             options, statistics, docs::extract_one);
  module.def("extract", &extract, py::arg("query"), py::arg("choices"), py::arg("limit") = 5,
             py::kw_only(), options, statistics, docs::extract);
  module.def("order", &order_records, py::arg("records"), options, docs::order);
  py::class_<PythonScorer>(module, "Scorer", docs::scorer)
      .def(py::init<py::handle, const PythonOptions*, const std::optional<Statistics>&>(),
           py::arg("reference"), options, statistics)
      .def("score", &PythonScorer::score, py::arg("candidate"), py::arg("cutoff") = py::none(),
           docs::scorer_score);
}

}  // namespace vexaro::python
