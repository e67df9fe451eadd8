// SPDX-License-Identifier: MIT
// The whole program over streams it is given: settings, record scan,
// similarity ordering and report. Tests run it in memory.
#pragma once

#include <functional>
#include <memory>
#include <string>
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

// Runs the program on `args` (without the program name) and returns its exit
// status: the mean score, or kExitStreamError after a read or write failure.
int run(const std::vector<std::string>& args, const Streams& streams,
        const SearchFactory& make_search);

}  // namespace vexaro
