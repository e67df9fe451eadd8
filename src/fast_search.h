// The fast row search: the same slots, scores and substrings as the literal
// engine, found by pruning candidates with upper bounds of their scores and
// scoring the rest exactly, on several threads.
#pragma once

#include <memory>

#include "ordering.h"

namespace vexaro {

// Rows split between threads only while they take long enough to repay it;
// `split_every_row` splits every row with enough candidates, so that tests
// meet split rows whatever the machine's speed.
std::unique_ptr<RowSearch> make_fast_search(const Settings& settings, const RecordIndex& index,
                                            int threads, bool split_every_row = false);

}  // namespace vexaro
