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
  TMaterialModel model(e.XPos, e.YPos, e.Knit / 2, -std::max(e.Layer, 1) * e.ZPos);
  for (const auto& line : sink.Lines()) model.Line(line);
  return model.Problems();
}

std::string Describe(const TJobEntries& e) {
  std::ostringstream out;
  out << "--x " << e.XPos << " --y " << e.YPos << " --diameter " << e.Knit << " --overlap " << e.Cross
      << " --step-down " << e.ZPos << " --retract " << e.ZUp << (e.ZUpAbs ? " --absolute" : "") << " --layers "
      << e.Layer << " --strategy " << e.Mode << (e.ClearEnd ? "" : " --no-clear-end")
      << (e.FinishCentre ? " --finish-centre" : "") << " --dialect " << e.Dialect;
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
  int accepted = 0, raised = 0;
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
    try {
      (void)CheckJob(e);
    } catch (const EDVError&) {
      continue;
    }
    ++accepted;
    const auto problems = ProblemsOf(e);
    ASSERT_EQ(Joined(problems), "") << Describe(e);
    raised += !e.ZUpAbs && e.ZUp < e.ZPos * std::max(e.Layer, 1);
  }
  EXPECT_GT(raised, 100);  // enough of them retract below the top for the crossings to matter
}

}  // namespace
