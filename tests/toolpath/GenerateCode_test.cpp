#include "toolpath/GenerateCode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#ifndef _WIN32
#include "ChildProcess.h"
#endif
#include "TempDir.h"
#include "TestSupport.h"
#include "WorkedExample.h"
#include "dvTools/dvError.h"
#include "toolpath/ProgramLimits.h"

namespace fs = std::filesystem;

namespace {

const std::string kPlatePath = "D:\\nc\\plate.nc";
const std::string kPlateTime = "2011-06-18 14:05";

TProgramRequest Request(const TJobEntries& e, fs::path out = {}) {
  return {CheckJob(e), std::move(out), kPlatePath, kPlateTime};
}

std::vector<std::string> Lines(const TJobEntries& e) {
  TGCodeMemorySink sink;
  TGCodeFile list(sink);
  WriteProgram(Request(e), list);
  return sink.Lines();
}

std::string Text(const TJobEntries& e) {
  TGCodeMemorySink sink;
  TGCodeFile list(sink);
  WriteProgram(Request(e), list);
  return sink.Text();
}

int FilesIn(const fs::path& dir) {
  return static_cast<int>(std::distance(fs::directory_iterator(dir), {}));
}

int Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

}  // namespace

TEST(GenerateCode, WorkedExampleByteForByte) {
  const struct {
    bool absolute;
    const char* golden;
  } rows[] = {{false, "plate-2-layers-relative.nc"}, {true, "plate-2-layers-absolute.nc"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.golden);
    const std::string expected = ReadBytes(fs::path(SKIMPLANE_TEST_DATA) / r.golden);
    ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), 48);
    TJobEntries e = Plate();
    e.ZUpAbs = r.absolute;
    ExpectSameBytes(Text(e), expected);

    TempDir dir;
    GenerateCode(Request(e, dir / "plate.nc"));
    ExpectSameBytes(ReadBytes(dir / "plate.nc"), expected);
  }
}

// The centre pass is opt-in: the worked example without it is the golden file (above); with it, each
// layer gains the centre pass's lines and nothing else changes.
TEST(GenerateCode, CentrePassAddsItsLinesToEachSpiralLayerOnly) {
  const std::string golden = ReadBytes(fs::path(SKIMPLANE_TEST_DATA) / "plate-2-layers-relative.nc");
  TJobEntries e = Plate();
  EXPECT_EQ(Text(e), golden);
  e.FinishCentre = true;
  const auto lines = Lines(e);
  EXPECT_EQ(lines.size(), 48u + 2 * 15);
  // The centre pass of each layer comes right after its spiral's last leg and ends at the start corner.
  const struct {
    const char* level;
    const char* retract;  // the edge clean's, ZUp above the level
  } layers[] = {{"Z-1.000", "Z1.000"}, {"Z-2.000", "Z0.000"}};
  for (const auto& layer : layers) {
    const auto plunge = std::find(lines.begin(), lines.end(), std::string("G01 F120 ") + layer.level);
    ASSERT_NE(plunge, lines.end());
    ASSERT_LT(plunge + 20, lines.end());
    EXPECT_EQ(*(plunge + 4), "G01 X8.500");
    EXPECT_EQ(*(plunge + 5), "G01 X3.000 Y3.000");
    EXPECT_EQ(*(plunge + 19), "G01 X3.000 Y3.000");
    EXPECT_EQ(*(plunge + 20), std::string("G00 F1000 ") + layer.retract);
  }
  EXPECT_EQ(Count(lines, "G01 F120 Z-1.000"), 3);  // no plunge of its own
  EXPECT_EQ(Count(lines, "G01 F120 Z-2.000"), 3);
}

