// SPDX-License-Identifier: MIT
// The fast row search: the same slots, scores and substrings as the literal
// engine, found by pruning candidates with upper bounds of their scores and
// scoring the rest exactly, on several threads.
#pragma once

#include <memory>

#include "records/record_index.h"
#include "records/settings.h"
#include "scoring/row_search.h"

namespace vexaro {

// The engine reads the settings through the item rules and the measure made
// of them, once. Rows split between threads only while they take long enough to repay it;
// `split_every_row` splits every row with enough candidates, so that tests
// meet split rows whatever the machine's speed.
std::unique_ptr<RowSearch> make_fast_search(const Settings& settings, const RecordIndex& index,
                                            int threads, bool split_every_row = false);

// The engine the program and the library use: the fast search on as many
// threads as VEXARO_THREADS or the machine's cores say.
std::unique_ptr<RowSearch> make_default_search(const Settings& settings, const RecordIndex& index);

}  // namespace vexaro
