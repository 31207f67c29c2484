#pragma once
// The clearing strategies: each writes the passes of one layer, starting with the tool plunged at
// (Radius, Radius) on the cutting level, and leaves the job unchanged.

#include "toolpath/FacingJob.h"
#include "toolpath/GCodeFile.h"

// An inward rectangular spiral, then (ClearEnd) a pass along the diagonals towards the middle.
void DoSpiral(const TFacingJob& job, TGCodeFile& list);
// Back-and-forth passes along X, one row per pass step in Y, then (ClearEnd) the two turning sides.
void DoXZigzag(const TFacingJob& job, TGCodeFile& list);
// The same along Y, one column per pass step in X.
void DoYZigzag(const TFacingJob& job, TGCodeFile& list);