TEST(GenerateCode, FileHoldsExactlyTheStreamedLinesOfALargeProgram) {
  // Several hundred kilobytes: the file passes through many blocks of the writer.
  TJobEntries e;
  e.XPos = 900;
  e.YPos = 700;
  e.Knit = 1;
  e.Cross = 0.25;
  e.Layer = 12;
  e.Mode = kModeXZigzag;
  TempDir dir;
  WriteBytes(dir / "big.nc", "old program");
  GenerateCode(Request(e, dir / "big.nc"));
  const std::string expected = Text(e);
  EXPECT_GT(expected.size(), 300'000u);
  EXPECT_EQ(ReadBytes(dir / "big.nc"), expected);
  EXPECT_EQ(FilesIn(dir.path()), 1);
}

TEST(GenerateCode, LayerCountsOfOneOrLessCutOneLayer) {
  for (int mode : {kModeSpiral, kModeXZigzag, kModeYZigzag}) {
    TJobEntries e = Plate();
    e.Mode = mode;
    e.Layer = 1;
    const std::string one = Text(e);
    for (int32_t layers : {0, -3, std::numeric_limits<int32_t>::min()}) {
      e.Layer = layers;
      EXPECT_EQ(Text(e), one) << "mode " << mode << ", layers " << layers;
    }
    EXPECT_EQ(one.find("\xB7\xD6\xB2\xE3"), std::string::npos);  // no layer mark
  }
}

TEST(GenerateCode, ThreeLayersAreMarkedAndCutOneStepDeeperEach) {
  TJobEntries e = Plate();
  e.Layer = 3;
  e.ZPos = 1.5;
  e.Mode = kModeXZigzag;
  const auto lines = Lines(e);
  std::vector<std::string> marks, plunges;
  for (const auto& l : lines) {
    if (l.rfind("( \xB7\xD6\xB2\xE3\xB1\xEA\xD6\xBE", 0) == 0) marks.push_back(l);
    if (l.rfind("G01 F120 Z", 0) == 0 && (plunges.empty() || plunges.back() != l)) plunges.push_back(l);
  }
  EXPECT_EQ(marks, (std::vector<std::string>{"( \xB7\xD6\xB2\xE3\xB1\xEA\xD6\xBE: \xB5\xDA"
                                             "2\xB2\xE3 )",
                                             "( \xB7\xD6\xB2\xE3\xB1\xEA\xD6\xBE: \xB5\xDA"
                                             "3\xB2\xE3 )"}));
  EXPECT_EQ(plunges, (std::vector<std::string>{"G01 F120 Z-1.500", "G01 F120 Z-3.000", "G01 F120 Z-4.500"}));
  // Each transition: mark, retract ZUp above the level just cut, back to the corner, plunge.
  const auto second = std::find(lines.begin(), lines.end(), marks[1]);
  ASSERT_NE(second, lines.end());
  EXPECT_EQ(*(second + 1), "G00 F1000 Z-1.000");
  EXPECT_EQ(*(second + 2), "G01 X3.000 Y3.000");
  EXPECT_EQ(*(second + 3), "G01 F120 Z-4.500");
  EXPECT_EQ(lines.size(), 4 + 6 + 3 * 10 + 2 * 4 + 4u);
}

// A step-down of 0 skims the top in one layer; with more layers it is refused (see the refusals).
TEST(GenerateCode, StepDownZeroCutsOneLayerAtZero) {
  TJobEntries e = Plate();
  e.ZPos = 0;
  e.Layer = 1;
  const auto lines = Lines(e);
  for (const auto& l : lines) {
    if (l.rfind("G01 F", 0) == 0) {
      EXPECT_EQ(l, "G01 F120 Z0.000");
    }
  }
  EXPECT_EQ(Count(lines, "G01 F120 Z0.000"), 3);
}

TEST(GenerateCode, StartAndEndBlocks) {
  TJobEntries e = Plate();
  e.Speed = 1;
  e.Fro = 7;
  e.Knit = 6.125;
  e.ZUp = 7.25;
  e.ZUpAbs = true;
  const auto lines = Lines(e);
  ASSERT_GT(lines.size(), 14u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.begin() + 10),
            (std::vector<std::string>{"( \xB9\xA4\xBC\xFE\xB3\xDF\xB4\xE7:20.000 x 12.000 mm )",
                                      "G00 G90 G94 G40 G54 G80", "T1 M06", "M03 S1", "M07",
                                      "G00 F1000 X3.063 Y3.063 Z7.250", "G01 F7 Z-1.000"}));
  EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
            (std::vector<std::string>{"G00 F1000 Z7.250", "M09", "M05", "M02"}));
}

