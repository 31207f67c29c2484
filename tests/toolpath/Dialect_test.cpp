#include "toolpath/Dialect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "GrblChecker.h"
#include "WorkedExample.h"
#include "dvTools/dvError.h"
#include "toolpath/GenerateCode.h"
#include "toolpath/JobFields.h"
#include "toolpath/ProgramLimits.h"

namespace fs = std::filesystem;

namespace {

const std::string kTime = "2011-06-18 14:05";

std::vector<std::string> Lines(const TJobEntries& e, const std::string& path = "D:\\nc\\plate.nc") {
  TGCodeMemorySink sink;
  TGCodeFile list(sink);
  WriteProgram({CheckJob(e), {}, path, kTime}, list);
  return sink.Lines();
}

std::string Text(const TJobEntries& e) {
  TGCodeMemorySink sink;
  TGCodeFile list(sink);
  WriteProgram({CheckJob(e), {}, "D:\\nc\\plate.nc", kTime}, list);
  return sink.Text();
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ErrorOf(const TJobEntries& e) {
  try {
    (void)CheckJob(e);
  } catch (const EDVError& error) {
    return error.what();
  }
  return "";
}

std::string Joined(const std::vector<std::string>& problems) {
  std::string text;
  for (const auto& p : problems) text += p + "\n";
  return text;
}

TJobEntries Grbl(TJobEntries e = Plate()) {
  e.Dialect = kDialectGrbl;
  return e;
}

}  // namespace

// The checker itself: every rule of the controller catches the line that breaks it, and the ISO start
// block is refused exactly as a stock GRBL 1.1 refuses it.
TEST(GrblChecker, CatchesEveryRule) {
  const struct {
    std::vector<std::string> lines;
    const char* reason;  // empty: the lines pass
  } rows[] = {
      {{"G21 G90 G94 G17 G40 G54", "M3 S5000", "G0 Z2", "G1 F100 X1", "M5", "M9", "M2"}, ""},
      {{"G00 G90 G94 G40 G54 G80"}, "two commands of the motion group"},
      {{"T1 M06"}, "unsupported command M06"},
      {{"M07"}, "unsupported command M07"},
      {{"M3 M5"}, "two commands of the spindle group"},
      {{"G20 G21"}, "two commands of the units group"},
      {{"G43 Z1"}, "unsupported command G43"},
      {{"G1 X1"}, "feed move before any feed rate"},
      {{"G1 F0 X1"}, "feed rate not above zero"},
      {{"G0 X1", "X2 Y1", "G1 X3 F50"}, ""},
      {{"( \xB7\xD6\xB2\xE3 )"}, "byte outside printable ASCII"},
      {{"( a ( b ) )"}, "nested comment"},
      {{"( open"}, "comment not closed"},
      {{"( stop! )"}, "real-time command character"},
      {{"G0 X1E3"}, "unsupported word E"},
      {{"G0 X1 X2"}, "repeated word X"},
      {{"G4"}, "G4 needs P"},
      {{"G0 X" + std::string(76, '1')}, "longer than 79 characters"},
      {{"G0 X" + std::string(75, '1')}, ""},
      {{"G1 F100 Z-1 ; comment (any)"}, ""},
      {{"g1 x1"}, "expected a command letter"},
  };
  for (const auto& r : rows) {
    const std::string problems = Joined(grbl::Problems(r.lines));
    if (*r.reason == 0) {
      EXPECT_EQ(problems, "") << r.lines[0];
    } else {
      EXPECT_NE(problems.find(r.reason), std::string::npos) << r.lines[0] << "\n" << problems;
    }
  }
}

// The ISO program is what a stock GRBL refuses at its start: the checker names each reason.
TEST(GrblChecker, RefusesTheIsoProgram) {
  const std::string problems = Joined(grbl::Problems(Lines(Plate())));
  for (const char* reason :
       {"line 1: byte outside printable ASCII", "line 5: two commands of the motion group",
        "line 6: unsupported command M06", "line 8: unsupported command M07"})
    EXPECT_NE(problems.find(reason), std::string::npos) << reason << "\n" << problems;
}

// Every strategy, layer count, retract mode, coolant, edge clean, centre pass and dwell gives a program a
// stock GRBL 1.1 runs line by line.
TEST(GrblDialect, EveryProgramPassesTheChecker) {
  int programs = 0;
  for (int mode : {kModeSpiral, kModeXZigzag, kModeYZigzag})
    for (int layers : {-1, 1, 3})
      for (bool absolute : {false, true})
        for (int coolant : {kCoolantDefault, kCoolantOff, kCoolantFlood})
          for (bool clearEnd : {false, true})
            for (bool centre : {false, true})
              for (double dwell : {0.0, 2.5})
                for (auto [x, y] : {std::pair{20.0, 12.0}, std::pair{150.0, 200.0}, std::pair{6.0, 6.0}}) {
                  TJobEntries e = Grbl();
                  e.XPos = x;
                  e.YPos = y;
                  e.Mode = mode;
                  e.Layer = layers;
                  e.ZUpAbs = absolute;
                  e.Coolant = coolant;
                  e.ClearEnd = clearEnd;
                  e.FinishCentre = centre;
                  e.Dwell = dwell;
                  const auto lines = Lines(e);
                  ++programs;
                  ASSERT_EQ(Joined(grbl::Problems(lines)), "")
                      << "mode " << mode << " layers " << layers << " absolute " << absolute << " coolant "
                      << coolant << " size " << x << " x " << y;
                }
  EXPECT_EQ(programs, 3 * 3 * 2 * 3 * 2 * 2 * 2 * 3);
}

// The cut directions and the finishing layer, in every strategy.
TEST(GrblDialect, DirectionsAndFinishingLayerPassTheChecker) {
  for (int mode : {kModeSpiral, kModeXZigzag, kModeYZigzag}) {
    for (int direction : {kDirectionBoth, kDirectionClimb, kDirectionConventional}) {
      for (double finish : {0.0, 0.3}) {
        for (bool absolute : {false, true}) {
          TJobEntries e = Grbl();
          e.XPos = 40, e.YPos = 25, e.Layer = 2;
          e.Mode = mode, e.Direction = direction, e.ZUpAbs = absolute;
          e.FinishDepth = finish, e.FinishFeed = 60;
          EXPECT_EQ(Joined(grbl::Problems(Lines(e))), "") << "mode " << mode << " direction " << direction
                                                          << " finish " << finish << " absolute " << absolute;
        }
      }
    }
  }
}

// The worked example for GRBL, byte for byte: the same moves as the ISO program, its own start and end.
TEST(GrblDialect, WorkedExampleByteForByte) {
  const std::string expected = ReadBytes(fs::path(SKIMPLANE_TEST_DATA) / "plate-2-layers-grbl.nc");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(Text(Grbl()), expected);

  // Between the plunges to the first level and the end block, the lines are the ISO program's, but for
  // the layer mark's words.
  const auto iso = Lines(Plate()), grbl = Lines(Grbl());
  const auto firstPlunge = [](const std::vector<std::string>& l) {
    return std::find(l.begin(), l.end(), "G01 F120 Z-1.000") - l.begin();
  };
  const auto isoAt = firstPlunge(iso), grblAt = firstPlunge(grbl);
  ASSERT_EQ(iso.size() - isoAt, grbl.size() - grblAt);
  for (std::size_t i = 0; i + isoAt < iso.size() - 4; ++i) {
    const auto& a = iso[isoAt + i];
    const auto& b = grbl[grblAt + i];
    if (a.starts_with("( ")) {
      EXPECT_EQ(b, "( Layer mark: layer 2 )");
    } else {
      EXPECT_EQ(a, b);
    }
  }
}

TEST(GrblDialect, StartBlockFollowsTheChoices) {
  const struct {
    int coolant;
    double dwell;
    std::vector<std::string> start;
  } rows[] = {
      {kCoolantDefault, 0, {"G21 G90 G94 G17 G40 G54", "M3 S5000", "G00 F1000 Z2.000", "G00 X3.000 Y3.000"}},
      {kCoolantOff, 0, {"G21 G90 G94 G17 G40 G54", "M3 S5000", "G00 F1000 Z2.000", "G00 X3.000 Y3.000"}},
      {kCoolantFlood,
       1.5,
       {"G21 G90 G94 G17 G40 G54", "M3 S5000", "G4 P1.500", "M8", "G00 F1000 Z2.000", "G00 X3.000 Y3.000"}},
  };
  for (const auto& r : rows) {
    TJobEntries e = Grbl();
    e.Coolant = r.coolant;
    e.Dwell = r.dwell;
    const auto lines = Lines(e);
    ASSERT_GT(lines.size(), 4 + r.start.size());
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + 4, lines.begin() + 4 + static_cast<long>(r.start.size())),
        r.start);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{"G00 F1000 Z2.000", "M5", "M9", "M2"}));
  }
}

