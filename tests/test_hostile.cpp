// Hostile input, arguments and streams through the real binary. Every case
// must end without a signal (but for the closed pipe, where the default
// SIGPIPE is the expected end), without a sanitizer report, and with the
// output and status that the documented behaviour gives. Expected outputs
// are worked out by hand, or, for random data under -g, from a plain model
// of the pseudo-record cut; the order of those records is left unchecked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "run_binary.h"

namespace vexaro {
namespace {

using testing::read_file;
using testing::write_file;

enum class In { file, pipe, directory, dev_null, closed };
enum class Out { file, dev_full, closed_pipe, closed };

struct Outcome {
  std::string out, err;
  int status = -1;  // -1 when ended by a signal
  int signal = 0;
};

std::string temp_path(const char* stem) {
  std::string path = "/tmp/vexaro-hostile-" + std::string(stem) + "-XXXXXX";
  int fd = mkstemp(path.data());
  if (fd >= 0) close(fd);
  return path;
}

int open_input(In in, const std::string& data, std::string& file, pid_t& writer) {
  switch (in) {
    case In::file:
      file = temp_path("in");
      write_file(file, data);
      return open(file.c_str(), O_RDONLY);
    case In::directory:
      return open("/tmp", O_RDONLY | O_DIRECTORY);
    case In::dev_null:
    case In::closed:  // opened only to be closed in the child
      return open("/dev/null", O_RDONLY);
    case In::pipe: {
      int ends[2];
      if (pipe(ends) != 0) return -1;
      // A child feeds the pipe, so a program that stops reading early cannot
      // block the test; it may die of SIGPIPE then, which is fine.
      writer = fork();
      if (writer == 0) {
        close(ends[0]);
        for (size_t done = 0; done < data.size();) {
          ssize_t put = write(ends[1], data.data() + done, data.size() - done);
          if (put <= 0) _exit(0);
          done += static_cast<size_t>(put);
        }
        _exit(0);
      }
      close(ends[1]);
      return ends[0];
    }
  }
  return -1;
}

int open_output(Out out, const std::string& file) {
  switch (out) {
    case Out::file:
    case Out::closed:
      return open(file.c_str(), O_WRONLY | O_TRUNC);
    case Out::dev_full:
      return open("/dev/full", O_WRONLY);
    case Out::closed_pipe: {
      int ends[2];
      if (pipe(ends) != 0) return -1;
      close(ends[0]);
      return ends[1];
    }
  }
  return -1;
}

Outcome run_vexaro(const std::vector<std::string>& args, In in, const std::string& data, Out out) {
  std::string in_file;
  pid_t writer = -1;
  const int in_fd = open_input(in, data, in_file, writer);
  const std::string out_file = temp_path("out"), err_file = temp_path("err");
  const int out_fd = open_output(out, out_file);
  const int err_fd = open(err_file.c_str(), O_WRONLY | O_TRUNC);
  Outcome run;
  if (in_fd >= 0 && out_fd >= 0 && err_fd >= 0) {
    pid_t child = fork();
    if (child == 0) {
      dup2(in_fd, 0);
      dup2(out_fd, 1);
      dup2(err_fd, 2);
      if (in == In::closed) close(0);
      if (out == Out::closed) close(1);
      signal(SIGPIPE, SIG_DFL);  // as a shell would start it
      std::vector<char*> argv{const_cast<char*>(VEXARO_BINARY)};
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(VEXARO_BINARY, argv.data());
      _exit(127);
    }
    close(in_fd);
    close(out_fd);
    close(err_fd);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  }
  if (writer > 0) waitpid(writer, nullptr, 0);
  run.out = read_file(out_file);
  run.err = read_file(err_file);
  for (const auto& path : {in_file, out_file, err_file}) {
    if (!path.empty()) unlink(path.c_str());
  }
  return run;
}

// Status checks beyond an exact number.
constexpr int kMeanLine = -2;  // the exit status is the -d mean line's value
constexpr int kNonZero = -3;

struct Expect {
  std::optional<std::string> out;  // exact standard output
  // Standard output line by line, in any order, with any score header taken
  // off; the first line must be `lines[0]`.
  std::optional<std::vector<std::string>> lines;
  int records = -1;   // the running count's last value on standard error
  int warnings = -1;  // truncation warnings
  std::vector<std::string> err_has;
  int status = 0;
  int signal = 0;
};

struct Case {
  std::string name;
  std::vector<std::string> args;
  In in = In::file;
  std::string data;
  Out out = Out::file;
  Expect expect;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

std::string repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

std::string random_bytes(size_t size, bool zeros, unsigned seed) {
  std::mt19937 rng(seed);
  std::string data(size, '\0');
  for (char& c : data) c = static_cast<char>(zeros ? rng() % 256 : 1 + rng() % 255);
  return data;
}

std::string mean_line(int mean) {
  return "\n*** Mean value of all scores: " + std::to_string(mean) + " *****";
}

std::string rewritten(std::string text) {
  for (char& c : text) {
    if (c > 0 && c < 32) c = ' ';
  }
  return text;
}

std::string offset_header(size_t offset) {
  char text[32];
  std::snprintf(text, sizeof text, "#%8zu# ", offset);
  return text;
}

// The records that -g lo,hi,pp takes from `data`, as "#offset# text" lines:
// chunks of lengths drawn from the Park-Miller sequence, one in `every`
// taken, a taken one ended early by a zero byte and dropped when the input
// ends inside it.
Expect pseudo_records(const std::string& data, int lo, int hi, int every, bool delimited) {
  Expect e;
  e.lines.emplace();
  e.warnings = 0;
  int32_t seed = -1;
  int countdown = 0;
  size_t at = 0;
  while (e.lines->size() < 16000) {
    int32_t next = 48271 * (seed % 44488) - 3399 * (seed / 44488);
    seed = next <= 0 ? next + 2147483647 : next;
    const size_t length = seed % (hi - lo + 1) + lo;
    if (countdown == 0) countdown = every;
    if (--countdown != 0) {
      at += length;
      continue;
    }
    const size_t start = at;
    while (at < data.size() && at - start < length && data[at] != '\0') ++at;
    const size_t accepted = at - start;
    if (accepted < length && at >= data.size()) break;
    if (accepted < length) ++at;  // the zero byte is consumed
    if (accepted == 0) continue;
    const size_t stored = accepted + (delimited ? 1 : 0);
    if (stored > 2000) ++e.warnings;
    e.lines->push_back(offset_header(start) +
                       rewritten(data.substr(start, std::min<size_t>(accepted, 2000))));
  }
  e.records = static_cast<int>(e.lines->size());
  return e;
}

Case add(std::string name, std::vector<std::string> args, std::string data, Expect expect,
         In in = In::file, Out out = Out::file) {
  return Case{std::move(name), std::move(args), in, std::move(data), out, std::move(expect)};
}

Expect exact(std::string out, int status) {
  Expect e;
  e.out = std::move(out);
  e.status = status;
  return e;
}

Expect killed_by(int signal) {
  Expect e;
  e.signal = signal;
  return e;
}

Expect with_err(Expect e, std::vector<std::string> err_has, int records = -1) {
  e.err_has = std::move(err_has);
  e.records = records;
  return e;
}

std::string all_bytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

std::vector<Case> cases() {
  const std::string binary = random_bytes(1 << 20, true, 1);
  const std::string nonzero = random_bytes(1 << 20, false, 2);
  const std::string visible = all_bytes().substr(1).replace(0, 31, 31, ' ');
  const std::string range = "12345\nabcde\n12345\n";
  // Three lines whose order and scores are easy to work out: abcdeg shares
  // abcde with abcdef (10 of 12 bytes, 833) and xyz shares nothing.
  const std::string kThree = "abcdef\nxyz\nabcdeg\n";
  const std::string kThreeSorted = "   0 abcdef\n 833 abcdeg\n   0 xyz\n" + mean_line(277);
  const int kThreeStatus = 277 % 256;
  const std::string kThreeUnscored = "   0 abcdef\n   0 xyz\n   0 abcdeg\n" + mean_line(0);
  std::vector<Case> c;
  c.push_back(add("EmptyInput", {"-d"}, "",
                  with_err(exact(mean_line(0), 0), {" Lines to process.(= 0 bytes)\n"}, 0)));
  c.push_back(add("OnlyNewlines", {}, "\n\n\n\n", exact("", 0)));
  c.push_back(add("OnlyDelimiters", {"-l;,"}, ";;,,;", exact("", 0)));
  c.push_back(add("OnlyZeroBytes", {}, std::string(1000, '\0'), exact("", 0)));
  c.push_back(add("OnlyZeroBytesUnderL", {"-l"}, std::string(1000, '\0'), exact("", 0)));
  c.push_back(add("OneUnterminatedLine", {"-d"}, "abc", exact("   0 abc\n" + mean_line(0), 0)));
  c.push_back(add("Lines16001", {"-d"}, repeat("1\n", 16000) + "Z\n",
                  with_err(exact(repeat("   0 1\n", 16000) + mean_line(0), 0),
                           {"WARNING, more than 16000 records"}, 16000)));
  c.push_back(add("Line31001", {}, std::string(31001, 'x') + "\n",
                  with_err(exact(std::string(2000, 'x') + "\nx\n", 0),
                           {"\t**WARNING, linelength 31000 truncated.**"}, 2)));
  c.push_back(add("Phrase31001", {"-l."}, std::string(31001, 'x') + ".",
                  with_err(exact(std::string(2000, 'x') + "\nx.\n", 0),
                           {"\t**WARNING, linelength 31001 truncated.**"}, 2)));
  // Byte 0 ends an empty record, 10 ends 1..9, and 11..255 end before
  // the carriage return, after 11 and 12.
  c.push_back(add("AllByteValuesAsLines", {}, all_bytes() + "\n", exact("         \n  \n", 0)));
  // Under -l only zero bytes end records: 1..255 twice, the same
  // prepared item, so 1000 and a mean of 500.
  c.push_back(
      add("AllByteValuesUnderL", {"-l", "-d"}, all_bytes() + all_bytes(),
          exact("   0 " + visible + "\n1000 " + visible + "\n" + mean_line(500), 500 % 256)));
  // Every item prepares to fewer than 3 bytes, so all score 0 and the
  // input order stays.
  c.push_back(add("CarriageReturns", {"-r"}, "ab\r\ncd\r\n\r\nx\ry\n\rz\na\rb\rc\n",
                  exact("#       0# ab\n#       4# cd\n#       8#  \n#      10# x\n#      14#  z\n"
                        "#      17# a b\n",
                        0)));
  // 64 KB rather than 1 MB: past about 250 KB the 16000-record limit
  // holds and the run costs as much as Lines16001 times eight.
  c.push_back(add("RandomPseudoRecords", {"-d", "-r", "-g10,20"}, binary.substr(0, 1 << 16),
                  pseudo_records(binary.substr(0, 1 << 16), 10, 20, 1, false)));
  c.push_back(add("RandomLongPseudoRecords", {"-d", "-r", "-g3000,4000,10"}, nonzero,
                  pseudo_records(nonzero, 3000, 4000, 10, false)));
  c.push_back(
      add("ArgGNegativeFirst", {"-d", "-g-5,10"}, kThree, exact(kThreeSorted, kThreeStatus)));
  c.push_back(add("ArgGWithoutComma", {"-d", "-g10"}, kThree, exact(kThreeSorted, kThreeStatus)));
  c.push_back(add("ArgGPercentZero", {"-d", "-r", "-g10,20,0"}, nonzero.substr(0, 4000),
                  pseudo_records(nonzero.substr(0, 4000), 10, 20, 100, false)));
  c.push_back(add("ArgGPercentOver100", {"-d", "-r", "-g10,20,500"}, nonzero.substr(0, 4000),
                  pseudo_records(nonzero.substr(0, 4000), 10, 20, 1, false)));
  c.push_back(add("ArgGLongest", {"-d", "-r", "-g32767,32767"}, nonzero.substr(0, 100000),
                  with_err(pseudo_records(nonzero.substr(0, 100000), 32767, 32767, 1, false),
                           {"\t**WARNING, linelength 32767 truncated.**"}, 3)));
  c.push_back(add("ArgGLongestUnderL", {"-d", "-r", "-g32767,32767", "-l"},
                  nonzero.substr(0, 100000),
                  with_err(pseudo_records(nonzero.substr(0, 100000), 32767, 32767, 1, true),
                           {"\t**WARNING, linelength 32768 truncated.**"}, 3)));
  // 40000 and 50000 keep their low 16 bits, -25536 and -15536: off.
  c.push_back(
      add("ArgGOutOfRange", {"-d", "-g40000,50000"}, kThree, exact(kThreeSorted, kThreeStatus)));
  c.push_back(add("ArgSNegative", {"-d", "-s-5"}, kThree, exact(kThreeSorted, kThreeStatus)));
  c.push_back(add("ArgSBeyondRecords", {"-d", "-s99999"}, kThree, exact(kThreeUnscored, 0)));
  c.push_back(add("ArgCAlone", {"-d", "-c"}, kThree, exact(kThreeSorted, kThreeStatus)));
  c.push_back(
      add("ArgLAlone", {"-d", "-l"}, kThree, exact("   0 abcdef xyz abcdeg \n" + mean_line(0), 0)));
  // Only the first 9 bytes delimit: a and i do, j, k and l do not.
  c.push_back(
      add("ArgLTwelveBytes", {"-labcdefghijkl"}, "1j2a3k4i5l6", exact("1j2a\n3k4i\n5l6\n", 0)));
  // -w300 is -w44: digits count, and 12345 finds its twin.
  c.push_back(add("ArgW300", {"-d", "-w300"}, range,
                  exact("   0 12345\n1000 12345\n   0 abcde\n" + mean_line(333), 333 % 256)));
  c.push_back(add("ArgWEmptyRange", {"-d", "-w1,1"}, kThree, exact(kThreeUnscored, 0)));
  // Byte range 97..122 (R 25): abcdeg differs by 1 (993), xyz by 69
  // plus 3 missing bytes (40).
  c.push_back(add("ArgW0ByteDifference", {"-d", "-w0", "-b"}, kThree,
                  exact("   0 abcdef\n 993 abcdeg\n  40 xyz\n" + mean_line(344), 344 % 256)));
  // 99999999999 keeps its low 32 bits, 1215752191: a hit of 5 adds 25.
  c.push_back(add("ArgAHuge", {"-d", "-a99999999999"}, kThree,
                  exact("   0 abcdef\n2083 abcdeg\n   0 xyz\n" + mean_line(694), 694 % 256)));
  // Ten pieces are kept, a to j; k and l would cut klmklm to 500.
  c.push_back(add("ArgOTwelvePieces", {"-d", "-oa;b;c;d;e;f;g;h;i;j;k;l"},
                  "klmklm\nklmklm\nzzzqqq\n",
                  exact("   0 klmklm\n1000 klmklm\n   0 zzzqqq\n" + mean_line(333), 333 % 256)));
  // Pieces keep 14 bytes: 14 of 20 a's are blanked, the other 6 match.
  c.push_back(add("ArgOLongPieces",
                  {"-d", "-o" + std::string(40, 'a') + ";" + std::string(40, 'b')},
                  repeat(std::string(20, 'a') + "\n", 2) + std::string(20, 'c') + "\n",
                  exact("   0 " + std::string(20, 'a') + "\n 300 " + std::string(20, 'a') +
                            "\n   0 " + std::string(20, 'c') + "\n" + mean_line(100),
                        100)));
  // The empty piece hides cd: only ab is blanked, xcdy still matches.
  c.push_back(add("ArgOEmptyPiece", {"-d", "-oab;;cd"}, "abxcdy\nabxcdy\nqqqqqq\n",
                  exact("   0 abxcdy\n 666 abxcdy\n   0 qqqqqq\n" + mean_line(222), 222)));
  c.push_back(
      add("StdinPipe", {"-d"}, kThree, exact(kThreeSorted, kThreeStatus), In::pipe, Out::file));
  c.push_back(add("StdinPipeSampled", {"-d", "-r", "-g10,20,10"}, nonzero.substr(0, 20000),
                  pseudo_records(nonzero.substr(0, 20000), 10, 20, 10, false), In::pipe,
                  Out::file));
  c.push_back(add("StdinDirectory", {}, "",
                  with_err(exact("", kNonZero), {"cannot read standard input"}), In::directory,
                  Out::file));
  c.push_back(add("StdinClosed", {}, "",
                  with_err(exact("", kNonZero), {"cannot read standard input"}), In::closed,
                  Out::file));
  c.push_back(add("StdinDevNull", {"-d"}, "", exact(mean_line(0), 0), In::dev_null, Out::file));
  c.push_back(add("StdoutDevFull", {}, kThree,
                  with_err(exact("", kNonZero), {"cannot write standard output"}), In::file,
                  Out::dev_full));
  c.push_back(add("StdoutClosed", {}, kThree,
                  with_err(exact("", kNonZero), {"cannot write standard output"}), In::file,
                  Out::closed));
  c.push_back(add("StdoutClosedPipe", {}, kThree, killed_by(SIGPIPE), In::file, Out::closed_pipe));
  // The order of random records is not worked out, so neither is their
  // mean: the status must match the mean line.
  for (Case& k : c) {
    if (k.expect.lines) k.expect.status = kMeanLine;
  }
  return c;
}

// "%4u " in front of a line, as -d writes it.
std::string without_score(const std::string& line) {
  size_t i = line.find_first_not_of(' ');
  if (i != std::string::npos && line[i] == '-') ++i;
  i = line.find_first_not_of("0123456789", i);
  return i == std::string::npos ? line : line.substr(i + 1);
}

// The running count's last value before the summary line; 0 when none was written.
int last_count(const std::string& err) {
  const size_t summary = err.find(" Lines to process.(");
  if (summary == std::string::npos) return -1;
  const size_t count = err.rfind('\r', summary);
  return count == std::string::npos ? 0 : std::atoi(err.c_str() + count + 1);
}

int count_of(const std::string& text, const std::string& piece) {
  int count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}

class Hostile : public ::testing::TestWithParam<Case> {};

TEST_P(Hostile, EndsCleanlyWithTheRightOutput) {
  const Case& k = GetParam();
  const Expect& e = k.expect;
  const Outcome run = run_vexaro(k.args, k.in, k.data, k.out);

  EXPECT_EQ(run.signal, e.signal);
  EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("runtime error"), std::string::npos) << run.err;
  if (e.signal != 0) return;