// The S and F words as the start block writes them, for every integer the job may carry (zero and
// negative values included, which the job check may refuse before a program is built).
TEST(GenerateCode, StartBlockWritesSpindleAndFeedAsTheirDecimalText) {
  const struct {
    int32_t value;
    const char* text;
  } rows[] = {
      {0, "0"},
      {1, "1"},
      {2, "2"},
      {3, "3"},
      {4, "4"},
      {5, "5"},
      {6, "6"},
      {7, "7"},
      {8, "8"},
      {9, "9"},
      {10, "10"},
      {11, "11"},
      {99, "99"},
      {100, "100"},
      {101, "101"},
      {-1, "-1"},
      {-9, "-9"},
      {-10, "-10"},
      {-11, "-11"},
      {INT32_MAX, "2147483647"},
      {INT32_MIN, "-2147483648"},
  };
  for (const auto& r : rows) {
    TFacingJob job = MakeFacingJob(Plate());
    job.Speed = r.value;
    job.Fro = r.value;
    TGCodeMemorySink sink;
    TGCodeFile list(sink);
    AddProgramStart(job, list);
    ASSERT_EQ(sink.Lines().size(), 6u);
    EXPECT_EQ(sink.Lines()[2], std::string("M03 S") + r.text) << r.value;
    EXPECT_EQ(sink.Lines()[5], std::string("G01 F") + r.text + " Z-1.000") << r.value;
  }
}

// The whole program of jobs the check lets through: the S word once, the feed on every plunge.
TEST(GenerateCode, SpindleAndFeedWordsOfWholePrograms) {
  const struct {
    int32_t value;
    const char* text;
  } rows[] = {
      {1, "1"},     {2, "2"},     {9, "9"},
      {10, "10"},   {11, "11"},   {99, "99"},
      {100, "100"}, {101, "101"}, {INT32_MAX, "2147483647"},
  };
  for (const auto& r : rows) {
    for (int mode : {kModeSpiral, kModeXZigzag, kModeYZigzag}) {
      TJobEntries e = Plate();
      e.Mode = mode;
      e.Speed = r.value;
      e.Fro = r.value;
      const auto lines = Lines(e);
      EXPECT_EQ(Count(lines, std::string("M03 S") + r.text), 1) << r.value << " mode " << mode;
      int plunges = 0;
      for (const auto& l : lines) {
        if (l.rfind("G01 F", 0) != 0) continue;
        ++plunges;
        EXPECT_TRUE(l == std::string("G01 F") + r.text + " Z-1.000" ||
                    l == std::string("G01 F") + r.text + " Z-2.000")
            << l << " (feed " << r.value << ", mode " << mode << ")";
      }
      EXPECT_GE(plunges, 2) << r.value << " mode " << mode;  // one per layer at least
    }
  }
}

