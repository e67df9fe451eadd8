// SPDX-License-Identifier: MIT
// The commands in the README and the manual page are real. The "$ command"
// lines of each code block run as written, in order, in one bash, as a
// terminal session would run them, in a scratch directory where
// ./build/vexaro and `vexaro` on the PATH are this build's program and
// ./examples the samples. Each command's standard output must be what the
// document shows under it, and its exit status 0 unless the document shows
// the status: by the mean line the output ends with, or by a next command
// that prints $?.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <sstream>

#include "run_binary.h"

namespace vexaro {
namespace {

namespace fs = std::filesystem;

struct Command {
  std::string text;
  std::string shown;  // the output lines under the command, each with its newline
};
using Session = std::vector<Command>;  // the commands of one code block

// The "$ command" lines of each code block, with the lines under each.
std::vector<Session> sessions_in(const std::string& text, const std::string& open,
                                 const std::string& close) {
  std::vector<Session> found;
  std::istringstream lines(text);
  bool inside = false;
  for (std::string line; std::getline(lines, line);) {
    if (!inside) {
      inside = line.starts_with(open);
      if (inside) found.emplace_back();
    } else if (line == close) {
      inside = false;
    } else if (line.starts_with("$ ")) {
      found.back().push_back({line.substr(2), ""});
    } else if (!found.back().empty()) {
      found.back().back().shown += line + "\n";
    }
  }
  std::erase_if(found, [](const Session& session) { return session.empty(); });
  return found;
}

// The manual page's text as it reads, for the escapes its examples use.
std::string unescape_roff(std::string text) {
  for (auto [escape, plain] : {std::pair{"\\-", "-"},
                               {"\\(aq", "'"},
                               {"\\('E", "\xc3\x89"},
                               {"\\('e", "\xc3\xa9"},
                               {"\\(dq", "\""},
                               {"\\e", "\\"}}) {
    const std::string from = escape;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1)) {
      text.replace(at, from.size(), plain);
    }
  }
  return text;
}

// The "## heading" section of a Markdown text, up to the next "## " heading.
std::string section(const std::string& text, const std::string& heading) {
  const size_t start = text.find("\n" + heading + "\n");
  if (start == std::string::npos) return "";
  const size_t end = text.find("\n## ", start + 1);
  return text.substr(start, end == std::string::npos ? end : end - start);
}

// A directory under /tmp laid out as the source tree after the quick-start
// build, for commands to read from and write into; removed with it.
class ScratchTree {
 public:
  ScratchTree() {
    std::string name = "/tmp/vexaro-docs-XXXXXX";
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = name;
    fs::create_directory(root_ / "build");
    fs::create_directory(root_ / "bin");
    fs::create_symlink(VEXARO_BINARY, root_ / "build" / "vexaro");
    fs::create_symlink(VEXARO_BINARY, root_ / "bin" / "vexaro");
    fs::create_directory_symlink(VEXARO_SOURCE_DIR "/examples", root_ / "examples");
  }
  ~ScratchTree() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  ScratchTree(const ScratchTree&) = delete;
  ScratchTree& operator=(const ScratchTree&) = delete;
  const fs::path& root() const { return root_; }

 private:
  fs::path root_;
};

struct Outcome {
  std::string out;
  int exit_status;
};

// Follows each command's output, with its status, on the shell's standard output;
// no document shows the byte 31.
const std::string status_mark = "\037docs-test status ";

// Runs the commands of `session` in one bash in `tree`, whose bin/ comes first
// on the PATH; gives what each wrote to standard output and its exit status,
// and the shell's standard error in `err`. A command that ends the shell ends
// the list.
std::vector<Outcome> run_session(const Session& session, const ScratchTree& tree,
                                 std::string& err) {
  std::string script = "cd '" + tree.root().string() + "' || exit 99\nPATH='" +
                       (tree.root() / "bin").string() + "':\"$PATH\"\n";
  for (const Command& command : session) {
    // The status is given back after it is printed, for a next command's $?.
    script += command.text +
              "\n__docs_status=$?; printf '\\037docs-test status %d\\n' \"$__docs_status\"; "
              "(exit \"$__docs_status\")\n";
  }
  const testing::ProcessResult shell = testing::run_on_input("/bin/bash", {"-c", script}, "");
  err = shell.err;
  std::vector<Outcome> outcomes;
  size_t from = 0;
  for (size_t mark; (mark = shell.out.find(status_mark, from)) != std::string::npos;) {
    const int status = std::stoi(shell.out.substr(mark + status_mark.size()));
    outcomes.push_back({shell.out.substr(from, mark - from), status});
    from = shell.out.find('\n', mark) + 1;
  }
  return outcomes;
}

