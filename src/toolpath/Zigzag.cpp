#include "toolpath/Emitters.h"
#include "toolpath/Entry.h"
#include "toolpath/Strategies.h"

namespace {

using TMove = void (*)(TGCodeFile&, int, double);

// One zig-zag, written once for both directions: `across` moves along the crossing passes, `step` along
// the stepped coordinate. `far` is the far end of the crossing passes, `last` the greatest stepped value.
// `climbsToFar`: whether a pass towards the far end climbs, the rows stepping on as they do.
void Zigzag(const TFacingJob& job, TGCodeFile& list, TMove across, TMove step, double far, double last,
            bool climbsToFar) {
  const double R = job.Radius, C = job.Cross;
  // One way only, every pass runs from `from` to `to`: between passes the tool retracts, crosses back
  // along the pass just cut, goes down onto it and steps on to the next row at the cutting level.
  const bool oneWay = job.Direction == kDirectionClimb || job.Direction == kDirectionConventional;
  const bool toFar = (job.Direction == kDirectionClimb) == climbsToFar;
  const double from = toFar ? R : far;
  const auto back = [&] {
    AddRetract(job, list);
    across(list, 0, from);
    AddMoveFZ(list, 1, job.Fro, job.CutZ);
  };
  // A ramp entry has left the cutter at the far end of the first row already, at the cutting level.
  const bool rampedToFar = job.Ramp && job.Ramp->Ramps && job.Ramp->Possible && job.Ramp->EndsFar;
  if (oneWay && !toFar && !rampedToFar) back();
  across(list, 1, oneWay && !toFar ? R : far);
  bool atNear = oneWay && !toFar;
  double row = R;
  while (row <= last) {
    row = (R * 2 + row) - C;
    if (oneWay) back();
    step(list, 1, row > last ? last : row);  // only the written value is clamped
    if (!oneWay) atNear = !atNear;
    across(list, 1, atNear ? R : far);
  }
  if (!job.ClearEnd) return;
  // Back along the side where the tool stands, across at retract height (a feed move at the F1000 the
  // retract set), down again and along the other side. One way, this cuts the sides the same way as the
  // passes: with the material outside them, the side the tool ends on is cut towards the start row.
  step(list, 1, R);
  AddRetract(job, list);
  across(list, 1, atNear ? far : R);
  AddMoveFZ(list, 1, job.Fro, job.CutZ);
  step(list, 1, last);
}

}  // namespace

// The rows step on towards +Y, so the material still standing lies left of a pass towards +X: for the
// clockwise spindle, that pass cuts conventionally.
void DoXZigzag(const TFacingJob& job, TGCodeFile& list) {
  Zigzag(job, list, AddMoveX, AddMoveY, job.XPos - job.Radius, job.YPos - job.Radius, false);
}

// The columns step on towards +X, right of a pass towards +Y: that pass climbs.
void DoYZigzag(const TFacingJob& job, TGCodeFile& list) {
  Zigzag(job, list, AddMoveY, AddMoveX, job.YPos - job.Radius, job.XPos - job.Radius, true);
}