TEST(GenerateCode, RefusesJobsThatCannotFinishOrBeWritten) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    std::function<void(TJobEntries&)> change;
    std::string message;
  } rows[] = {
      {[](TJobEntries& e) { e.Cross = 6; },
       "The pass step (diameter - overlap) must be above zero, but diameter 6 - overlap 6 = 0"},
      {[](TJobEntries& e) { e.Cross = 6.5; },
       "The pass step (diameter - overlap) must be above zero, but diameter 6 - overlap 6.5 = -0.5"},
      {[](TJobEntries& e) { e.Knit = -2, e.Cross = 0; }, "The diameter must be above zero, but it is -2"},
      {[](TJobEntries& e) { e.Knit = 0, e.Mode = kModeYZigzag; },
       "The diameter must be above zero, but it is 0"},
      // What the cutter cannot cut safely: a face it does not fit, levels that do not go down, a retract
      // that does not clear the stock, coordinates no controller reads.
      {[](TJobEntries& e) { e.XPos = -50; }, "The X size must be above zero, but it is -50"},
      {[](TJobEntries& e) { e.YPos = 0; }, "The Y size must be above zero, but it is 0"},
      {[](TJobEntries& e) { e.XPos = 4, e.YPos = 20; },
       "The X size 4 is smaller than the cutter diameter 6: the cutter does not fit inside the face; an "
       "overcut of at least 1 mm lets it cut past the edges"},
      {[](TJobEntries& e) { e.XPos = 4, e.YPos = 20, e.Overcut = 0.9; },
       "The X size 4 with twice the overcut 0.9 is smaller than the cutter diameter 6: the cutter does not "
       "fit inside the face; an overcut of at least 1 mm lets it cut past the edges"},
      {[](TJobEntries& e) { e.Overcut = -0.5; },
       "The overcut must not be below zero, but it is -0.5: the cutter would stay further inside the face "
       "than its radius"},
      {[nan](TJobEntries& e) { e.Overcut = nan; }, "The overcut is not a finite number: nan"},
      {[](TJobEntries& e) { e.YPos = 5.999, e.Mode = kModeXZigzag; },
       "The Y size 5.999 is smaller than the cutter diameter 6: the cutter does not fit inside the face; an "
       "overcut of at least 0.001 mm lets it cut past the edges"},
      {[](TJobEntries& e) { e.ZPos = -1, e.Layer = 3; },
       "The step-down must not be below zero, but it is -1: every layer would cut above the one before"},
      {[](TJobEntries& e) { e.ZPos = 0, e.Layer = 3; },
       "The step-down is 0 with 3 layers: every layer would cut the same level; enter a step-down above zero "
       "or one layer"},
      {[](TJobEntries& e) { e.ZUp = -1; },
       "The retract height must be above zero, but it is -1: a relative retract at or below the cut drags "
       "the cutter through the stock"},
      {[](TJobEntries& e) { e.ZUp = 0; },
       "The retract height must be above zero, but it is 0: a relative retract at or below the cut drags "
       "the cutter through the stock"},
      {[](TJobEntries& e) { e.ZUp = 0, e.ZUpAbs = true; },
       "The absolute retract height must be above the top of the face (Z0), but it is 0: the cutter would "
       "cross the stock at that height"},
      {[](TJobEntries& e) { e.XPos = 1000000; }, "The X size must stay below 1000000 mm, but it is 1000000"},
      {[](TJobEntries& e) { e.Cross = -2e6; }, "The overlap must stay below 1000000 mm, but it is -2000000"},
      {[](TJobEntries& e) { e.ZPos = 10, e.Layer = 100000; },
       "The depth of the last layer (100000 layers x step-down 10) must stay below 1000000 mm, but it is "
       "1000000"},
      {[](TJobEntries& e) { e.XPos = 600000, e.YPos = 500000; },
       "The sizes of this job are too large: its coordinates could reach 1100009.5 mm, but they must stay "
       "below 1000000 mm"},
      {[&](TJobEntries& e) { e.XPos = nan; }, "The X size is not a finite number: nan"},
      {[&](TJobEntries& e) { e.YPos = inf; }, "The Y size is not a finite number: inf"},
      {[&](TJobEntries& e) { e.Knit = -inf; }, "The diameter is not a finite number: -inf"},
      {[&](TJobEntries& e) { e.Cross = nan; }, "The overlap is not a finite number: nan"},
      {[&](TJobEntries& e) { e.ZPos = inf; }, "The step-down is not a finite number: inf"},
      {[&](TJobEntries& e) { e.ZUp = nan; }, "The retract height is not a finite number: nan"},
      {[](TJobEntries& e) { e.Mode = 4; }, "The clearing strategy 4 is unknown"},
      {[](TJobEntries& e) { e.Direction = 3; }, "The cut direction 3 is unknown"},
      {[](TJobEntries& e) { e.FinishDepth = -0.2, e.FinishFeed = 60; },
       "The finishing depth must not be below zero, but it is -0.2: the finishing layer would cut above the "
       "last one"},
      {[](TJobEntries& e) { e.FinishDepth = 0.2; },
       "The finishing feed must be above zero with a finishing depth, but it is 0"},
      {[](TJobEntries& e) { e.FinishDepth = 0.2, e.FinishFeed = -60; },
       "The finishing feed must be above zero with a finishing depth, but it is -60"},
      {[&](TJobEntries& e) { e.FinishDepth = nan; }, "The finishing depth is not a finite number: nan"},
      {[](TJobEntries& e) { e.ZPos = 10, e.Layer = 99999, e.FinishDepth = 20, e.FinishFeed = 60; },
       "The depth of the finishing layer (999990 + finishing depth 20) must stay below 1000000 mm, but it is "
       "1000010"},
      {[](TJobEntries& e) { e.Entry = 2; }, "The entry 2 is unknown"},
      {[](TJobEntries& e) { e.RampAngle = 0; },
       "The ramp angle must be above 0 and at most 90 degrees, but it is 0"},
      {[](TJobEntries& e) { e.RampAngle = 90.5, e.Entry = kEntryRamp; },
       "The ramp angle must be above 0 and at most 90 degrees, but it is 90.5"},
      {[&](TJobEntries& e) { e.RampAngle = nan; },
       "The ramp angle must be above 0 and at most 90 degrees, but it is nan"},
      // A ramp needs a first pass to go down along, and an edge clean that goes down onto cut material.
      {[](TJobEntries& e) { e.XPos = 6, e.YPos = 6, e.Entry = kEntryRamp; },
       "The first pass is 0 mm long: too short to ramp down along at 3 degrees; choose a steeper ramp, an "
       "overcut or plunge entry"},
      {[](TJobEntries& e) { e.XPos = 6, e.YPos = 6.01, e.Entry = kEntryRamp; },
       "The first pass is 0.01 mm long: too short to ramp down along at 3 degrees; choose a steeper ramp, "
       "an overcut or plunge entry"},
      {[](TJobEntries& e) { e.XPos = 9, e.YPos = 30, e.Entry = kEntryRamp; },
       "On a face this narrow the spiral's edge clean goes down into uncut material, which ramp entry does "
       "not allow: leave out the edge clean, choose another strategy or plunge entry"},
      {[](TJobEntries& e) { e.XPos = 1.7e308, e.YPos = 1.7e308, e.Knit = 1e308, e.Cross = 0; },
       "The X size must stay below 1000000 mm, but it is 1.7e+308"},
      {[](TJobEntries& e) { e.ZPos = 1e308, e.Layer = 100; },
       "The step-down must stay below 1000000 mm, but it is 1e+308"},
      {[](TJobEntries& e) { e.XPos = 3000, e.YPos = 2000, e.Knit = 0.1, e.Cross = 0.01, e.Layer = 5000; },
       "The program would have about 222346121 lines, more than the limit of 200000000 lines"},
      {[](TJobEntries& e) { e.XPos = 900000, e.Knit = 0.01, e.Cross = 0.005, e.Mode = kModeYZigzag; },
       "The program would have about 360000020 lines, more than the limit of 200000000 lines"},
      {[](TJobEntries& e) { e.ZPos = 0.0001, e.Layer = std::numeric_limits<int32_t>::max(); },
       "The program would have about 166137143973 lines, more than the limit of 200000000 lines"},
      // A plunge at feed 0 stops the control with the spindle running; speed 0 plunges a standing cutter.
      {[](TJobEntries& e) { e.Fro = 0; }, "The feed must be above zero, but it is 0"},
      {[](TJobEntries& e) { e.Fro = -120; }, "The feed must be above zero, but it is -120"},
      {[](TJobEntries& e) { e.Fro = std::numeric_limits<int32_t>::min(); },
       "The feed must be above zero, but it is -2147483648"},
      {[](TJobEntries& e) { e.Speed = 0; }, "The spindle speed must be above zero, but it is 0"},
      {[](TJobEntries& e) { e.Speed = -5000; }, "The spindle speed must be above zero, but it is -5000"},

  };
  for (const auto& r : rows) {
    TJobEntries e;
    r.change(e);
    TempDir dir;
    WriteBytes(dir / "keep.nc", "old program");
    EXPECT_EQ(ErrorOf([&] { GenerateCode(Request(e, dir / "keep.nc")); }), r.message);
    EXPECT_EQ(ErrorOf([&] { Lines(e); }), r.message);
    EXPECT_EQ(ReadBytes(dir / "keep.nc"), "old program");
    EXPECT_EQ(FilesIn(dir.path()), 1);
  }
}

