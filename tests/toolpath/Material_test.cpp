// Every program replayed on a model of the material: no rapid through material, no cut below the job's
// levels, no feed off the face; over seeded random jobs of every strategy and option, and the worked jobs.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "MaterialModel.h"
#include "WorkedExample.h"
#include "dvTools/dvError.h"
#include "toolpath/Dialect.h"
#include "toolpath/GenerateCode.h"
#include "toolpath/ProgramLimits.h"

namespace {

// The deepest level of the job: its last layer's, or the finishing layer's below it.
double Deepest(const TJobEntries& e) {
  return -std::max(e.Layer, 1) * e.ZPos - (e.FinishDepth > 0 ? e.FinishDepth : 0);
}

// What is wrong with the finishing layer of a job that has one: it follows the last layer mark, every
// plunge in it (and so every cut) is at the finishing feed, and it goes down to its own depth, while the
// layers before stay at their levels.
std::string FinishingLayerFaults(const TJobEntries& e, const std::vector<std::string>& lines) {
  std::size_t mark = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (IsLayerMark(lines[i])) mark = i;
  if (mark == lines.size()) return "no layer mark before the finishing layer";
  const auto lowestZ = [&](std::size_t from, std::size_t to) {
    double lowest = INFINITY;
    for (std::size_t i = from; i < to; ++i) {
      const auto z = lines[i].find(" Z");
      if (z != std::string::npos) lowest = std::min(lowest, std::stod(lines[i].substr(z + 2)));
    }
    return lowest;
  };
  std::string faults;
  const double last = -std::max(e.Layer, 1) * e.ZPos;
  if (std::fabs(lowestZ(0, mark) - last) > 0.0006) faults += "the layers before go below their last level; ";
  if (std::fabs(lowestZ(mark, lines.size()) - Deepest(e)) > 0.0006) faults += "not at its depth; ";
  const std::string feed = "G01 F" + std::to_string(e.FinishFeed) + " ";
  for (std::size_t i = mark; i < lines.size(); ++i) {
    if (lines[i].starts_with("G01 F") && !lines[i].starts_with(feed))
      faults += lines[i] + " not at its feed; ";
  }
  return faults;
}

// The side of a pass the material stands on for a cut direction, the spindle turning clockwise: right
// for climb, left for conventional.
int MaterialSide(int direction) {
  return direction == kDirectionClimb ? 1 : direction == kDirectionConventional ? -1 : 0;
}

TMaterialModel Replayed(const TJobEntries& e, int side) {
  TGCodeMemorySink sink;
  TGCodeFile list(sink);
  WriteProgram({CheckJob(e), {}, "/tmp/face.nc", "2011-06-18 14:05"}, list);
  TMaterialModel model(e.XPos, e.YPos, e.Knit / 2, Deepest(e), e.Overcut);
  model.ExpectMaterialOn(side, e.Mode == kModeSpiral);
  if (e.Entry == kEntryRamp) model.AllowRamp(e.RampAngle);
  for (const auto& line : sink.Lines()) model.Line(line);
  return model;
}

// The side each pass of the job must have its material on, or 0 for none checked. The spiral's edge clean
// and centre pass clean up along fixed lines (the diagonals, rows back and forth) whichever way it turns,
// and with a negative overlap it leaves strips between its turns, on both sides of its legs: its side is
// checked for the legs alone, with an overlap of zero or more.
// With an overcut the passes reach past the face, where the air beside it tells nothing of a side.
int SideChecked(const TJobEntries& e) {
  const bool cleanUps = e.Mode == kModeSpiral && (e.ClearEnd || e.FinishCentre || e.Cross < 0);
  return cleanUps || e.Overcut > 0 ? 0 : MaterialSide(e.Direction);
}

std::vector<std::string> ProblemsOf(const TJobEntries& e) {
  return Replayed(e, SideChecked(e)).Problems();
}

std::string Describe(const TJobEntries& e) {
  std::ostringstream out;
  out << "--x " << e.XPos << " --y " << e.YPos << " --diameter " << e.Knit << " --overlap " << e.Cross
      << " --step-down " << e.ZPos << " --retract " << e.ZUp << (e.ZUpAbs ? " --absolute" : "")
      << " --layers " << e.Layer << " --strategy " << e.Mode << (e.ClearEnd ? "" : " --no-clear-end")
      << (e.FinishCentre ? " --finish-centre" : "") << " --dialect " << e.Dialect << " --direction "
      << e.Direction << " --finish-depth " << e.FinishDepth << " --finish-feed " << e.FinishFeed
      << " --overcut " << e.Overcut << (e.Entry == kEntryRamp ? " --entry ramp" : "") << " --ramp-angle "
      << e.RampAngle;
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
  int accepted = 0, raised = 0, finished = 0, ramps = 0;
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
    e.Direction = static_cast<int>(random() % 3);
    if (random() % 3 == 0) {
      e.FinishDepth = uniform(0.01, 1);
      e.FinishFeed = static_cast<int32_t>(random() % 400) + 1;
    }
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
    // A spiral's last legs may turn back over its path and cut the other way: the random jobs check the
    // side of the zig-zags' passes, the spiral's side has its own tests.
    const auto problems = Replayed(e, e.Mode == kModeSpiral ? 0 : SideChecked(e)).Problems();
    ASSERT_EQ(Joined(problems), "") << Describe(e);
    if (e.FinishDepth > 0) {
      TGCodeMemorySink sink;
      TGCodeFile list(sink);
      WriteProgram({CheckJob(e), {}, "/tmp/face.nc", "2011-06-18 14:05"}, list);
      ASSERT_EQ(FinishingLayerFaults(e, sink.Lines()), "") << Describe(e);
      ++finished;
    }
    raised += !e.ZUpAbs && e.ZUp < e.ZPos * std::max(e.Layer, 1);
    ramps += e.Entry == kEntryRamp;
  }
  EXPECT_GT(raised, 100);  // enough of them retract below the top for the crossings to matter
  EXPECT_GT(finished, 100);
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

namespace {

// A plate with a small and a large overlap (with a negative one every pass is a slot, neither way) for
// every strategy, plunging and ramping (also where the first pass cuts towards the start corner); its
// passes are longer than the cutter's diameter both ways.
std::vector<TJobEntries> DirectionJobs(int direction) {
  std::vector<TJobEntries> jobs;
  for (int mode : {kModeSpiral, kModeXZigzag, kModeYZigzag}) {
    for (double cross : {0.5, 2.0}) {
      for (bool clearEnd : {true, false}) {
        for (int entry : {kEntryPlunge, kEntryRamp}) {
          TJobEntries e;
          e.XPos = 40, e.YPos = 30, e.Mode = mode, e.Cross = cross, e.ClearEnd = clearEnd;
          e.Direction = direction, e.Layer = 2, e.Entry = entry;
          jobs.push_back(e);
        }
      }
    }
  }
  return jobs;
}

}  // namespace

// Climb and conventional: every pass has the material on the side its direction names and none hurts
// anything; the same programs checked against the other side fail, so the check tells them apart (the
// spiral's only with a large overlap: with a small one its passes are nearly slots).
TEST(MaterialModel, OneCutDirectionCutsOnItsSide) {
  for (int direction : {kDirectionClimb, kDirectionConventional}) {
    for (const TJobEntries& e : DirectionJobs(direction)) {
      EXPECT_EQ(Joined(ProblemsOf(e)), "") << Describe(e);
      if (SideChecked(e) == 0) continue;
      const TMaterialModel named = Replayed(e, SideChecked(e));
      EXPECT_EQ(Joined(named.Problems()), "") << Describe(e);
      EXPECT_GT(named.SidedPasses(), 2) << Describe(e);
      // The spiral's check tells only an overlap above a third of the radius apart.
      if (e.Mode != kModeSpiral || e.Cross > 1) {
        EXPECT_NE(Joined(Replayed(e, -MaterialSide(direction)).Problems()), "") << Describe(e);
      }
    }
  }
}

// Both ways, the zig-zags' passes alternate: checked against either side, some of them fail.
TEST(MaterialModel, BothWaysZigzagsCutOnBothSides) {
  for (TJobEntries e : DirectionJobs(kDirectionBoth)) {
    if (e.Mode == kModeSpiral) continue;
    EXPECT_NE(Joined(Replayed(e, 1).Problems()), "") << Describe(e);
    EXPECT_NE(Joined(Replayed(e, -1).Problems()), "") << Describe(e);
  }
}

// The finishing layer goes one depth below the last layer, at its feed, with every strategy and direction,
// and the material is cut down to it: the model's lowest material lies at that level.
TEST(MaterialModel, FinishingLayerCutsAtItsDepthAndFeed) {
  for (int mode : {kModeSpiral, kModeXZigzag, kModeYZigzag}) {
    for (int direction : {kDirectionBoth, kDirectionClimb, kDirectionConventional}) {
      for (bool absolute : {false, true}) {
        TJobEntries e = Plate();
        e.Mode = mode, e.Direction = direction, e.ZUpAbs = absolute, e.ZUp = 1.5;
        e.FinishDepth = 0.25, e.FinishFeed = 60;
        TGCodeMemorySink sink;
        TGCodeFile list(sink);
        WriteProgram({CheckJob(e), {}, "/tmp/face.nc", "2011-06-18 14:05"}, list);
        EXPECT_EQ(FinishingLayerFaults(e, sink.Lines()), "") << Describe(e);
        const TMaterialModel model = Replayed(e, SideChecked(e));
        EXPECT_EQ(Joined(model.Problems()), "") << Describe(e);
        EXPECT_NEAR(model.Lowest(), -2.25, 0.0006) << Describe(e);
      }
    }
  }
}
