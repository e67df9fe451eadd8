// SPDX-License-Identifier: MIT
// The examples in the README and the manual page are real: each documented
// command whose input is a sample file or a printf text is run through the
// binary and its standard output compared with what the document shows. The
// README's recipes, pipelines included, are run by the shell as written.
#include <gtest/gtest.h>

#include <sstream>

#include "run_binary.h"

namespace vexaro {
namespace {

struct Example {
  std::string command;
  std::string shown;  // the output lines under the command, each with its newline
};

// The "$ command" lines of the code blocks and the lines under each.
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

// The manual page's text as it reads, for the escapes its examples use.
std::string unescape_roff(std::string text) {
  for (auto [escape, plain] : {std::pair{"\\-", "-"}, {"\\(aq", "'"}, {"\\e", "\\"}}) {
    const std::string from = escape;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1)) {
      text.replace(at, from.size(), plain);
    }
  }
  return text;
}

// "vexaro ARGS < examples/FILE" or "printf 'TEXT' | vexaro ARGS", either
// with "2>/dev/null"; arguments hold no blank, quotes are dropped.
bool parse_command(std::string command, std::string& input, std::vector<std::string>& args) {
  const std::string quiet = " 2>/dev/null";
  if (!command.ends_with(quiet)) return false;
  command.resize(command.size() - quiet.size());
  if (command.starts_with("printf '")) {
    const size_t end = command.find("' | ");
    if (end == std::string::npos) return false;
    for (size_t i = 8; i < end; ++i) {
      const bool newline = command.compare(i, 2, "\\n") == 0;
      input += newline ? '\n' : command[i];
      i += newline;
    }
    command.erase(0, end + 4);
  } else {
    const size_t redirect = command.find(" < examples/");
    if (redirect == std::string::npos) return false;
    input = testing::read_file(std::string(VEXARO_SOURCE_DIR) + "/" + command.substr(redirect + 3));
    command.erase(redirect);
  }
  std::istringstream words(command);
  for (std::string word; words >> word;) {
    std::erase(word, '\'');
    args.push_back(word);
  }
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
    testing::ProcessResult result = testing::run_on_input(VEXARO_BINARY, args, input);
    // The mean line has no newline after it; a document shows one.
    if (!result.out.empty() && result.out.back() != '\n') result.out += '\n';
    EXPECT_EQ(result.out, example.shown);
    ++checked;
  }
  return checked;
}

TEST(Docs, ExamplesMatchTheProgram) {
  const std::string readme = testing::read_file(VEXARO_SOURCE_DIR "/README.md");
  EXPECT_GE(check_examples(examples_in(readme, "```console", "```")), 3);
  const std::string page = testing::read_file(VEXARO_SOURCE_DIR "/docs/vexaro.1");
  EXPECT_GE(check_examples(examples_in(unescape_roff(page), ".EX", ".EE")), 5);
}

// The "## heading" section of a Markdown text, up to the next "## " heading.
std::string section(const std::string& text, const std::string& heading) {
  const size_t start = text.find("\n" + heading + "\n");
  if (start == std::string::npos) return "";
  const size_t end = text.find("\n## ", start + 1);
  return text.substr(start, end == std::string::npos ? end : end - start);
}

// `command` run by sh from the source tree, with this build's program in
// place of ./build/vexaro.
testing::ProcessResult run_recipe(std::string command) {
  const std::string built = "./build/vexaro";
  for (size_t at = command.find(built); at != std::string::npos; at = command.find(built, at)) {
    command.replace(at, built.size(), VEXARO_BINARY);
    at += std::string(VEXARO_BINARY).size();
  }
  const std::string script = "cd '" VEXARO_SOURCE_DIR "' && " + command;
  return testing::run_on_input("/bin/sh", {"-c", script}, "");
}

TEST(Docs, RecipesWorkAsWritten) {
  const std::string readme = testing::read_file(VEXARO_SOURCE_DIR "/README.md");
  const std::vector<Example> recipes =
      examples_in(section(readme, "## Recipes"), "```console", "```");
  EXPECT_GE(recipes.size(), 6u);
  for (const Example& recipe : recipes) {
    SCOPED_TRACE(recipe.command);
    testing::ProcessResult result = run_recipe(recipe.command);
    if (!result.out.empty() && result.out.back() != '\n') result.out += '\n';
    EXPECT_EQ(result.out, recipe.shown);
    EXPECT_EQ(result.exit_status, 0) << result.err;
  }
}

}  // namespace
}  // namespace vexaro