// A pass step that is positive but below the rounding of the zig-zag's sums (2R + row) - C never moves
// the row on: such a job must be refused before a line is built, not written without end.
TEST(GenerateCode, RefusesZigzagsWhosePassStepIsLostInRounding) {
  const double r = 1e17, c = 2e17 - 32;  // pass step 32, below the spacing of doubles near 3e17
  const struct {
    int mode;
    double x, y;
  } rows[] = {
      {kModeXZigzag, 100, 2e17 + 1024},
      {kModeYZigzag, 2e17 + 1024, 100},
  };
  for (const auto& row : rows) {
    TJobEntries e;
    e.Mode = row.mode, e.XPos = row.x, e.YPos = row.y, e.Knit = r * 2, e.Cross = c;
    TempDir dir;
    WriteBytes(dir / "keep.nc", "old program");
    // Checked first, so that a job that is not refused fails here instead of writing without end. Sizes
    // this large are refused outright now; the rounding check stays behind them.
    const std::string refusal = ErrorOf([&] { (void)CheckJob(e); });
    ASSERT_NE(refusal, "") << row.mode;
    EXPECT_EQ(ErrorOf([&] { GenerateCode(Request(e, dir / "keep.nc")); }), refusal) << row.mode;
    EXPECT_EQ(ReadBytes(dir / "keep.nc"), "old program");
    EXPECT_EQ(FilesIn(dir.path()), 1);
  }
  // The same pass step on sizes it can move across is written as usual.
  TJobEntries fine;
  fine.Mode = kModeXZigzag, fine.XPos = 100, fine.YPos = 1024, fine.Knit = 64, fine.Cross = 32;
  EXPECT_EQ(ErrorOf([&] { (void)CheckJob(fine); }), "");
}

