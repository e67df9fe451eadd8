// SPDX-License-Identifier: MIT
// Hostile input, arguments and streams through the real binary. Every case
// must end without a signal (but for the closed pipe, where the default
// SIGPIPE is the expected end), without a sanitizer report, with the mean
// score as its status (non-zero on a read or write error), and with the
// output worked out by hand. For random data under -g the records come from a
// plain model of the pseudo-record cut, and their order is left unchecked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "run_binary.h"

namespace vexaro {
namespace {

using testing::TempFile;

struct Case {
  std::string name{};
  std::vector<std::string> args{};
  std::string data{};
  std::string out{};  // the exact standard output, unless `lines` is set
  std::vector<std::string> err_has{};
  // Random data: the record lines without score header, the first one first
  // and the others in any order, and the truncation warnings (-1: exact output).
  std::vector<std::string> lines{};
  int warnings = -1;
  // Redirections: "" the case's data in a file, "|" a pipe, "-" closed, or a path.
  std::string in{}, to{};
  bool fails = false;  // a read or write error: non-zero status
  int signal = 0;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// One standard stream as the case redirects it; -1 when closed. An input
// pipe holds the data, which must fit its buffer (more fails instead of
// hanging); an output pipe has no reader.
int open_stream(const std::string& how, bool input, const TempFile& file, const std::string& data) {
  if (how == "-") return -1;
  if (how.empty()) return dup(file.fd());
  if (how != "|") return open(how.c_str(), input ? O_RDONLY : O_WRONLY);
  int ends[2];
  if (pipe(ends) != 0) return -1;
  if (input) {
    fcntl(ends[1], F_SETFL, O_NONBLOCK);
    EXPECT_EQ(write(ends[1], data.data(), data.size()), static_cast<ssize_t>(data.size()));
  }
  close(ends[input ? 1 : 0]);
  return ends[input ? 0 : 1];
}

testing::ProcessResult run_case(const Case& k) {
  const TempFile in, out, err;
  testing::write_file(in.path(), k.data);
  const std::array<int, 3> streams = {open_stream(k.in, true, in, k.data),
                                      open_stream(k.to, false, out, ""), dup(err.fd())};
  testing::ProcessResult run;
  testing::run_on_streams(VEXARO_BINARY, k.args, streams, run);
  for (int fd : streams) {
    if (fd >= 0) close(fd);
  }
  run.out = testing::read_file(out.path());
  run.err = testing::read_file(err.path());
  return run;
}

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

std::string all_bytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

constexpr char kMeanPrefix[] = "\n*** Mean value of all scores: ";

std::string mean_line(int mean) { return kMeanPrefix + std::to_string(mean) + " *****"; }

// A record as -r writes it: a byte-position header, control bytes as spaces.
std::string written(const std::string& record, size_t offset) {
  char header[32];
  std::snprintf(header, sizeof header, "#%8zu# ", offset);
  std::string text = header + record;
  for (char& c : text) {
    if (c > 0 && c < 32) c = ' ';
  }
  return text;
}

Case exact(std::string name, std::vector<std::string> args, std::string data, std::string out,
           std::vector<std::string> err_has = {}) {
  return {std::move(name), std::move(args), std::move(data), std::move(out), std::move(err_has)};
}

// Random data under -d -r and -g lo,hi with one chunk in `every` taken. The
// model: chunks of lengths drawn from the Park-Miller sequence, a taken one
// ended early by a zero byte and dropped when the input ends inside it.
Case cut(std::string name, std::string g, std::string data, int lo, int hi, int every) {
  Case c = exact(std::move(name), {"-d", "-r", std::move(g)}, std::move(data), "");
  c.warnings = 0;
  int32_t seed = -1;
  for (size_t at = 0, countdown = 0; c.lines.size() < 16000;) {
    const int32_t next = 48271 * (seed % 44488) - 3399 * (seed / 44488);
    seed = next <= 0 ? next + 2147483647 : next;
    const size_t length = seed % (hi - lo + 1) + lo;
    if (countdown == 0) countdown = every;
    if (--countdown != 0) {
      at += length;
      continue;
    }
    const size_t start = at;
    while (at < c.data.size() && at - start < length && c.data[at] != '\0') ++at;
    const size_t accepted = at - start;
    if (accepted < length && at >= c.data.size()) break;
    if (accepted < length) ++at;  // the zero byte is consumed
    if (accepted == 0) continue;
    if (accepted > 2000) ++c.warnings;
    c.lines.push_back(written(c.data.substr(start, std::min<size_t>(accepted, 2000)), start));
  }
  return c;
}

// A redirected case that expects a message expects a failure.
Case redirected(std::string in, std::string to, Case c) {
  c.in = std::move(in);
  c.to = std::move(to);
  c.fails = !c.err_has.empty();
  return c;
}

std::vector<Case> cases() {
  // 64 KB rather than 1 MB: past about 250 KB the 16000-record limit holds
  // and Lines16001 covers that.
  const std::string binary = random_bytes(1 << 16, true, 1);
  const std::string nonzero = random_bytes(1 << 20, false, 2);
  const std::string visible = all_bytes().substr(1).replace(0, 31, 31, ' ');
  // abcdeg shares abcde with abcdef (10 of 12 bytes, 833); xyz shares nothing.
  const std::string three = "abcdef\nxyz\nabcdeg\n";
  const std::string sorted = "   0 abcdef\n 833 abcdeg\n   0 xyz\n" + mean_line(277);
  const std::string unscored = "   0 abcdef\n   0 xyz\n   0 abcdeg\n" + mean_line(0);
  const std::string a20(20, 'a'), c20(20, 'c'), unread = "cannot read standard input",
                                                unwritten = "cannot write standard output";
  std::vector<Case> c = {
      exact("EmptyInput", {"-d"}, "", mean_line(0), {" Lines to process.(= 0 bytes)\n"}),
      exact("OnlyDelimiters", {"-l;,"}, ";;,,;", ""),
      exact("OnlyZeroBytes", {}, std::string(1000, '\0'), ""),
      exact("OneUnterminatedLine", {"-d"}, "abc", "   0 abc\n" + mean_line(0)),
      exact("Lines16001", {"-d"}, repeat("1\n", 16000) + "Z\n",
            repeat("   0 1\n", 16000) + mean_line(0), {"WARNING, more than 16000 records"}),
      exact("Line31001", {}, std::string(31001, 'x') + "\n", std::string(2000, 'x') + "\nx\n",
            {"\t**WARNING, linelength 31000 truncated.**"}),
      // Under -l only zero bytes end records: 1..255 twice, the same prepared
      // item, so 1000 and a mean of 500.
      exact("AllByteValues", {"-l", "-d"}, all_bytes() + all_bytes(),
            "   0 " + visible + "\n1000 " + visible + "\n" + mean_line(500)),
      // Every item prepares to fewer than 3 bytes, so the input order stays.
      exact("CarriageReturns", {"-r"}, "ab\r\ncd\r\n\r\nx\ry\n\rz\na\rb\rc\n",
            "#       0# ab\n#       4# cd\n#       8#  \n#      10# x\n#      14#  z\n"
            "#      17# a b\n"),
      cut("RandomPseudoRecords", "-g10,20", binary, 10, 20, 1),
      cut("RandomLongPseudoRecords", "-g3000,4000,10", nonzero, 3000, 4000, 10),
      cut("ArgGPercentZero", "-g10,20,0", nonzero.substr(0, 4000), 10, 20, 100),
      cut("ArgGPercentOver100", "-g10,20,500", nonzero.substr(0, 4000), 10, 20, 1),
      cut("ArgGLongest", "-g32767,32767", nonzero.substr(0, 100000), 32767, 32767, 1),
      exact("ArgSBeyondRecords", {"-d", "-s99999"}, three, unscored),
      exact("ArgWEmptyRange", {"-d", "-w1,1"}, three, unscored),
      exact("ArgLAlone", {"-d", "-l"}, three, "   0 abcdef xyz abcdeg \n" + mean_line(0)),
      // Only the first 9 bytes delimit: a and i do, j, k and l do not.
      exact("ArgLTwelveBytes", {"-labcdefghijkl"}, "1j2a3k4i5l6", "1j2a\n3k4i\n5l6\n"),
      // -w300 is -w44: digits count, and 12345 finds its twin.
      exact("ArgW300", {"-d", "-w300"}, "12345\nabcde\n12345\n",
            "   0 12345\n1000 12345\n   0 abcde\n" + mean_line(333)),
      // Byte range 97..122 (R 25): abcdeg differs by 1 (993), xyz by 69 plus
      // 3 missing bytes (40).
      exact("ArgW0ByteDifference", {"-d", "-w0", "-b"}, three,
            "   0 abcdef\n 993 abcdeg\n  40 xyz\n" + mean_line(344)),
      // 99999999999 keeps its low 32 bits, 1215752191: a hit of 5 adds 25.
      exact("ArgAHuge", {"-d", "-a99999999999"}, three,
            "   0 abcdef\n2083 abcdeg\n   0 xyz\n" + mean_line(694)),
      // Ten pieces are kept, a to j; k and l would cut klmklm to 500.
      exact("ArgOTwelvePieces", {"-d", "-oa;b;c;d;e;f;g;h;i;j;k;l"}, "klmklm\nklmklm\nzzzqqq\n",
            "   0 klmklm\n1000 klmklm\n   0 zzzqqq\n" + mean_line(333)),
      // Pieces keep 14 bytes: 14 of 20 a's are blanked, the other 6 match.
      exact("ArgOLongPieces", {"-d", "-o" + std::string(40, 'a') + ";" + std::string(40, 'b')},
            a20 + "\n" + a20 + "\n" + c20 + "\n",
            "   0 " + a20 + "\n 300 " + a20 + "\n   0 " + c20 + "\n" + mean_line(100)),
      // The empty piece hides cd: only ab is blanked, xcdy still matches.
      exact("ArgOEmptyPiece", {"-d", "-oab;;cd"}, "abxcdy\nabxcdy\nqqqqqq\n",
            "   0 abxcdy\n 666 abxcdy\n   0 qqqqqq\n" + mean_line(222)),
      // Skipped chunks cannot be seeked over on a pipe: they are read and dropped.
      redirected("|", "", cut("StdinPipe", "-g10,20,10", nonzero.substr(0, 20000), 10, 20, 10)),
      redirected("/tmp", "", exact("StdinDirectory", {}, "", "", {unread})),
      redirected("/dev/null", "", exact("StdinDevNull", {"-d"}, "", mean_line(0))),
      redirected("-", "", exact("StdinClosed", {}, "", "", {unread})),
      redirected("", "/dev/full", exact("StdoutDevFull", {}, three, "", {unwritten})),
      redirected("", "-", exact("StdoutClosed", {}, three, "", {unwritten})),
      redirected("", "|", exact("StdoutClosedPipe", {}, three, "")),
  };
  c.back().signal = SIGPIPE;
  // Arguments outside their usage form that leave the scoring as it is;
  // 40000 and 50000 keep their low 16 bits, -25536 and -15536: off.
  for (auto [name, arg] : {std::pair{"ArgGNegativeFirst", "-g-5,10"},
                           {"ArgGWithoutComma", "-g10"},
                           {"ArgGOutOfRange", "-g40000,50000"},
                           {"ArgSNegative", "-s-5"},
                           {"ArgCAlone", "-c"}}) {
    c.push_back(exact(name, {"-d", arg}, three, sorted));
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

int count_of(const std::string& text, const std::string& piece) {
  int count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}

void expect_lines_in_any_order(const std::string& out, std::vector<std::string> expected) {
  std::vector<std::string> lines;
  for (size_t from = 0, end; (end = out.find('\n', from)) != std::string::npos; from = end + 1) {
    lines.push_back(without_score(out.substr(from, end - from)));
  }
  ASSERT_EQ(lines.size(), expected.size());
  if (!lines.empty()) {
    EXPECT_EQ(lines[0], expected[0]);
  }
  std::sort(lines.begin(), lines.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_TRUE(lines == expected);
}

class Hostile : public ::testing::TestWithParam<Case> {};

TEST_P(Hostile, EndsCleanlyWithTheRightOutput) {
  const Case& k = GetParam();
  const testing::ProcessResult run = run_case(k);
  EXPECT_EQ(run.signal, k.signal);
  for (const char* report : {"Sanitizer", "runtime error"}) {
    EXPECT_EQ(run.err.find(report), std::string::npos) << run.err;
  }
  if (k.signal != 0) return;

  // Without a mean line (no -d) every case here has a mean of 0.
  const size_t mean_at = run.out.rfind(kMeanPrefix);
  const int mean =
      mean_at == std::string::npos ? 0 : std::atoi(&run.out[mean_at + sizeof kMeanPrefix - 1]);
  if (k.fails) {
    EXPECT_NE(run.exit_status, 0);
  } else {
    EXPECT_EQ(run.exit_status, mean & 255);
  }
  if (k.warnings < 0) {
    EXPECT_EQ(run.out, k.out);
  } else {
    ASSERT_NE(mean_at, std::string::npos);
    expect_lines_in_any_order(run.out.substr(0, mean_at), k.lines);
  }
  for (const auto& piece : k.err_has) EXPECT_NE(run.err.find(piece), std::string::npos) << piece;
  if (k.warnings >= 0) {
    EXPECT_EQ(count_of(run.err, "**WARNING, linelength"), k.warnings);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, Hostile, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace vexaro
