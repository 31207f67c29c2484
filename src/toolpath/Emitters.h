#pragma once
// The line emitters: every move of a program is written by one of these. g is 0 (rapid) or 1 (feed);
// it is appended to "G0", so callers pass nothing else.

#include <cstdint>

#include "toolpath/FacingJob.h"
#include "toolpath/GCodeFile.h"

void AddMoveX(TGCodeFile& list, int g, double x);
void AddMoveY(TGCodeFile& list, int g, double y);
// The X value is written first.
void AddMoveXY(TGCodeFile& list, int g, double x, double y);
// A move along all three axes at once: a ramp's leg.
void AddMoveXYZ(TGCodeFile& list, int g, double x, double y, double z);
void AddMoveFZ(TGCodeFile& list, int g, int32_t f, double z);
// The edge-clean passes' retract: G00 F1000 to ZUp, or ZUp above the current cutting level.
void AddRetract(const TFacingJob& job, TGCodeFile& list);
