#pragma once
// How the cutter reaches each layer's cutting level from above the start corner: straight down (a plunge),
// or with ramp entry down along the layer's first pass, never steeper than the ramp angle. A ramp that
// needs more length than the first pass has goes back and forth along it; the last leg always ends at the
// pass's far end, and the cutter comes back to the start corner at the cutting level, so that the layer's
// passes begin where they always do and the whole ramp is cut at the level once more. A layer whose first
// pass cuts towards the start corner (one cut direction) ramps along its whole length instead and begins
// at its far end.

#include "toolpath/FacingJob.h"
#include "toolpath/GCodeFile.h"

// The ramp of every layer: all layers go down by the same step-down along the same first pass.
struct TRampPlan {
  bool Ramps = false;       // false: every layer plunges
  bool Possible = true;     // false: the first pass is too short for a ramp the program's numbers can write
  double Room = 0;          // the length of the first pass
  double ToX = 0, ToY = 0;  // where each odd leg ends, in the real face's coordinates
  double Legs = 0;          // an odd number
  // The first pass cuts towards the start corner (one way): the ramp runs its whole length and the cutter
  // stays at its far end, where the layer's passes then begin.
  bool EndsFar = false;
};

// Whether the cutter's disc at the start corner lies clear of the stock: a plunge there cuts nothing.
[[nodiscard]] bool StartClearOfStock(const TFacingJob& job);

// Works out the ramp of a job that chose ramp entry (otherwise: none). `job` need not be checked beyond
// finite sizes and a pass step above zero: it looks at no more than the layer's first few moves.
[[nodiscard]] TRampPlan PlanRamp(const TFacingJob& job);

// From above the start corner down to job.CutZ, the feed set: a plunge, or the ramp of job.Ramp (worked
// out here when the job carries none).
void AddEntry(const TFacingJob& job, TGCodeFile& list);
