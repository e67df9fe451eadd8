// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/settings.h"
#include "scoring/measure.h"

namespace vexaro {
namespace {

Settings parse(std::vector<std::string> args) { return parse_arguments(args, false); }

std::string slot(const Settings& s, int k) { return s.omit_strings[k].data(); }

TEST(Settings, DefaultsWithoutArguments) {
  Settings s = parse({});
  EXPECT_EQ(s.skip_bytes, 0);
  EXPECT_EQ(s.range_low, 65);
  EXPECT_EQ(s.range_high, 255);
  EXPECT_EQ(s.shortest_piece, 3);
  EXPECT_EQ(s.pseudo_lengths, 1);
  EXPECT_EQ(s.take_every, 1);
  EXPECT_EQ(s.delimiters[0], '\n');
  EXPECT_FALSE(s.delimiters_given || s.omit_in_use || s.show_scores || s.phonetic_keys ||
               s.longest_substrings);
  EXPECT_TRUE(s.output_redirected);
  EXPECT_FALSE(parse_arguments({}, true).output_redirected);
}

struct NumericCase {
  std::vector<std::string> args;
  int32_t skip_bytes;
  uint32_t length_divisor;
  bool longest_substrings;
};

TEST(Settings, NumbersAndPrecedence) {
  const std::vector<NumericCase> cases = {
      {{"-s3", "-s5"}, 3, 0, false},
      {{"-sd"}, 0, 0, false},
      {{"-s-5"}, -5, 0, false},
      {{"-s99999"}, 99999, 0, false},
      {{"-a"}, 0, 9, false},
      {{"-a0"}, 0, 9, false},
      {{"-a12"}, 0, 12, false},
      {{"-da25"}, 0, 25, false},
      {{"-a9999"}, 0, 9999, true},
      {{"-a5", "-a"}, 0, 5, false},
      {{"-a5", "-a9999"}, 0, 5, true},
      {{"-a99999999999"}, 0, 1215752191u, false},
      {{"x", "-s7", "ignored"}, 7, 0, false},
      {{"-s 12"}, 12, 0, false},
  };
  for (const auto& c : cases) {
    Settings s = parse(c.args);
    SCOPED_TRACE(c.args.front());
    EXPECT_EQ(s.skip_bytes, c.skip_bytes);
    EXPECT_EQ(s.length_divisor, c.length_divisor);
    EXPECT_EQ(s.longest_substrings, c.longest_substrings);
  }
}

TEST(Settings, LetterOptionsAnywhereInAnArgument) {
  Settings dr = parse({"-dr"});
  EXPECT_TRUE(dr.show_scores && dr.show_offsets);
  Settings verbose = parse({"-verbose"});
  EXPECT_TRUE(verbose.case_sensitive && verbose.byte_difference && verbose.show_offsets);
  EXPECT_FALSE(verbose.show_scores);
  Settings m = parse({"-m"});
  EXPECT_TRUE(m.phonetic_keys && m.case_sensitive);
  EXPECT_EQ(m.shortest_piece, 1);
  EXPECT_FALSE(parse({"dr"}).show_scores);  // no leading '-'
  Settings pf = parse({"-pf"});
  EXPECT_TRUE(pf.position_weighting && pf.length_correlation);
}

struct MeasureCase {
  std::vector<std::string> args;
  MeasureKind kind;
  Weighting weighting;
  uint32_t length_divisor;
  bool length_correlation;
  int32_t shortest_piece;
  bool reads_statistics;
};

// -b wins over -a9999, and weights and -f belong to the common pieces alone.
TEST(Settings, MeasureDecidedOnce) {
  using enum MeasureKind;
  using enum Weighting;
  const std::vector<MeasureCase> cases = {
      {{}, common_pieces, plain, 0, false, 3, false},
      {{"-p"}, common_pieces, by_position, 0, false, 3, false},
      {{"-a"}, common_pieces, by_length, 9, false, 3, false},
      {{"-pa4", "-f"}, common_pieces, both, 4, true, 3, true},
      {{"-m"}, common_pieces, plain, 0, false, 1, false},
      {{"-a9999", "-p", "-f"}, longest_substrings, plain, 0, false, 3, true},
      {{"-a9999", "-b"}, byte_difference, plain, 0, false, 3, true},
      {{"-b", "-pf", "-m"}, byte_difference, plain, 0, false, 1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const Measure m = measure_of(parse(c.args));
    EXPECT_EQ(m.kind, c.kind);
    EXPECT_EQ(m.weighting, c.weighting);
    EXPECT_EQ(m.length_divisor, c.length_divisor);
    EXPECT_EQ(m.length_correlation, c.length_correlation);
    EXPECT_EQ(m.shortest_piece, c.shortest_piece);
    EXPECT_EQ(m.reads_statistics(), c.reads_statistics);
  }
}

struct RangeCase {
  std::vector<std::string> args;
  uint8_t requested_low, range_low, range_high;
};

TEST(Settings, OperatingRange) {
  const std::vector<RangeCase> cases = {
      {{"-w,50"}, 65, 65, 65},    {{"-w300"}, 44, 44, 255},      {{"-w1,1"}, 1, 2, 1},
      {{"-n"}, 65, 48, 255},      {{"-n", "-w40"}, 40, 40, 255}, {{"-w100,200"}, 100, 65, 200},
      {{"-w32"}, 32, 32, 255},    {{"-w0"}, 0, 2, 255},          {{"-w0", "-b"}, 0, 1, 255},
      {{"-w1", "-b"}, 1, 1, 255}, {{"-w70,60"}, 70, 65, 70},     {{"-w,60", "-w70"}, 70, 65, 70},
  };
  for (const auto& c : cases) {
    Settings s = parse(c.args);
    SCOPED_TRACE(c.args.front());
    EXPECT_EQ(s.requested_low, c.requested_low);
    EXPECT_EQ(s.range_low, c.range_low);
    EXPECT_EQ(s.range_high, c.range_high);
  }
}

TEST(Settings, OmitList) {
  Settings s = parse({"-oabcdefghijklmnopq"});
  EXPECT_TRUE(s.omit_in_use);
  EXPECT_EQ(slot(s, 0), "abcdefghijklmn");

  s = parse({"-o1;2;3;4;5;6;7;8;9;10;11"});
  for (int k = 0; k < 10; ++k) EXPECT_EQ(slot(s, k), std::to_string(k + 1));

  s = parse({"-oab;;cd"});
  EXPECT_EQ(slot(s, 0), "ab");
  EXPECT_EQ(slot(s, 1), "");
  EXPECT_EQ(slot(s, 2), "cd");

  s = parse({"-ox", "-oab;cd;ef"});
  EXPECT_EQ(slot(s, 0), "x");
  EXPECT_EQ(slot(s, 1), "cd");
  EXPECT_EQ(slot(s, 2), "ef");

  s = parse({"-oab;"});
  EXPECT_EQ(slot(s, 0), "ab");
  EXPECT_EQ(slot(s, 1), "");

  s = parse({"-oabcdefghijklmnopqrstuvwxyz0123456789;ABCDEFGHIJKLMNOPQRSTUVWXYZ"});
  EXPECT_EQ(slot(s, 0), "abcdefghijklmn");
  EXPECT_EQ(slot(s, 1), "ABCDEFGHIJKLMN");
}

TEST(Settings, Delimiters) {
  Settings alone = parse({"-l"});
  EXPECT_TRUE(alone.delimiters_given);
  EXPECT_EQ(alone.delimiters[0], '\0');
  Settings semicolon = parse({"-l;,"});
  EXPECT_TRUE(semicolon.is_delimiter(';') && semicolon.is_delimiter(','));
  EXPECT_FALSE(semicolon.is_delimiter('\n'));
  EXPECT_TRUE(semicolon.is_delimiter(0));
  Settings twelve = parse({"-l123456789abc"});
  EXPECT_TRUE(twelve.is_delimiter('9'));
  EXPECT_FALSE(twelve.is_delimiter('a'));
}

struct PseudoCase {
  std::vector<std::string> args;
  int16_t pseudo_shortest, pseudo_longest, pseudo_lengths;
  int32_t take_every;
  bool delimiters_emptied;
};

TEST(Settings, PseudoRecordRange) {
  const std::vector<PseudoCase> cases = {
      {{"-g10,20"}, 10, 20, 11, 1, true},
      {{"-g10,20,30"}, 10, 20, 11, 3, true},
      {{"-g10,20,50"}, 10, 20, 11, 2, true},
      {{"-g10,20,60"}, 10, 20, 11, 1, true},
      {{"-g20,10"}, 0, 10, 11, 1, false},
      {{"-g10"}, 0, 0, 1, 1, false},
      {{"-g-5,10"}, 0, 10, 11, 1, false},
      {{"-g,10"}, 0, 10, 11, 1, false},
      {{"-g10,20,0"}, 10, 20, 11, 100, true},
      {{"-g10,20,500"}, 10, 20, 11, 1, true},
      {{"-g32767,32767"}, 32767, 32767, 1, 1, true},
      {{"-g40000,50000"}, 0, -15536, -15535, 1, false},
  };
  for (const auto& c : cases) {
    Settings s = parse(c.args);
    SCOPED_TRACE(c.args.front());
    EXPECT_EQ(s.pseudo_shortest, c.pseudo_shortest);
    EXPECT_EQ(s.pseudo_longest, c.pseudo_longest);
    EXPECT_EQ(s.pseudo_lengths, c.pseudo_lengths);
    EXPECT_EQ(s.take_every, c.take_every);
    EXPECT_EQ(s.delimiters[0] == '\0', c.delimiters_emptied);
  }
}

TEST(Settings, StartCharacter) {
  EXPECT_EQ(parse({"-c:"}).start_byte, ':');
  EXPECT_EQ(parse({"-c"}).start_byte, 0);
  EXPECT_EQ(parse({"-c", "-c:"}).start_byte, 0);
}

}  // namespace
}  // namespace vexaro
