#pragma once
// The clearing strategies: each writes the passes of one layer, starting with the tool plunged at
// (Radius, Radius) on the cutting level, and leaves the job unchanged. They know no overcut: DoLayer hands
// them a face grown by it.

#include "toolpath/FacingJob.h"
#include "toolpath/GCodeFile.h"

// An inward rectangular spiral, then (ClearEnd) a pass along the diagonals towards the middle.
//
// With FinishCentre the spiral is followed, before the edge clean, by the centre pass, which clears what
// the spiral leaves on the face (a pass step of at most the cutter's diameter assumed): its last turns can
// lie further apart than the cutter is wide, a small overlap leaves a sliver outside every turn's corner,
// and its start leaves a notch at the bottom edge. The centre pass runs back and forth over the box of the
// spiral's last two turns (rows at most 1.5 R apart), cuts the four diagonals through the turns' corners
// from the middle outwards, and ends along the bottom edge at the start corner; all at the cutting level,
// without a retract, never leaving the rectangle the cutter centre keeps to. Without it the program is the
// spiral's own. A negative overlap leaves strips between all turns; the centre pass does not mend those.
void DoSpiral(const TFacingJob& job, TGCodeFile& list);

// The pass step of the centre pass's back-and-forth rows: the spiral's own, but never above 1.5 R, so that
// neighbouring rows overlap.
[[nodiscard]] double CentrePassStep(double radius, double cross);
// The spiral mirrored about the diagonal through the start corner: it turns the other way round.
void DoMirroredSpiral(const TFacingJob& job, TGCodeFile& list);

// The passes of one layer, by the job's strategy and cut direction (both ways and climb: the spiral as it
// is; conventional: mirrored).
void DoLayer(const TFacingJob& job, TGCodeFile& list);

// Back-and-forth passes along X, one row per pass step in Y, then (ClearEnd) the two turning sides. With
// one cut direction (climb or conventional) every pass runs the same way, the tool returning at retract
// height between them, and the sides are cut that way too.
void DoXZigzag(const TFacingJob& job, TGCodeFile& list);
// The same along Y, one column per pass step in X.
void DoYZigzag(const TFacingJob& job, TGCodeFile& list);
