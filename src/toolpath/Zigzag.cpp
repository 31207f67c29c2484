#include "toolpath/Emitters.h"
#include "toolpath/Strategies.h"

namespace {

using TMove = void (*)(TGCodeFile&, int, double);

// One zig-zag, written once for both directions: `across` moves along the crossing passes, `step` along
// the stepped coordinate. `far` is the far end of the crossing passes, `last` the greatest stepped value.
void Zigzag(const TFacingJob& job, TGCodeFile& list, TMove across, TMove step, double far, double last) {
  const double R = job.Radius, C = job.Cross;
  across(list, 1, far);
  bool atNear = false;
  double row = R;
  while (row <= last) {
    row = (R * 2 + row) - C;
    step(list, 1, row > last ? last : row);  // only the written value is clamped
    across(list, 1, atNear ? far : R);
    atNear = !atNear;
  }
  if (!job.ClearEnd) return;
  // Back along the side where the tool stands, across at retract height (a feed move at the F1000 the
  // retract set), down again and along the other side.
  step(list, 1, R);
  AddRetract(job, list);
  across(list, 1, atNear ? far : R);
  AddMoveFZ(list, 1, job.Fro, job.CutZ);
  step(list, 1, last);
}

}  // namespace

void DoXZigzag(const TFacingJob& job, TGCodeFile& list) {
  Zigzag(job, list, AddMoveX, AddMoveY, job.XPos - job.Radius, job.YPos - job.Radius);
}

void DoYZigzag(const TFacingJob& job, TGCodeFile& list) {
  Zigzag(job, list, AddMoveY, AddMoveX, job.YPos - job.Radius, job.XPos - job.Radius);
}
