// The fast row search: the same slots, scores and substrings as the literal
// engine, found by pruning candidates with upper bounds of their scores and
// scoring the rest exactly, on several threads.
#pragma once

#include <memory>

#include "ordering.h"

namespace vexaro {

std::unique_ptr<RowSearch> make_fast_search(const Settings& settings, const RecordIndex& index,
                                            int threads);

}  // namespace vexaro
