// SPDX-License-Identifier: MIT
// The program: wires the core to the real standard streams.
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/fd_streams.h"
#include "cli/program.h"
#include "cli/record_limit.h"
#include "engine/fast_search.h"
#include "scoring/literal_search.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  vexaro::FdSource input(STDIN_FILENO);
  vexaro::FdSink output(STDOUT_FILENO);
  vexaro::FdSink diagnostics(STDERR_FILENO);
  vexaro::Streams streams{input, output, diagnostics, isatty(STDOUT_FILENO) != 0};
  std::optional<std::string_view> record_limit;
  if (const char* value = std::getenv(vexaro::kRecordLimitVariable)) record_limit = value;
#ifdef VEXARO_LITERAL_ENGINE
  return vexaro::run(args, streams, vexaro::make_literal_search, record_limit);
#else
  return vexaro::run(args, streams, vexaro::make_default_search, record_limit);
#endif
}