// A layer count of zero or less cuts one layer, so it must count as one layer in the limits as well.
TEST(GenerateCode, LayerCountsOfOneOrLessAreRefusedAlikeOverTheLimits) {
  const struct {
    std::function<void(TJobEntries&)> change;
    std::string message;
  } jobs[] = {
      {[](TJobEntries& e) { e.XPos = 900000, e.Knit = 0.01, e.Cross = 0.005, e.Mode = kModeYZigzag; },
       "The program would have about 360000020 lines, more than the limit of 200000000 lines"},
  };
  for (const auto& job : jobs) {
    for (int layers : {1, 0, -3}) {
      TJobEntries e;
      job.change(e);
      e.Layer = layers;
      EXPECT_EQ(ErrorOf([&] { (void)CheckJob(e); }), job.message) << layers;
    }
  }
}

TEST(GenerateCode, EstimatedBytesBoundTheRealSize) {
  const struct {
    double x, y;
    int layers, mode;
  } jobs[] = {{150, 200, 1, kModeSpiral},  {20, 12, 2, kModeXZigzag},   {900000, 40, 3, kModeXZigzag},
              {40, 900000, 2, kModeYZigzag}, {12, 40, 1, kModeSpiral}, {300, 20, 5, kModeYZigzag}};
  for (const auto& j : jobs) {
    TJobEntries e;
    e.XPos = j.x, e.YPos = j.y, e.Layer = j.layers, e.Mode = j.mode;
    e.Fro = std::numeric_limits<int32_t>::max(), e.Speed = std::numeric_limits<int32_t>::max();
    const double real = static_cast<double>(Text(e).size());
    EXPECT_GE(EstimateProgramBytes(e), real) << j.x << " x " << j.y;
    EXPECT_LE(EstimateProgramBytes(e), real * 4 + 10000) << j.x << " x " << j.y;
  }
}

// The path in the header's comment can neither end the comment nor start lines of its own; the file
// itself keeps its true name.
TEST(GenerateCode, HeaderPathCannotEndTheCommentOrAddLines) {
  const struct {
    std::string path, shown;
  } rows[] = {
      {"/home/u/plate (2).nc", "/home/u/plate [2].nc"},
      {"/home/u/New folder (2)/a.nc", "/home/u/New folder [2]/a.nc"},
      {"a\r\nG00 Z-50\r\n(b.nc", "a??G00 Z-50??[b.nc"},
      {std::string("tab\t nul") + '\0' + "del\x7F end", "tab? nul?del? end"},
      {"\xC6\xBD\xC3\xE6 \x81\x40\xFE\xFE.nc", "\xC6\xBD\xC3\xE6 \x81\x40\xFE\xFE.nc"},  // GBK passes whole
      {"plate.nc", "plate.nc"},
  };
  for (const auto& r : rows) {
    TGCodeMemorySink sink;
    TGCodeFile list(sink);
    WriteProgram({CheckJob(Plate()), {}, r.path, kPlateTime}, list);
    ASSERT_EQ(sink.Lines().size(), 48u) << r.shown;
    EXPECT_EQ(sink.Lines()[2], "( " + r.shown + " \xB4\xB4\xBD\xA8\xD3\xDA 2011-06-18 14:05 )");
  }
  TempDir dir;
  GenerateCode({CheckJob(Plate()), dir / "plate (2).nc", (dir / "plate (2).nc").string(), kPlateTime});
  EXPECT_NE(ReadBytes(dir / "plate (2).nc").find("( " + (dir / "plate [2].nc").string() + " "),
            std::string::npos);
  EXPECT_EQ(FilesIn(dir.path()), 1);
}