  std::string out = run.out;
  if (e.status == kNonZero) {
    EXPECT_NE(run.status, 0);
  } else if (e.status == kMeanLine) {
    const size_t at = out.rfind("\n*** Mean value of all scores: ");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(run.status, std::atoi(out.c_str() + at + 31) & 255);
    out.erase(at);
  } else {
    EXPECT_EQ(run.status, e.status);
  }
  if (e.out) {
    EXPECT_EQ(out, *e.out);
  }
  if (e.lines) {
    std::vector<std::string> lines;
    for (size_t from = 0, end; (end = out.find('\n', from)) != std::string::npos; from = end + 1) {
      lines.push_back(without_score(out.substr(from, end - from)));
    }
    ASSERT_EQ(lines.size(), e.lines->size());
    if (!lines.empty()) {
      EXPECT_EQ(lines[0], (*e.lines)[0]);
    }
    std::vector<std::string> expected = *e.lines;
    std::sort(lines.begin(), lines.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_TRUE(lines == expected);
  }
  for (const auto& piece : e.err_has) EXPECT_NE(run.err.find(piece), std::string::npos) << piece;
  if (e.records >= 0) {
    EXPECT_EQ(last_count(run.err), e.records);
  }
  if (e.warnings >= 0) {
    EXPECT_EQ(count_of(run.err, "**WARNING, linelength"), e.warnings);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, Hostile, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace vexaro
