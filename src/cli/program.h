// SPDX-License-Identifier: MIT
// The whole program over streams it is given: settings, record scan,
// similarity ordering and report. Tests run it in memory.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/record_index.h"
#include "records/settings.h"
#include "records/streams.h"
#include "scoring/row_search.h"

namespace vexaro {

struct Streams {
  ByteSource& input;
  TextSink& output;
  TextSink& diagnostics;
  bool output_is_terminal = false;
};

using SearchFactory =
    std::function<std::unique_ptr<RowSearch>(const Settings&, const RecordIndex&)>;

// Exit status when standard input cannot be read or standard output written.
inline constexpr int kExitStreamError = 2;
// Exit status when the record limit asked for is refused.
inline constexpr int kExitRefusedLimit = 2;

// Runs the program on `args` (without the program name) and returns its exit
// status: the mean score, kExitStreamError after a read or write failure,
// or kExitRefusedLimit. `record_limit` is the value of VEXARO_MAX_RECORDS,
// if it is set; a value it refuses stops the run before the banner.
int run(const std::vector<std::string>& args, const Streams& streams,
        const SearchFactory& make_search,
        std::optional<std::string_view> record_limit = std::nullopt);

}  // namespace vexaro
