#include "run_binary.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
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

ProcessResult run_program(const std::string& program, const std::vector<std::string>& args,
                          const std::string& input_path) {
  char out_path[] = "/tmp/vexaro-out-XXXXXX";
  char err_path[] = "/tmp/vexaro-err-XXXXXX";
  int out_fd = mkstemp(out_path);
  int err_fd = mkstemp(err_path);
  if (out_fd < 0 || err_fd < 0) throw std::runtime_error("mkstemp failed");
  pid_t child = fork();
  if (child == 0) {
    int in_fd = open(input_path.c_str(), O_RDONLY);
    if (in_fd < 0) _exit(127);
    dup2(in_fd, 0);
    dup2(out_fd, 1);
    dup2(err_fd, 2);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  close(out_fd);
  close(err_fd);
  ProcessResult result;
  result.out = read_file(out_path);
  result.err = read_file(err_path);
  unlink(out_path);
  unlink(err_path);
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace vexaro::testing