// The header's path in ASCII within 79 characters: each GBK character one "?", parentheses as brackets,
// the real-time characters "!" and "~" as "?", a long path shortened at its start.
TEST(GrblDialect, HeaderPathIsAsciiAndShort) {
  const struct {
    std::string path, shown;
  } rows[] = {
      {"D:\\nc\\plate.nc", "D:\\nc\\plate.nc"},
      {"D:\\\xB9\xA4\xBC\xFE\\a(1).nc", "D:\\??\\a[1].nc"},
      {"/tmp/go!~.nc", "/tmp/go??.nc"},
      {std::string("/tmp/x\x01\r\n\x80.nc"), "/tmp/x????.nc"},
      {"/" + std::string(60, 'a') + "/plate.nc", "..." + std::string(35, 'a') + "/plate.nc"},
  };
  for (const auto& r : rows) {
    const auto lines = Lines(Grbl(), r.path);
    EXPECT_EQ(lines[2], "( " + r.shown + " created at " + kTime + " )") << r.shown;
    EXPECT_LE(lines[2].size(), 79u);
    EXPECT_EQ(Joined(grbl::Problems(lines)), "");
  }
}

TEST(GrblDialect, RefusesWhatTheControllerCannotRun) {
  const struct {
    void (*change)(TJobEntries&);
    const char* message;
  } rows[] = {
      {[](TJobEntries& e) { e.Coolant = kCoolantMist; }, "GRBL 1.1 has no mist coolant (M7)"},
      {[](TJobEntries& e) { e.Dwell = -1; }, "The dwell must be between 0 and 3600 seconds"},
      {[](TJobEntries& e) { e.Dwell = 3601; }, "The dwell must be between 0 and 3600 seconds"},
      {[](TJobEntries& e) { e.Dwell = NAN; }, "The dwell must be between 0 and 3600 seconds"},
      {[](TJobEntries& e) { e.Dialect = 7; }, "The output dialect 7 is unknown"},
      {[](TJobEntries& e) { e.Coolant = 3; }, "The coolant choice 3 is unknown"},
  };
  for (const auto& r : rows) {
    TJobEntries e = Grbl();
    r.change(e);
    EXPECT_NE(ErrorOf(e).find(r.message), std::string::npos) << ErrorOf(e);
  }
}

