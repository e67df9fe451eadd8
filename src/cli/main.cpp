// SPDX-License-Identifier: MIT
// The program: wires the core to the real standard streams.
#include <unistd.h>

#include <string>
#include <vector>

#include "cli/fd_streams.h"
#include "cli/program.h"
#include "engine/fast_search.h"
#include "scoring/literal_search.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  vexaro::FdSource input(STDIN_FILENO);
  vexaro::FdSink output(STDOUT_FILENO);
  vexaro::FdSink diagnostics(STDERR_FILENO);
  vexaro::Streams streams{input, output, diagnostics, isatty(STDOUT_FILENO) != 0};
#ifdef VEXARO_LITERAL_ENGINE
  return vexaro::run(args, streams, vexaro::make_literal_search);
#else
  return vexaro::run(args, streams, vexaro::make_default_search);
#endif
}
