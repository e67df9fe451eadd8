// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/settings.h"

namespace vexaro {
namespace {

Settings parse(std::vector<std::string> args) { return parse_arguments(args, false); }

std::string slot(const Settings& s, int k) { return s.omtext[k].data(); }

TEST(Settings, DefaultsWithoutArguments) {
  Settings s = parse({});
  EXPECT_EQ(s.offs, 0);
  EXPECT_EQ(s.minchar, 65);
  EXPECT_EQ(s.hichar, 255);
  EXPECT_EQ(s.MINSCAN, 3);
  EXPECT_EQ(s.dran, 1);
  EXPECT_EQ(s.teilg, 1);
  EXPECT_EQ(s.slims[0], '\n');
  EXPECT_FALSE(s.islims || s.omitnr || s.dispf || s.metap || s.single);
  EXPECT_TRUE(s.umleit);
  EXPECT_FALSE(parse_arguments({}, true).umleit);
}

struct NumericCase {
  std::vector<std::string> args;
  int32_t offs;
  uint32_t adapt;
  bool single;
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
    EXPECT_EQ(s.offs, c.offs);
    EXPECT_EQ(s.adapt, c.adapt);
    EXPECT_EQ(s.single, c.single);
  }
}

TEST(Settings, LetterOptionsAnywhereInAnArgument) {
  Settings dr = parse({"-dr"});
  EXPECT_TRUE(dr.dispf && dr.linu);
  Settings verbose = parse({"-verbose"});
  EXPECT_TRUE(verbose.casens && verbose.bytdif && verbose.linu);
  EXPECT_FALSE(verbose.dispf);
  Settings m = parse({"-m"});
  EXPECT_TRUE(m.metap && m.casens);
  EXPECT_EQ(m.MINSCAN, 1);
  EXPECT_FALSE(parse({"dr"}).dispf);  // no leading '-'
  Settings pf = parse({"-pf"});
  EXPECT_TRUE(pf.posab && pf.linlencor);
}

struct RangeCase {
  std::vector<std::string> args;
  uint8_t lowchar, minchar, hichar;
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
    EXPECT_EQ(s.lowchar, c.lowchar);
    EXPECT_EQ(s.minchar, c.minchar);
    EXPECT_EQ(s.hichar, c.hichar);
  }
}

TEST(Settings, OmitList) {
  Settings s = parse({"-oabcdefghijklmnopq"});
  EXPECT_TRUE(s.omitnr);
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
  EXPECT_TRUE(alone.islims);
  EXPECT_EQ(alone.slims[0], '\0');
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
  int16_t uran, oran, dran;
  int32_t teilg;
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
    EXPECT_EQ(s.uran, c.uran);
    EXPECT_EQ(s.oran, c.oran);
    EXPECT_EQ(s.dran, c.dran);
    EXPECT_EQ(s.teilg, c.teilg);
    EXPECT_EQ(s.slims[0] == '\0', c.delimiters_emptied);
  }
}

TEST(Settings, StartCharacter) {
  EXPECT_EQ(parse({"-c:"}).startchar, ':');
  EXPECT_EQ(parse({"-c"}).startchar, 0);
  EXPECT_EQ(parse({"-c", "-c:"}).startchar, 0);
}

}  // namespace
}  // namespace vexaro
