// How the cutter reaches each layer's level: the plunge as always, the ramp along the first pass.

#include "toolpath/Entry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "GrblChecker.h"
#include "toolpath/GenerateCode.h"
#include "toolpath/ProgramLimits.h"

namespace {

std::vector<std::string> Lines(const TJobEntries& e) {
  TGCodeMemorySink sink;
  TGCodeFile list(sink);
  WriteProgram({CheckJob(e), {}, "/tmp/face.nc", "2011-06-18 14:05"}, list);
  return sink.Lines();
}

// Up to `count` lines from the first that is `from`.
std::string Excerpt(const std::vector<std::string>& lines, const std::string& from, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != from) continue;
    for (std::size_t j = i; j < lines.size() && j < i + count; ++j) text += lines[j] + "\n";
    break;
  }
  return text;
}

TJobEntries Plate(int mode = kModeSpiral) {
  TJobEntries e;
  e.XPos = 20, e.YPos = 12, e.Layer = 2, e.Mode = mode, e.Entry = kEntryRamp;
  return e;
}

}  // namespace

// Worked by hand for the 20 x 12 plate and a 6 mm cutter: the spiral's first pass runs up from Y3 to Y9,
// 6 mm; at 3 degrees a leg of 6 mm goes down at most tan 3 x 5.999 - 0.001 = 0.313 mm, so the step of 1 mm
// takes four legs, made five (odd) of 0.2 mm each, then back to the start at the level. The zig-zag along
// X ramps along its 14 mm first pass: at 10 degrees one leg of (1.001) / tan 10 + 0.001 = 5.678 mm does.
TEST(RampEntry, LegsOfTheWorkedPlate) {
  const struct {
    TJobEntries job;
    const char* from;
    const char* expected;
  } rows[] = {
      {Plate(), "G00 F1000 X3.000 Y3.000 Z2.000",
       "G00 F1000 X3.000 Y3.000 Z2.000\nG01 F120 Z0.000\nG01 X3.000 Y9.000 Z-0.200\n"
       "G01 X3.000 Y3.000 Z-0.400\nG01 X3.000 Y9.000 Z-0.600\nG01 X3.000 Y3.000 Z-0.800\n"
       "G01 X3.000 Y9.000 Z-1.000\nG01 X3.000 Y3.000\nG01 Y9.000\n"},
      {[] {
         TJobEntries e = Plate(kModeXZigzag);
         e.RampAngle = 10;
         return e;
       }(),
       "G00 F1000 X3.000 Y3.000 Z2.000",
       "G00 F1000 X3.000 Y3.000 Z2.000\nG01 F120 Z0.000\nG01 X8.678 Y3.000 Z-1.000\nG01 X3.000 Y3.000\n"
       "G01 X17.000\n"},
  };
  for (const auto& r : rows) {
    const std::string expected = r.expected;
    EXPECT_EQ(Excerpt(Lines(r.job), r.from, std::count(expected.begin(), expected.end(), '\n')), expected);
  }

  // Between the layers: across to the start corner, down to the level just cut, then the same legs.
  const auto lines = Lines(Plate());
  std::string second;
  for (std::size_t i = 0; i + 3 < lines.size(); ++i)
    if (lines[i] == "G01 F120 Z-1.000") second = lines[i + 1] + "\n" + lines[i + 5] + "\n" + lines[i + 6];
  EXPECT_EQ(second, "G01 X3.000 Y9.000 Z-1.200\nG01 X3.000 Y9.000 Z-2.000\nG01 X3.000 Y3.000");
}

// Where the overcut takes the cutter's disc at the start corner clear of the stock (at least the radius
// from the face's corner), the layer plunges as with plunge entry; closer, it ramps.
TEST(RampEntry, APlungeBesideTheStockStaysAPlunge) {
  const struct {
    double overcut;
    bool clear;
  } rows[] = {{0, false}, {3, false}, {5, false}, {5.2, true}, {6, true}, {9, true}};
  for (const auto& r : rows) {
    TJobEntries e = Plate();
    e.Overcut = r.overcut;
    EXPECT_EQ(StartClearOfStock(MakeFacingJob(e)), r.clear) << r.overcut;
    TJobEntries plunge = e;
    plunge.Entry = kEntryPlunge;
    EXPECT_EQ(Lines(e) == Lines(plunge), r.clear) << r.overcut;
  }
}

// Ramp entry and the overcut in GRBL: every line passes a stock GRBL 1.1, every strategy and angle.
TEST(RampEntry, GrblRunsEveryRamp) {
  for (int mode : {kModeSpiral, kModeXZigzag, kModeYZigzag})
    for (double angle : {0.5, 3.0, 30.0, 90.0})
      for (double overcut : {0.0, 2.0, 7.0}) {
        TJobEntries e = Plate(mode);
        e.Dialect = kDialectGrbl, e.RampAngle = angle, e.Overcut = overcut, e.Layer = 3;
        EXPECT_EQ(grbl::Problems(Lines(e)), std::vector<std::string>{})
            << mode << " " << angle << " " << overcut;
      }
}
