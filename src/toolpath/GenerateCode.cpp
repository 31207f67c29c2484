#include "toolpath/GenerateCode.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "toolpath/Dialect.h"
#include "toolpath/Emitters.h"
#include "toolpath/Entry.h"
#include "toolpath/ProgramLimits.h"
#include "toolpath/RapidPlan.h"
#include "toolpath/Strategies.h"

// The spiral runs up the left side first and then right along the top: clockwise seen from above, with
// the part still standing, the middle, always on its right. A spindle turning clockwise (M03) seen from
// above sweeps each tooth on the cutter's right side from the front of the cutter backwards: it enters the
// stock where the chip is thickest and leaves it at the finished wall, which is climb milling (as G41 is
// with M03). So the spiral climbs as it is. Mirrored about the diagonal through the start corner (X and Y
// exchanged, first along X), it turns anticlockwise with the middle on its left: conventional milling.
void DoMirroredSpiral(const TFacingJob& job, TGCodeFile& list) {
  TFacingJob mirrored = job;
  std::swap(mirrored.XPos, mirrored.YPos);
  list.SetAxesSwapped(true);
  DoSpiral(mirrored, list);
  list.SetAxesSwapped(false);
}

namespace {

void DoStrategy(const TFacingJob& job, TGCodeFile& list) {
  switch (job.Mode) {
    case kModeXZigzag:
      DoXZigzag(job, list);
      break;
    case kModeYZigzag:
      DoYZigzag(job, list);
      break;
    default:
      if (job.Direction == kDirectionConventional) {
        DoMirroredSpiral(job, list);
      } else {
        DoSpiral(job, list);
      }
      break;
  }
}

// Moves what the emitters write by the overcut for as long as it lives.
class TOvercutFrame {
 public:
  TOvercutFrame(TGCodeFile& list, double overcut) : list_(list), before_(list.Offset()) {
    list.SetOffset(before_ + overcut);
  }
  ~TOvercutFrame() { list_.SetOffset(before_); }
  TOvercutFrame(const TOvercutFrame&) = delete;
  TOvercutFrame& operator=(const TOvercutFrame&) = delete;

 private:
  TGCodeFile& list_;
  double before_;
};

// Passes every line on and calls the hook every so many lines.
class TProgressSink final : public TGCodeSink {
 public:
  TProgressSink(TGCodeSink& inner, const TProgressHook& hook)
      : inner_(inner), hook_(hook), step_(std::max<std::uint64_t>(hook.EveryLines, 1)) {}
  void AddLine(std::string_view line) override {
    inner_.AddLine(line);
    if (++lines_ % step_ == 0) hook_.Tick(lines_);
  }
  void BeginLayer(int layer) override { inner_.BeginLayer(layer); }
  void Save() override { inner_.Save(); }

 private:
  TGCodeSink& inner_;
  const TProgressHook& hook_;
  std::uint64_t step_;
  std::uint64_t lines_ = 0;
};

}  // namespace

void DoLayer(const TFacingJob& job, TGCodeFile& list) {
  if (job.Overcut == 0) {
    DoStrategy(job, list);
    return;
  }
  // The overcut grows the cutter-centre rectangle on every side: every strategy and the edge clean cut a
  // face that much larger on each side, written back in the real face's coordinates.
  TFacingJob grown = job;
  grown.XPos = job.XPos + 2 * job.Overcut;
  grown.YPos = job.YPos + 2 * job.Overcut;
  grown.Overcut = 0;
  const TOvercutFrame frame(list, job.Overcut);
  DoStrategy(grown, list);
}

void AddProgramStart(const TFacingJob& job, TGCodeFile& list) {
  DialectFor(job.Dialect).AddStart(job, list);
}

void AddProgramEnd(const TFacingJob& job, TGCodeFile& list) {
  DialectFor(job.Dialect).AddEnd(job, list);
}

namespace {

// The finishing layer: the layers' sweep once more, FinishDepth below the last level, its plunges and so
// its cuts at FinishFeed, with a layer mark as every layer after the first has.
void AddFinishingLayer(TFacingJob& job, const TDialect& dialect, TRapidPlan* rapids, TGCodeFile& list) {
  const int layer = std::max(job.LayerCount, 1) + 1;
  list.BeginLayer(layer);
  dialect.AddLayerMark(layer, list);
  const double justCut = job.CutZ;
  job.CutZ = justCut - job.FinishDepth;
  job.ZStep = job.FinishDepth;  // what its crossings may meet stands this much above its level
  job.Fro = job.FinishFeed;
  const double retract = job.ZUpAbs ? job.ZUp : justCut + job.ZUp;
  AddMoveFZ(list, 0, 1000, rapids ? rapids->TransitionHeight(job, retract) : retract);
  AddMoveXY(list, 1, StartCorner(job), StartCorner(job));
  // Its ramp goes down its own depth, not the step-down of the layers before.
  const TRampPlan ramp = PlanRamp(job);
  job.Ramp = &ramp;
  AddEntry(job, list);
  if (rapids) rapids->StartLayer();
  DoLayer(job, list);
}

}  // namespace

void WriteProgram(const TProgramRequest& request, TGCodeFile& list) {
  TFacingJob job = MakeFacingJob(request.Job.Entries(), request.HeaderPath);
  const TDialect& dialect = DialectFor(job.Dialect);
  const TRampPlan ramp = PlanRamp(job);
  job.Ramp = &ramp;
  dialect.AddHeader(job, request.DateTime, list);
  dialect.AddStart(job, list);
  const std::unique_ptr<TRapidPlan> rapids = TRapidPlan::Make(job);
  job.Rapids = rapids.get();
  // At least one layer is cut, also for a layer count of zero or less.
  do {
    if (rapids) rapids->StartLayer();
    DoLayer(job, list);
    // Counting down only from above zero keeps the most negative layer count from wrapping around.
    if (job.LayersLeft > 0) --job.LayersLeft;
    if (job.LayersLeft > 0) {
      const int layer = job.LayerCount - job.LayersLeft + 1;
      list.BeginLayer(layer);
      dialect.AddLayerMark(layer, list);
      job.CutZ = job.CutZ - job.ZStep;
      // The retract between layers sits ZUp above the level just cut, not above the new one.
      const double retract = job.ZUpAbs ? job.ZUp : (job.CutZ + job.ZStep) + job.ZUp;
      AddMoveFZ(list, 0, 1000, rapids ? rapids->TransitionHeight(job, retract) : retract);
      AddMoveXY(list, 1, StartCorner(job), StartCorner(job));
      AddEntry(job, list);
    }
  } while (job.LayersLeft > 0);
  if (job.FinishDepth > 0) AddFinishingLayer(job, dialect, rapids.get(), list);
  dialect.AddEnd(job, list);
}

void GenerateCode(const TProgramRequest& request, const TProgressHook& progress) {
  TGCodeFileSink file(request.OutputPath);
  TProgressSink counted(file, progress);
  TGCodeFile list(progress.Tick ? static_cast<TGCodeSink&>(counted) : file);
  WriteProgram(request, list);
  list.Save();
}

std::string FormatHeaderDateTime(int year, int month, int day, int hour, int minute, char timeSeparator) {
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d%c%02d", year, month, day, hour,
                              timeSeparator, minute);
  return std::string(buffer, static_cast<std::size_t>(n));
}