TEST(GenerateCode, EstimateBoundsTheRealLineCount) {
  const struct {
    double x, y, d, c;
    int layers;
  } faces[] = {{150, 200, 6, 0.5, 1},  {20, 12, 6, 0.5, 2},    {6, 6, 6, 0.5, 3}, {6.5, 40, 6, 5.9, 1},
               {300, 20, 0.5, 0.1, 2}, {20, 300, 0.5, 0.1, 2}, {12, 20, 6, 0, 7}, {1000, 1000, 2, 1.9, 1}};
  for (const auto& f : faces) {
    for (int mode : {kModeSpiral, kModeXZigzag, kModeYZigzag})
      for (int direction : {kDirectionBoth, kDirectionClimb, kDirectionConventional}) {
        TJobEntries e;
        e.XPos = f.x, e.YPos = f.y, e.Knit = f.d, e.Cross = f.c, e.Layer = f.layers, e.Mode = mode;
        e.Direction = direction;
        const double real = static_cast<double>(Lines(e).size());
        const double estimate = EstimateProgramLines(e);
        EXPECT_GE(estimate, real) << f.x << " x " << f.y << " mode " << mode << " direction " << direction;
        EXPECT_LE(estimate, real * 1.3 + 40)
            << f.x << " x " << f.y << " mode " << mode << " direction " << direction;
        // The checked job carries the same estimate, so a run need not work it out again.
        EXPECT_EQ(CheckJob(e).EstimatedLines(), estimate) << f.x << " x " << f.y << " mode " << mode;
        // The centre pass's rows are bounded by the face, not by where the spiral ends: an upper bound only.
        e.FinishCentre = true;
        EXPECT_GE(EstimateProgramLines(e), static_cast<double>(Lines(e).size())) << f.x << " x " << f.y;
        // The finishing layer is one layer more, its transition included.
        e.FinishDepth = 0.1, e.FinishFeed = 60;
        EXPECT_GE(EstimateProgramLines(e), static_cast<double>(Lines(e).size())) << f.x << " x " << f.y;
      }
  }
}

TEST(GenerateCode, SaveFailuresKeepTheOldFile) {
  TempDir dir;
  WriteBytes(dir / "ro.nc", "old program");
  fs::permissions(dir / "ro.nc", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const struct {
    fs::path target;
    std::string message;
  } rows[] = {
      {dir / "ro.nc", "Cannot create file \"" + (dir / "ro.nc").string() + "\". Permission denied"},
      {dir / "missing" / "x.nc",
       "Cannot create file \"" + (dir / "missing" / "x.nc").string() + "\". No such file or directory"},
  };
  for (const auto& r : rows) EXPECT_EQ(ErrorOf([&] { GenerateCode(Request(Plate(), r.target)); }), r.message);
  EXPECT_EQ(ReadBytes(dir / "ro.nc"), "old program");
  EXPECT_EQ(FilesIn(dir.path()), 1);
}

#ifndef _WIN32
// The full disk is a file size limit in a forked child (setrlimit): POSIX only.
TEST(GenerateCode, FullDiskGivesStreamWriteErrorAndKeepsTheOldFile) {
  TempDir dir;
  WriteBytes(dir / "full.nc", "old program");
  TJobEntries e = Plate();
  e.Layer = 100;
  EXPECT_EQ(ErrorOnFullDisk([&] { GenerateCode(Request(e, dir / "full.nc")); }), "Stream write error");
  EXPECT_EQ(ReadBytes(dir / "full.nc"), "old program");
  EXPECT_EQ(FilesIn(dir.path()), 1);
}
#endif

TEST(FormatHeaderDateTime, PadsEveryField) {
  const struct {
    int y, mo, d, h, mi;
    char sep;
    const char* text;
  } rows[] = {{2011, 6, 18, 14, 5, ':', "2011-06-18 14:05"},
              {2026, 1, 2, 0, 0, ':', "2026-01-02 00:00"},
              {999, 12, 31, 23, 59, '.', "0999-12-31 23.59"}};
  for (const auto& r : rows) EXPECT_EQ(FormatHeaderDateTime(r.y, r.mo, r.d, r.h, r.mi, r.sep), r.text);
}