// The mean of the mean line that `out` ends with; the program writes no
// newline after that line, so output that has one went through another tool.
std::optional<int> trailing_mean(const std::string& out) {
  const std::string head = "*** Mean value of all scores: ";
  const size_t line = out.rfind('\n') + 1;  // 0 when there is no newline
  if (!out.ends_with(" *****") || out.compare(line, head.size(), head) != 0) return std::nullopt;
  return std::stoi(out.substr(line + head.size()));
}

// Runs the sessions of a document and checks every command; gives how many.
int check_sessions(const std::vector<Session>& sessions) {
  const ScratchTree tree;
  int checked = 0;
  for (const Session& session : sessions) {
    std::string err;
    const std::vector<Outcome> outcomes = run_session(session, tree, err);
    EXPECT_EQ(outcomes.size(), session.size()) << "the shell stopped early:\n" << err;
    for (size_t i = 0; i < std::min(outcomes.size(), session.size()); ++i) {
      SCOPED_TRACE(session[i].text);
      std::string out = outcomes[i].out;
      const std::optional<int> mean = trailing_mean(out);
      if (mean) out += '\n';  // a document shows the mean line on a line of its own
      EXPECT_EQ(out, session[i].shown) << err;
      const std::string& text = session[i].text;
      const bool status_shown_next =
          i + 1 < session.size() && session[i + 1].text.find("$?") != std::string::npos;
      // The program's status is the command's when no pipe or || follows it.
      const bool program_last = text.find("vexaro", text.rfind('|') + 1) != std::string::npos;
      if (!status_shown_next) {
        EXPECT_EQ(outcomes[i].exit_status, mean && program_last ? (*mean % 256 + 256) % 256 : 0)
            << err;
      }
      ++checked;
    }
  }
  return checked;
}

// How many lines of `text` begin with "$ ": a command, wherever it stands.
long commands_in(const std::string& text) {
  std::istringstream lines(text);
  long count = 0;
  for (std::string line; std::getline(lines, line);) count += line.starts_with("$ ");
  return count;
}

TEST(Docs, ReadmeCommandsWorkAsWritten) {
  const std::string readme = testing::read_file(VEXARO_SOURCE_DIR "/README.md");
  EXPECT_EQ(check_sessions(sessions_in(readme, "```console", "```")), commands_in(readme));
  EXPECT_GE(commands_in(section(readme, "## Recipes")), 8);
}

TEST(Docs, ManualPageCommandsWorkAsWritten) {
  const std::string page = unescape_roff(testing::read_file(VEXARO_SOURCE_DIR "/docs/vexaro.1"));
  EXPECT_EQ(check_sessions(sessions_in(page, ".EX", ".EE")), commands_in(page));
  EXPECT_GE(commands_in(page), 20);
}

// The quick start's first command builds one target of this tree and runs it;
// the second is the command CI runs, and both configure the tree the same way.
TEST(Docs, QuickStartBuildsWhatItRuns) {
  const std::string readme = testing::read_file(VEXARO_SOURCE_DIR "/README.md");
  std::vector<std::string> commands;
  std::istringstream lines(section(readme, "## Quick start"));
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("    ")) commands.push_back(line.substr(4));
  }
  ASSERT_EQ(commands.size(), 2u);
  const std::string ci = testing::read_file(VEXARO_SOURCE_DIR "/.ci/run");
  EXPECT_NE(ci.find("\n" + commands[1] + "\n"), std::string::npos) << commands[1];
  const std::string configure = "cmake -S . -B build && ";
  EXPECT_TRUE(commands[1].starts_with(configure)) << commands[1];
  const std::string build_one = configure + "cmake --build build -j2 --target ";
  ASSERT_TRUE(commands[0].starts_with(build_one)) << commands[0];
  const size_t run = commands[0].find(" && ", build_one.size());
  ASSERT_NE(run, std::string::npos) << commands[0];

  // This build is up to date, so building the target again only checks it.
  const std::string target = commands[0].substr(build_one.size(), run - build_one.size());
  const std::string tree = fs::path(VEXARO_BINARY).parent_path().string();
  const testing::ProcessResult built = testing::run_on_input(
      "/bin/sh", {"-c", "cmake --build '" + tree + "' -j2 --target " + target}, "");
  EXPECT_EQ(built.exit_status, 0) << built.out << built.err;

  const ScratchTree scratch;
  std::string err;
  const std::vector<Outcome> ran = run_session({{commands[0].substr(run + 4), ""}}, scratch, err);
  ASSERT_EQ(ran.size(), 1u) << err;
  const std::optional<int> mean = trailing_mean(ran[0].out);
  ASSERT_TRUE(mean.has_value()) << ran[0].out << err;
  EXPECT_EQ(ran[0].exit_status, *mean % 256);
}

}  // namespace
}  // namespace vexaro
