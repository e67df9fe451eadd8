// Runs a program with its standard streams on files, for end-to-end tests.
#pragma once

#include <string>
#include <vector>

namespace vexaro::testing {

struct ProcessResult {
  std::string out;
  std::string err;
  int exit_status = -1;  // -1 when the process ended by a signal
  int signal = 0;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& data);

// Runs `program` with `args`, standard input from `input_path`, and collects
// standard output and standard error.
ProcessResult run_program(const std::string& program, const std::vector<std::string>& args,
                          const std::string& input_path);

}  // namespace vexaro::testing
