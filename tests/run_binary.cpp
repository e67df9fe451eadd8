// SPDX-License-Identifier: MIT
#include "run_binary.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vexaro::testing {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

TempFile::TempFile() : fd_(mkstemp(path_.data())) {
  if (fd_ < 0) throw std::runtime_error("mkstemp failed");
}

TempFile::~TempFile() {
  close(fd_);
  unlink(path_.c_str());
}

void run_on_streams(const std::string& program, const std::vector<std::string>& args,
                    const std::array<int, 3>& streams, ProcessResult& result) {
  const pid_t child = fork();
  if (child == 0) {
    for (int stream = 0; stream < 3; ++stream) {
      if (streams[stream] < 0) {
        close(stream);
      } else {
        dup2(streams[stream], stream);
      }
    }
    signal(SIGPIPE, SIG_DFL);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
}

ProcessResult run_program(const std::string& program, const std::vector<std::string>& args,
                          const std::string& input_path) {
  const int input = open(input_path.c_str(), O_RDONLY);
  if (input < 0) throw std::runtime_error("cannot open " + input_path);
  const TempFile out, err;
  ProcessResult result;
  run_on_streams(program, args, {input, out.fd(), err.fd()}, result);
  close(input);
  result.out = read_file(out.path());
  result.err = read_file(err.path());
  return result;
}

ProcessResult run_on_input(const std::string& program, const std::vector<std::string>& args,
                           const std::string& input) {
  const TempFile file;
  write_file(file.path(), input);
  return run_program(program, args, file.path());
}

}  // namespace vexaro::testing
