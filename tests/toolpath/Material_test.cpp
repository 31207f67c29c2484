// Every program replayed on a model of the material: no rapid through material, no cut below the job's
// levels, no feed off the face; over seeded random jobs of every strategy and option, and the worked jobs.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "MaterialModel.h"
#include "WorkedExample.h"
#include "dvTools/dvError.h"
#include "toolpath/GenerateCode.h"
#include "toolpath/ProgramLimits.h"

namespace {

std::vector<std::string> ProblemsOf(const TJobEntries& e) {
  TGCodeMemorySink sink;
  TGCodeFile list(sink);
  WriteProgram({CheckJob(e), {}, "/tmp/face.nc", "2011-06-18 14:05"}, list);
  TMaterialModel model(e.XPos, e.YPos, e.Knit / 2, -std::max(e.Layer, 1) * e.ZPos, e.Overcut);
  if (e.Entry == kEntryRamp) model.AllowRamp(e.RampAngle);
  for (const auto& line : sink.Lines()) model.Line(line);
  return model.Problems();
}

std::string Describe(const TJobEntries& e) {
  std::ostringstream out;
  out << "--x " << e.XPos << " --y " << e.YPos << " --diameter " << e.Knit << " --overlap " << e.Cross
      << " --step-down " << e.ZPos << " --retract " << e.ZUp << (e.ZUpAbs ? " --absolute" : "") << " --layers "
      << e.Layer << " --strategy " << e.Mode << (e.ClearEnd ? "" : " --no-clear-end")
      << (e.FinishCentre ? " --finish-centre" : "") << " --dialect " << e.Dialect << " --overcut " << e.Overcut
      << (e.Entry == kEntryRamp ? " --entry ramp" : "") << " --ramp-angle " << e.RampAngle;
  return out.str();
}

std::string Joined(const std::vector<std::string>& problems) {
  std::string all;
  for (const auto& p : problems) all += p + "; ";
  return all;
}

TEST(MaterialModel, WorkedJobsAndKnownCrossingsHurtNothing) {
  std::vector<TJobEntries> jobs = {TJobEntries{}};
  for (bool absolute : {false, true}) {
    for (int dialect : {kDialectIso, kDialectGrbl}) {
      TJobEntries plate = Plate();
      plate.ZUpAbs = absolute, plate.Dialect = dialect;
      jobs.push_back(plate);
    }
  }
  // Rapids that crossed what the spiral left standing: its middle, and the notch at its start.
  TJobEntries fin;
  fin.XPos = 30, fin.YPos = 30, fin.Knit = 5, fin.Cross = 0, fin.ZPos = 4, fin.ZUp = 3, fin.Layer = 2;
  jobs.push_back(fin);
  TJobEntries notch = Plate();
  notch.ClearEnd = false, notch.Layer = 4;
  jobs.push_back(notch);
  // A face too large for the map of what a layer cuts: every crossing clears the top instead.
  TJobEntries large;
  large.XPos = 100, large.YPos = 90, large.Knit = 1, large.Cross = -0.2, large.Layer = 4, large.ClearEnd = false;
  large.Mode = kModeXZigzag;
  jobs.push_back(large);
  for (const auto& e : jobs) EXPECT_EQ(Joined(ProblemsOf(e)), "") << Describe(e);
}

// Seeded, so a failure names a job that fails again; the jobs the check refuses are drawn again.
TEST(MaterialModel, FiveHundredRandomJobsHurtNothing) {
  std::mt19937_64 random(20261209);
  const auto uniform = [&](double from, double to) {
    return from + (to - from) * static_cast<double>(random() >> 11) * 0x1p-53;
  };
  const auto chance = [&] { return (random() & 1) != 0; };
  int accepted = 0, raised = 0, ramps = 0;
  while (accepted < 500) {
    TJobEntries e;
    e.Knit = uniform(1, 12);
    e.XPos = e.Knit * uniform(1, 10);
    e.YPos = e.Knit * uniform(1, 10);
    e.Cross = e.Knit * uniform(-0.3, 0.9);
    e.ZPos = uniform(0, 3);
    e.ZUp = uniform(0.1, 4);
    e.ZUpAbs = chance();
    e.Layer = static_cast<int32_t>(random() % 6);
    e.Mode = static_cast<int>(random() % 3) + 1;
    e.ClearEnd = chance();
    e.FinishCentre = chance();
    e.Dialect = chance() ? kDialectIso : kDialectGrbl;
    // Up to beyond the cutter's diameter, and faces narrower than the cutter that only an overcut fits.
    if (chance()) {
      e.Overcut = e.Knit * uniform(0, 1.2);
      if (chance()) e.XPos = e.Knit * uniform(0.2, 1);
    }
    if (chance()) {
      e.Entry = kEntryRamp;
      e.RampAngle = chance() ? uniform(0.5, 45) : 90;
    }
    try {
      (void)CheckJob(e);
    } catch (const EDVError&) {
      continue;
    }
    ++accepted;
    const auto problems = ProblemsOf(e);
    ASSERT_EQ(Joined(problems), "") << Describe(e);
    raised += !e.ZUpAbs && e.ZUp < e.ZPos * std::max(e.Layer, 1);
    ramps += e.Entry == kEntryRamp;
  }
  EXPECT_GT(raised, 100);  // enough of them retract below the top for the crossings to matter
  EXPECT_GT(ramps, 150);
}

// The model's own ramp rule: with ramp entry, a way down into material steeper than the angle is reported
// (a plunge too), one no steeper is not, and any way down through air is not.
TEST(MaterialModel, AWayDownIntoMaterialSteeperThanTheRampIsReported) {
  const struct {
    double angle;
    const char* down;  // from X3 Y3 at Z0
    bool reported;
  } rows[] = {
      {3, "G01 X3.000 Y9.000 Z-0.300", false},  // 2.86 degrees
      {3, "G01 X3.000 Y9.000 Z-0.400", true},   // 3.81 degrees
      {10, "G01 X13.000 Y3.000 Z-1.700", false},
      {10, "G01 X13.000 Y3.000 Z-1.800", true},
      {3, "G01 Z-1.000", true},    // a plunge
      {90, "G01 Z-1.000", false},  // a ramp of 90 degrees is a plunge
  };
  for (const auto& r : rows) {
    TMaterialModel model(20, 20, 3, -2);
    model.AllowRamp(r.angle);
    for (const char* line : {"G00 X3.000 Y3.000 Z2.000", "G01 F100 Z0.000", r.down}) model.Line(line);
    EXPECT_EQ(!model.Problems().empty(), r.reported) << r.angle << " " << r.down;
  }
  // Beside the face, where the overcut takes the cutter clear of the stock, a plunge goes through air.
  TMaterialModel clear(20, 20, 3, -2, 7);
  clear.AllowRamp(3);
  for (const char* line : {"G00 X-4.000 Y-4.000 Z2.000", "G01 F100 Z-1.000", "G01 X10.000"}) clear.Line(line);
  EXPECT_EQ(Joined(clear.Problems()), "");
  // What a ramp leaves: the next pass at its far end, one level lower, goes into the slope it left.
  TMaterialModel slope(20, 20, 3, -2);
  slope.AllowRamp(3);
  for (const char* line : {"G00 X3.000 Y3.000 Z2.000", "G01 F100 Z0.000", "G01 X3.000 Y9.000 Z-0.300",
                           "G00 Z2.000", "G00 X3.000 Y3.000", "G01 Z-0.300"})
    slope.Line(line);
  EXPECT_NE(Joined(slope.Problems()), "");
}

// The model's own face check: a feed move beyond the face by more than the overcut is reported, one
// within it is not.
TEST(MaterialModel, AFeedMoveMayLeaveTheFaceByTheOvercutOnly) {
  const struct {
    double overcut, x;
    bool reported;
  } rows[] = {{0, 10, false},   {0, 20.5, true}, {0, -0.5, true}, {1, 20.5, false},
              {1, -0.9, false}, {1, -1.1, true}, {1, 21.1, true}};
  for (const auto& r : rows) {
    TMaterialModel model(20, 20, 3, -1, r.overcut);
    for (const char* line : {"G00 X3.000 Y3.000 Z2.000", "G01 F100 Z-1.000"}) model.Line(line);
    model.Line("G01 X" + std::to_string(r.x));
    EXPECT_EQ(!model.Problems().empty(), r.reported) << r.overcut << " " << r.x;
  }
}

}  // namespace
