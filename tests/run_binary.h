// SPDX-License-Identifier: MIT
// Runs a program with its standard streams on files, for end-to-end tests.
#pragma once

#include <array>
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

// A new empty file under /tmp, open for reading and writing, removed with it.
class TempFile {
 public:
  TempFile();
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }
  int fd() const { return fd_; }

 private:
  std::string path_ = "/tmp/vexaro-test-XXXXXX";
  int fd_;
};

// Runs `program` with `args` on the descriptors `streams` as standard input,
// output and error (a negative one is closed), with SIGPIPE at its default
// as a shell starts it, and waits for it: sets exit_status and signal.
void run_on_streams(const std::string& program, const std::vector<std::string>& args,
                    const std::array<int, 3>& streams, ProcessResult& result);

// Runs `program` with `args`, standard input from `input_path`, and collects
// standard output and standard error.
ProcessResult run_program(const std::string& program, const std::vector<std::string>& args,
                          const std::string& input_path);

// The same with `input` as the bytes of standard input.
ProcessResult run_on_input(const std::string& program, const std::vector<std::string>& args,
                           const std::string& input);

}  // namespace vexaro::testing
