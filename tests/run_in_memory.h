// SPDX-License-Identifier: MIT
// The whole program on an input held in memory, with the engine a test
// names: what it writes on both streams, and its exit status.
#pragma once

#include <string>
#include <vector>

#include "cli/program.h"
#include "records/streams.h"

namespace vexaro::testing {

struct Outcome {
  std::string output, diagnostics;
  int status;
};

inline Outcome run_in_memory(const std::string& input, const std::vector<std::string>& args,
                             const SearchFactory& factory) {
  MemorySource source(input);
  StringSink output, diagnostics;
  const int status = run(args, Streams{source, output, diagnostics, false}, factory);
  return {output.text(), diagnostics.text(), status};
}

}  // namespace vexaro::testing
