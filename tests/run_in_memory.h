// SPDX-License-Identifier: MIT
// The whole program on an input held in memory, with the engine a test
// names: what it writes on both streams, and its exit status.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/program.h"
#include "records/streams.h"

namespace vexaro::testing {

struct Outcome {
  std::string output, diagnostics;
  int status;
};

// `record_limit` as VEXARO_MAX_RECORDS would give it.
inline Outcome run_in_memory(const std::string& input, const std::vector<std::string>& args,
                             const SearchFactory& factory,
                             std::optional<std::string_view> record_limit = std::nullopt) {
  MemorySource source(input);
  StringSink output, diagnostics;
  const int status = run(args, Streams{source, output, diagnostics, false}, factory, record_limit);
  return {output.text(), diagnostics.text(), status};
}

}  // namespace vexaro::testing
