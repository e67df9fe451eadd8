// SPDX-License-Identifier: MIT
// The engine that scores every candidate with the literal scorer, one by
// one in slot order: the reference every faster engine is held to.
#pragma once

#include <memory>

#include "records/record_index.h"
#include "records/settings.h"
#include "scoring/row_search.h"

namespace vexaro {

std::unique_ptr<RowSearch> make_literal_search(const Settings& settings, const RecordIndex& index);

}  // namespace vexaro