// The ISO program changes only where a job chooses other coolant or a dwell.
TEST(IsoDialect, CoolantAndDwellLines) {
  const struct {
    int coolant;
    double dwell;
    std::vector<std::string> between;  // the lines between "M03 S5000" and the move to the start
  } rows[] = {
      {kCoolantDefault, 0, {"M07"}},       {kCoolantMist, 0, {"M07"}},
      {kCoolantFlood, 0, {"M08"}},         {kCoolantOff, 0, {}},
      {kCoolantOff, 0.25, {"G04 P0.250"}}, {kCoolantMist, 2, {"G04 P2.000", "M07"}},
  };
  for (const auto& r : rows) {
    TJobEntries e = Plate();
    e.Coolant = r.coolant;
    e.Dwell = r.dwell;
    const auto lines = Lines(e);
    const auto spindle = std::find(lines.begin(), lines.end(), "M03 S5000");
    const auto move = std::find(lines.begin(), lines.end(), "G00 F1000 X3.000 Y3.000 Z2.000");
    ASSERT_TRUE(spindle < move);
    EXPECT_EQ(std::vector<std::string>(spindle + 1, move), r.between);
  }
}

TEST(Dialect, NamesRoundTrip) {
  const TJobField& dialect = *FieldOf(&TJobEntries::Dialect);
  const TJobField& coolant = *FieldOf(&TJobEntries::Coolant);
  for (int d : {kDialectIso, kDialectGrbl}) EXPECT_EQ(dialect.ValueOf(dialect.WordOf(d)), d);
  for (int c : {kCoolantOff, kCoolantMist, kCoolantFlood}) EXPECT_EQ(coolant.ValueOf(coolant.WordOf(c)), c);
  EXPECT_FALSE(dialect.ValueOf("ISO"));
  EXPECT_FALSE(coolant.ValueOf(""));
  EXPECT_EQ(DefaultCoolant(kDialectIso), kCoolantMist);
  EXPECT_EQ(DefaultCoolant(kDialectGrbl), kCoolantOff);
}

// The line and byte estimates that bound every program hold in both dialects, with every choice.
TEST(Dialect, EstimatesBoundEveryChoice) {
  for (int dialect : {kDialectIso, kDialectGrbl})
    for (int coolant : {kCoolantOff, kCoolantFlood})
      for (double dwell : {0.0, 1.0})
        for (int mode : {kModeSpiral, kModeXZigzag, kModeYZigzag})
          for (double size : {6.5, 12.0, 40.0}) {
            TJobEntries e = Plate();
            e.Dialect = dialect;
            e.Coolant = coolant;
            e.Dwell = dwell;
            e.Mode = mode;
            e.XPos = size;
            e.YPos = 7;
            TGCodeMemorySink sink;
            TGCodeFile list(sink);
            WriteProgram({CheckJob(e), {}, std::string(4096, 'p'), kTime}, list);
            EXPECT_LE(static_cast<double>(sink.Lines().size()), EstimateProgramLines(e))
                << dialect << " " << coolant << " " << dwell << " " << mode << " " << size;
            EXPECT_LE(static_cast<double>(sink.Text().size()), EstimateProgramBytes(e));
          }
}
