// The examples in the README and the manual page are real: each documented
// command whose input is a sample file or a printf text is run through the
// binary and its standard output compared with what the document shows.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "run_binary.h"

namespace vexaro {
namespace {

struct Example {
  std::string command;
  std::string shown;  // the output lines the document shows, each with its newline
};

// Splits code blocks into "$ command" lines and the output lines under them.
std::vector<Example> examples_in(const std::string& text, const std::string& open,
                                 const std::string& close) {
  std::vector<Example> found;
  std::istringstream lines(text);
  bool inside = false;
  for (std::string line; std::getline(lines, line);) {
    if (!inside) {
      inside = line.rfind(open, 0) == 0;
    } else if (line == close) {
      inside = false;
    } else if (line.rfind("$ ", 0) == 0) {
      found.push_back({line.substr(2), ""});
    } else if (!found.empty()) {
      found.back().shown += line + "\n";
    }
  }
  return found;
}

// The manual page's text as it reads: roff escapes back to their characters.
std::string unescape_roff(const std::string& text) {
  const std::vector<std::pair<std::string, std::string>> escapes = {
      {"\\-", "-"}, {"\\(aq", "'"}, {"\\(dq", "\""}, {"\\&", ""}, {"\\e", "\\"}};
  std::string out;
  for (size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& [escape, plain] : escapes) {
      if (text.compare(i, escape.size(), escape) == 0) {
        out += plain;
        i += escape.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

std::vector<std::string> split_words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) {
    std::string plain;
    for (char c : word) {
      if (c != '\'') plain += c;
    }
    words.push_back(plain);
  }
  return words;
}

// The input and arguments of "vexaro ARGS < examples/FILE" or
// "printf 'TEXT' | vexaro ARGS", with any "2>/dev/null"; false for others.
bool parse_command(std::string command, std::string& input, std::vector<std::string>& args) {
  const std::string quiet = " 2>/dev/null";
  if (command.size() > quiet.size() &&
      command.compare(command.size() - quiet.size(), quiet.size(), quiet) == 0) {
    command.erase(command.size() - quiet.size());
  }
  std::string invocation;
  if (command.rfind("printf '", 0) == 0) {
    const size_t end = command.find("' | ");
    if (end == std::string::npos) return false;
    const std::string format = command.substr(8, end - 8);
    for (size_t i = 0; i < format.size(); ++i) {
      if (format.compare(i, 2, "\\n") == 0) {
        input += '\n';
        ++i;
      } else {
        input += format[i];
      }
    }
    invocation = command.substr(end + 4);
  } else {
    const size_t redirect = command.find(" < examples/");
    if (redirect == std::string::npos) return false;
    const std::string file = command.substr(redirect + 3);
    if (file.find(' ') != std::string::npos) return false;
    input = testing::read_file(std::string(VEXARO_SOURCE_DIR) + "/" + file);
    invocation = command.substr(0, redirect);
  }
  args = split_words(invocation);
  if (args.empty() || (args[0] != "vexaro" && args[0] != "./build/vexaro")) return false;
  args.erase(args.begin());
  return true;
}

// Runs the checkable examples of a document; returns how many it ran.
int check_examples(const std::vector<Example>& examples) {
  int checked = 0;
  for (const Example& example : examples) {
    std::string input;
    std::vector<std::string> args;
    if (!parse_command(example.command, input, args)) continue;
    SCOPED_TRACE(example.command);
    char path[] = "/tmp/vexaro-docs-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    close(fd);
    testing::write_file(path, input);
    testing::ProcessResult result = testing::run_program(VEXARO_BINARY, args, path);
    std::remove(path);
    // The mean line has no newline after it; a document shows one.
    if (!result.out.empty() && result.out.back() != '\n') result.out += '\n';
    EXPECT_EQ(result.out, example.shown);
    ++checked;
  }
  return checked;
}

TEST(Docs, ReadmeExamplesMatchTheProgram) {
  const std::string readme = testing::read_file(VEXARO_SOURCE_DIR "/README.md");
  EXPECT_GE(check_examples(examples_in(readme, "```console", "```")), 3);
}

TEST(Docs, ManualPageExamplesMatchTheProgram) {
  const std::string page = testing::read_file(VEXARO_SOURCE_DIR "/docs/vexaro.1");
  EXPECT_GE(check_examples(examples_in(unescape_roff(page), ".EX", ".EE")), 4);
}

}  // namespace
}  // namespace vexaro
